// A month's slip list over a slip window: building it, listing a month, choosing a slip.
#include "widgets/sliplistpanel.h"

#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/gridtable.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/text.h"

#include <QComboBox>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QRect placeOf(const QRect& tw)
{
    return twipsRect(tw.x(), tw.y(), tw.width(), tw.height());
}

QComboBox* makeBox(QWidget* panel, const SlipListPanel::Control& c, const QString& labelName, const QString& caption)
{
    auto* label = makeLabel(panel, labelName, caption, twipsRect(c.twips.x() - 400, c.twips.y() + 40, 400, 420));
    QComboBox* box = makeCombo(panel, c.name, c.accessible, placeOf(c.twips));
    label->setBuddy(box);
    return box;
}

} // namespace

SlipListPanel::SlipListPanel(const Setup& setup, SlipChoice& choice, QWidget* parent)
    : QGroupBox(parent), m_setup(setup), m_choice(choice)
{
    setObjectName(setup.panel.name);
    setAccessibleName(setup.panel.accessible);
    setAutoFillBackground(true);

    grid = new Grid(this);
    grid->setObjectName(setup.grid.name);
    grid->setAccessibleName(setup.grid.accessible);
    grid->setGeometry(placeOf(setup.grid.twips));
    grid->setColAlignment(0, Qt::AlignRight);
    grid->setColAlignment(3, Qt::AlignRight);
    grid->setColAlignment(4, Qt::AlignCenter);
    grid->setGroupedCols({3}); // the slip's amount, only read here
    connect(grid, &Grid::cellClicked, this, [this](int row, int) { m_choice.choose(row); });
    setGridKeys({});
    connect(grid, &Grid::keyPressed, this, [this](QKeyEvent* event) {
        if (dispatchKey(m_gridKeys, event))
            event->accept();
    });

    yearBox = makeBox(this, setup.year, QStringLiteral("YearLabel"), QStringLiteral("年"));
    monthBox = makeBox(this, setup.month, QStringLiteral("MonthLabel"), QStringLiteral("月"));
    for (QComboBox* box : {yearBox, monthBox}) {
        // A combo box also reports an entry as chosen when it loses the focus with a listed text, as it
        // does when the panel closes; only a choice while the panel is open lists another month.
        connect(box, &QComboBox::activated, this, [this] {
            if (isOpen())
                rebuild();
        });
        // A year or month typed rather than chosen is taken with Enter.
        connect(box->lineEdit(), &QLineEdit::returnPressed, this, &SlipListPanel::rebuild);
    }

    const Commands& row = setup.commands;
    const auto command = [this, &row](int i, const QString& caption) {
        return makeButton(this, row.names.value(i), caption,
                          placeOf(row.twips.translated(i * (row.twips.width() + 200), 0)));
    };
    correctButton = command(0, QStringLiteral("修正"));
    deleteButton = command(1, QStringLiteral("削除"));
    closeButton = command(2, QStringLiteral("閉じる"));
    collapse();
}

void SlipListPanel::showThisMonth()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    fillNumbers(yearBox, 2005, m_setup.lastYear);
    yearBox->setEditText(today.mid(0, 4));
    fillNumbers(monthBox, 1, 12);
    monthBox->setEditText(today.mid(5, 2));
}

bool SlipListPanel::chosenSlipUsable(const std::function<int(qint64 n)>& deletedMark) const
{
    if (!m_choice.slipSelected) {
        MessageBox::information(parentWidget(), QStringLiteral("伝票を選択してください。"));
        return false;
    }
    const int deleted = deletedMark(m_choice.selectedSlipNo);
    if (deleted < 0)
        return false;
    if (deleted != 0) {
        MessageBox::information(parentWidget(), QStringLiteral("伝票は削除されています。"));
        return false;
    }
    return true;
}

void SlipListPanel::setGridKeys(KeyTable keys)
{
    // Enter and Space are the keyboard's click, so a slip can be chosen without the mouse.
    const auto chooseCurrent = [this] { m_choice.choose(grid->currentRow()); };
    m_gridKeys = std::move(keys) + KeyTable{{Qt::Key_Return, chooseCurrent}, {Qt::Key_Space, chooseCurrent}};
}

void SlipListPanel::setBoxKeys(const KeyTable& keys)
{
    for (QComboBox* box : {yearBox, monthBox}) {
        installKeys(box, keys);
        installKeys(box->lineEdit(), keys);
    }
}

void SlipListPanel::rebuild()
{
    QList<SlipListRow> rows;
    const Result r = m_setup.list(val(yearBox->currentText()), val(monthBox->currentText()), m_setup.lastSlip(), rows);
    GridTable table;
    QStringList headers{QStringLiteral("伝票番号"), QStringLiteral("日付"), QStringLiteral("時間"),
                        QStringLiteral("金額"), QStringLiteral("削除")};
    if (m_setup.paymentColumn)
        headers << QStringLiteral("支払");
    table.setShape(m_setup.widths, int(rows.size()) + 1, headers);
    const QString deletedMark = QStringLiteral("削除");
    for (int i = 0; i < rows.size(); ++i) {
        const SlipListRow& row = rows[i];
        table.rows[i + 1] = {QString::number(row.slipNo), row.date, row.time, numText(row.total),
                             row.deleted ? deletedMark : QString()};
        if (m_setup.paymentColumn)
            table.rows[i + 1] << row.payment;
    }
    grid->setTable(std::move(table));
    m_choice.list(rows);
    open();
    // What is chosen is what the list shows: its last slip, or nothing in an empty month.
    if (m_setup.openOnLatest && rows.isEmpty()) {
        m_choice.drop();
    } else if (m_setup.openOnLatest) {
        grid->setCurrentRow(int(rows.size()));
        m_choice.choose(int(rows.size()));
    }
    if (!r)
        MessageBox::information(parentWidget(), r.error);
}

bool SlipListPanel::isOpen() const
{
    return isVisible() && height() > 0;
}

void SlipListPanel::open()
{
    setGeometry(placeOf(m_setup.panel.twips));
    show();
    raise();
}

void SlipListPanel::collapse()
{
    setGeometry(x(), 0, 0, 0);
    hide(); // a panel of no size must not keep its controls in the tab chain
}
