// Reads compiled HTML help through chmlib and shows it in a window of our own.
#include "platform/helpviewer.h"

#include "platform/messagebox.h"
#include "platform/placement.h"
#include "storage/text.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chm_lib.h>

namespace {

constexpr int HH_DISPLAY_TOPIC = 0;

// #SYSTEM entry codes.
constexpr quint16 SystemContentsFile = 0;
constexpr quint16 SystemDefaultTopic = 2;
constexpr quint16 SystemTitle = 3;

QString fromRoot(QString path)
{
    path.replace(u'\\', u'/');
    return path.startsWith(u'/') ? path : u'/' + path;
}

// Help pages say their charset in a meta tag; ours are UTF-8, which is also the guess for a page that says
// nothing.
QString decodeText(const QByteArray& bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

// System strings are NUL-terminated; help compilers write them in the project's code page or in UTF-8.
QString decodeSystemString(const QByteArray& bytes)
{
    const QByteArray text = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString s = utf8.decode(text);
    if (!utf8.hasError())
        return s;
    return fromCp932(text);
}

QString unescapeHtml(QString s)
{
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

QString notFoundPage(const QString& path)
{
    return QStringLiteral("<html><body><p>ページ %1 はヘルプファイルにありません。</p></body></html>")
        .arg(path.toHtmlEscaped());
}

} // namespace

// ---- ChmFile ----

ChmFile::ChmFile(const QString& fileName)
{
    m_file = chm_open(QFile::encodeName(fileName).constData());
    if (m_file != nullptr)
        readSystemFile();
}

ChmFile::~ChmFile()
{
    if (m_file != nullptr)
        chm_close(m_file);
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    if (m_file == nullptr)
        return std::nullopt;
    chmUnitInfo unit{};
    const QByteArray name = fromRoot(path).toUtf8();
    if (chm_resolve_object(m_file, name.constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    if (unit.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(m_file, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                              static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length))
        return std::nullopt;
    return bytes;
}

void ChmFile::readSystemFile()
{
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    // A 4-byte version, then entries of code (16 bits), length (16 bits) and data, little-endian.
    const QByteArray& s = *system;
    auto u16 = [&s](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(s[at]) | (static_cast<quint8>(s[at + 1]) << 8));
    };
    for (qsizetype at = 4; at + 4 <= s.size();) {
        const quint16 code = u16(at);
        const quint16 length = u16(at + 2);
        if (at + 4 + length > s.size())
            break;
        const QString value = decodeSystemString(s.mid(at + 4, length));
        if (code == SystemDefaultTopic && !value.isEmpty())
            m_defaultTopic = fromRoot(value);
        else if (code == SystemTitle)
            m_title = value;
        else if (code == SystemContentsFile && !value.isEmpty())
            m_contentsFile = fromRoot(value);
        at += 4 + length;
    }
}

QString ChmFile::defaultTopic() const
{
    if (!m_defaultTopic.isEmpty() && read(m_defaultTopic))
        return m_defaultTopic;
    for (const HelpTopic& topic : contents()) {
        if (!topic.path.isEmpty())
            return topic.path;
    }
    return QStringLiteral("/index.html");
}

QString ChmFile::contentsFile() const
{
    if (!m_contentsFile.isEmpty())
        return m_contentsFile;
    if (m_file == nullptr)
        return {};
    // A file without a #SYSTEM entry for it: take the first .hhc in its root.
    QString found;
    chm_enumerate_dir(
        m_file, "/", CHM_ENUMERATE_FILES | CHM_ENUMERATE_NORMAL,
        [](chmFile*, chmUnitInfo* unit, void* context) -> int {
            const QString path = QString::fromUtf8(unit->path);
            if (!path.endsWith(QStringLiteral(".hhc"), Qt::CaseInsensitive))
                return CHM_ENUMERATOR_CONTINUE;
            *static_cast<QString*>(context) = path;
            return CHM_ENUMERATOR_SUCCESS;
        },
        &found);
    return found;
}

QList<HelpTopic> ChmFile::contents() const
{
    const QString file = contentsFile();
    const std::optional<QByteArray> bytes = file.isEmpty() ? std::nullopt : read(file);
    if (!bytes)
        return {};
    const QString text = decodeText(*bytes);

    // A sitemap: nested <UL> lists whose items are <OBJECT type="text/sitemap"> with Name and Local params.
    static const QRegularExpression token(QStringLiteral("<(/?)ul\\b[^>]*>|<object\\b[^>]*>(.*?)</object>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        QStringLiteral("<param\\s+name\\s*=\\s*\"([^\"]*)\"\\s+value\\s*=\\s*\"([^\"]*)\"[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);

    QList<HelpTopic> topics;
    int depth = 0;
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(0).startsWith(QStringLiteral("<o"), Qt::CaseInsensitive)) {
            depth += m.captured(1).isEmpty() ? 1 : -1;
            continue;
        }
        HelpTopic topic;
        topic.depth = qMax(0, depth - 1);
        for (auto p = param.globalMatch(m.captured(2)); p.hasNext();) {
            const QRegularExpressionMatch pm = p.next();
            const QString name = pm.captured(1).toLower();
            if (name == u"name")
                topic.title = unescapeHtml(pm.captured(2));
            else if (name == u"local")
                topic.path = fromRoot(unescapeHtml(pm.captured(2)));
        }
        // The object ahead of the first list holds the sitemap's own properties, not a topic.
        if (depth > 0 && !topic.title.isEmpty())
            topics << topic;
    }
    return topics;
}

// ---- HelpBrowser ----

HelpBrowser::HelpBrowser(const ChmFile* chm, QWidget* parent) : QTextBrowser(parent), m_chm(chm)
{
    setObjectName(QStringLiteral("HelpBrowser"));
    setOpenExternalLinks(false);
}

QUrl HelpBrowser::urlFor(const QString& path)
{
    QUrl url;
    url.setScheme(QStringLiteral("chm"));
    // Contents entries may point into a page ("keys.html#f9").
    const qsizetype hash = path.indexOf(u'#');
    url.setPath(fromRoot(hash < 0 ? path : path.left(hash)));
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    return url;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    QUrl url = name;
    if (url.isRelative()) {
        const QUrl base = source().isValid() ? source() : urlFor(QStringLiteral("/"));
        url = base.resolved(url);
    }
    if (url.scheme() != u"chm")
        return QTextBrowser::loadResource(type, name);

    const QString path = url.path();
    const std::optional<QByteArray> bytes = m_chm->read(path);
    switch (type) {
    case QTextDocument::HtmlResource:
        return bytes ? decodeText(*bytes) : notFoundPage(path);
    case QTextDocument::StyleSheetResource:
        return bytes ? QString::fromUtf8(*bytes) : QString();
    default:
        return bytes ? QVariant(*bytes) : QVariant();
    }
}

// ---- HelpWindow ----

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> chm, const QString& fileName, QWidget* owner)
    : QWidget(owner, Qt::Window), m_chm(std::move(chm)), m_fileName(fileName)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_chm->title().isEmpty() ? QStringLiteral("ヘルプ") : m_chm->title());
    setAccessibleName(QStringLiteral("ヘルプ"));

    auto* back = new QPushButton(QStringLiteral("戻る"), this);
    auto* forward = new QPushButton(QStringLiteral("進む"), this);
    auto* home = new QPushButton(QStringLiteral("最初のページ"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    forward->setObjectName(QStringLiteral("HelpForward"));
    home->setObjectName(QStringLiteral("HelpHome"));
    back->setEnabled(false);
    forward->setEnabled(false);

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setAccessibleName(QStringLiteral("目次"));
    m_contents->setHeaderHidden(true);
    m_browser = new HelpBrowser(m_chm.get(), this);
    m_browser->setAccessibleName(QStringLiteral("ヘルプの本文"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch();
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 580});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter);
    resize(820, 600);

    fillContents();

    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, &HelpWindow::showDefaultTopic);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::selectContentsEntry);
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        const QString path = item != nullptr ? item->data(0, Qt::UserRole).toString() : QString();
        if (!path.isEmpty() && path != m_browser->currentPath())
            showTopic(path);
    });
}

HelpWindow::~HelpWindow()
{
    // The browser reads from the help file until it is gone.
    delete m_browser;
}

void HelpWindow::showTopic(const QString& path)
{
    m_browser->setSource(HelpBrowser::urlFor(path));
}

void HelpWindow::showDefaultTopic()
{
    showTopic(m_chm->defaultTopic());
}

void HelpWindow::fillContents()
{
    const QList<HelpTopic> topics = m_chm->contents();
    QList<QTreeWidgetItem*> parents;
    for (const HelpTopic& topic : topics) {
        parents.resize(qMin<qsizetype>(parents.size(), topic.depth));
        auto* item = parents.isEmpty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.last());
        item->setText(0, topic.title);
        item->setData(0, Qt::UserRole, topic.path);
        parents << item;
    }
    m_contents->expandAll();
    m_contents->setVisible(!topics.isEmpty());
}

void HelpWindow::selectContentsEntry(const QUrl& source)
{
    const QString path = source.path();
    for (QTreeWidgetItemIterator it(m_contents); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString().compare(path, Qt::CaseInsensitive) == 0) {
            const QSignalBlocker blocker(m_contents);
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}

// ---- HtmlHelp ----

HelpWindow* HtmlHelp(QWidget* owner, const QString& chmPath, int command, int data)
{
    Q_UNUSED(data);
    if (command != HH_DISPLAY_TOPIC)
        return nullptr;

    const QString fileName = QFileInfo(chmPath).absoluteFilePath();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<HelpWindow*>(w);
        if (window != nullptr && window->parentWidget() == owner && window->fileName() == fileName) {
            window->showDefaultTopic();
            bringToFront(window);
            return window;
        }
    }

    auto chm = std::make_unique<ChmFile>(fileName);
    if (!QFileInfo(fileName).isFile() || !chm->isOpen()) {
        MessageBox::information(owner, QStringLiteral("ヘルプファイル（%1）を開けません。").arg(chmPath));
        return nullptr;
    }
    auto* window = new HelpWindow(std::move(chm), fileName, owner);
    window->showDefaultTopic();
    placeOnScreen(window, owner);
    bringToFront(window);
    return window;
}
