// The help viewer behind the register window's "HELP" button: shows a compiled HTML help file (.chm).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <optional>

struct chmFile;
class QTreeWidget;
class QTreeWidgetItem;

// One entry of the help file's table of contents.
struct HelpTopic
{
    QString title;
    QString path; // inside the help file, from its root: "/keys.html"; empty for a heading without a page
    int depth = 0;
};

// A compiled help file opened for reading.
class ChmFile
{
public:
    explicit ChmFile(const QString& fileName);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The object stored at `path` ("/index.html"), or nothing when the file holds no such object.
    std::optional<QByteArray> read(const QString& path) const;
    // The page shown when no topic is asked for: the file's own default topic, else the first page of the
    // contents, else /index.html.
    QString defaultTopic() const;
    QString title() const { return m_title; }
    QList<HelpTopic> contents() const;

private:
    void readSystemFile();
    QString contentsFile() const;

    chmFile* m_file = nullptr;
    QString m_defaultTopic;
    QString m_title;
    QString m_contentsFile;
};

// A text browser whose pages, style sheets and images all come from one help file.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpBrowser(const ChmFile* chm, QWidget* parent = nullptr);

    // The address a path inside the help file is shown under; relative links resolve against it.
    static QUrl urlFor(const QString& path);
    // The path inside the help file of the page shown now.
    QString currentPath() const { return source().path(); }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    const ChmFile* m_chm;
};

// The help window: contents on the left, the page on the right. Modeless, closed by the user.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    HelpWindow(std::unique_ptr<ChmFile> chm, const QString& fileName, QWidget* owner);
    ~HelpWindow() override;

    QString fileName() const { return m_fileName; }
    HelpBrowser* browser() const { return m_browser; }
    void showTopic(const QString& path);
    void showDefaultTopic();

private:
    void fillContents();
    void selectContentsEntry(const QUrl& source);

    std::unique_ptr<ChmFile> m_chm;
    QString m_fileName;
    HelpBrowser* m_browser = nullptr;
    QTreeWidget* m_contents = nullptr;
};

// Shows the help file `chmPath` at its default topic in a help window owned by `owner`, reusing the window
// already open for that owner and file. Command 0 (show the default topic) is the one command known; `data`
// is not used. Returns the window, or null when the file cannot be opened (the user has been told).
HelpWindow* HtmlHelp(QWidget* owner, const QString& chmPath, int command = 0, int data = 0);
