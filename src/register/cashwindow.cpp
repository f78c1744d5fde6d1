// The cash in and out window: entry, the day's list and deletion by a mark.
#include "register/cashwindow.h"

#include "platform/controls.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/closing.h"
#include "storage/text.h"
#include "widgets/bytelimit.h"
#include "widgets/keytable.h"
#include "widgets/listpanel.h"

#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>

GridTable cashMovementsTable(const QList<SeisanRecord>& movements)
{
    const QLocale japanese(QLocale::Japanese);
    const auto yen = [&](double v) { return japanese.toString(qint64(v)); };
    const qsizetype count = movements.size();
    GridTable t;
    t.setShape({1100, 800, 1500, 4200, 700}, int(count) + (count > 0 ? 2 : 1),
               {QStringLiteral("時刻"), QStringLiteral("区分"), QStringLiteral("金額"), QStringLiteral("理由"),
                QStringLiteral("削除")});
    double in = 0;
    double out = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const SeisanRecord& m = movements[i];
        const bool cashIn = m.kind == SeisanKind::CashIn;
        t.rows[i + 1] = QStringList{m.time, cashIn ? QStringLiteral("入金") : QStringLiteral("出金"), yen(m.amount),
                                    m.reason, m.deleted ? QStringLiteral("削除") : QString()};
        if (!m.deleted)
            (cashIn ? in : out) += m.amount;
    }
    // The drawer's change by the day's list, as the closing counts it: deleted entries stay listed but move no
    // money. One amount column, so the net goes there and the two sums beside it.
    if (count > 0) {
        const int row = int(count) + 1;
        t.rows[row] = QStringList{QStringLiteral("合計"), QStringLiteral("差引"), yen(in - out),
                                  QStringLiteral("入金 %1 円・出金 %2 円").arg(yen(in), yen(out)), QString()};
        for (int c = 0; c < t.cols(); ++c)
            t.colours.append({row, c, QColor(235, 235, 235)});
    }
    return t;
}

QString cashAmountProblem(const QString& text)
{
    const std::optional<double> v = strictVal(text);
    return v ? CashAmountProblem(*v) : CashAmountProblem(0);
}

CashWindow::CashWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CashWindow"));
    setWindowTitle(QStringLiteral("入金・出金"));
    setFixedSize(twips(9000), twips(8400));

    makeLabel(this, QStringLiteral("LabelDay"), QStringLiteral("日付"), twipsRect(120, 170, 700, 420));
    dayBox = makeEdit(this, QStringLiteral("dayBox"), QStringLiteral("日付"), twipsRect(820, 120, 1900, 460));
    showButton =
        makeButton(this, QStringLiteral("showButton"), QStringLiteral("表示"), twipsRect(2820, 100, 1100, 500));

    auto* entry = makeFrame(this, QStringLiteral("FrameEntry"), QStringLiteral("入力"), QStringLiteral("入力"),
                            twipsRect(120, 720, 8760, 1900));
    cashInOption = new QRadioButton(QStringLiteral("入金"), entry);
    cashInOption->setObjectName(QStringLiteral("cashInOption"));
    cashInOption->setAccessibleName(QStringLiteral("入金"));
    cashInOption->setGeometry(twipsRect(120, 330, 1100, 420));
    cashInOption->setChecked(true);
    cashOutOption = new QRadioButton(QStringLiteral("出金"), entry);
    cashOutOption->setObjectName(QStringLiteral("cashOutOption"));
    cashOutOption->setAccessibleName(QStringLiteral("出金"));
    cashOutOption->setGeometry(twipsRect(1300, 330, 1100, 420));
    makeLabel(entry, QStringLiteral("LabelAmount"), QStringLiteral("金額"), twipsRect(2600, 350, 700, 420));
    amountBox = makeEdit(entry, QStringLiteral("amountBox"), QStringLiteral("金額"), twipsRect(3300, 300, 1800, 460));
    amountBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // What is typed stays as typed and is checked on Enter: a box that silently dropped a sign, a point or a
    // ninth digit would store another amount than the one the cashier meant.
    amountBox->setMaxLength(20);
    makeLabel(entry, QStringLiteral("LabelReason"), QStringLiteral("理由"), twipsRect(120, 950, 700, 420));
    reasonBox = makeEdit(entry, QStringLiteral("reasonBox"), QStringLiteral("理由"), twipsRect(820, 900, 6200, 460));
    limitBytes(reasonBox, SeisanOffset::ReasonWidth);
    saveButton =
        makeButton(entry, QStringLiteral("saveButton"), QStringLiteral("登録"), twipsRect(7200, 880, 1400, 500));

    movementsGrid = makeListPanel(
        {this, QStringLiteral("movementsGrid"), QStringLiteral("その日の入金・出金"), twipsRect(120, 2760, 8760, 4700)},
        this,
        {{&deleteButton, QStringLiteral("deleteButton"), QStringLiteral("削除"), twipsRect(120, 7620, 1600, 580),
          [this] { deleteChosen(); }},
         {&exitButton, QStringLiteral("exitButton"), QStringLiteral("閉じる"), twipsRect(7280, 7620, 1600, 580),
          [this] { close(); }}});

    connect(showButton, &QPushButton::clicked, this, &CashWindow::showDay);
    connect(saveButton, &QPushButton::clicked, this, &CashWindow::save);
    installKeys(dayBox, {{Qt::Key_Return, [this] { showDay(); }}});
    installKeys(amountBox, {{Qt::Key_Return, [this] {
                                 if (amountAccepted())
                                     reasonBox->setFocus();
                             }}});
    installKeys(reasonBox, {{Qt::Key_Return, [this] { save(); }}});

    dayBox->setText(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    showDay();
    amountBox->setFocus();
}

bool CashWindow::dayValid(QString& day)
{
    day = dayBox->text().trimmed();
    if (QDate::fromString(day, QStringLiteral("yyyy/MM/dd")).isValid())
        return true;
    MessageBox::information(this, QStringLiteral("日付は yyyy/mm/dd の形で入力してください。"));
    return false;
}

void CashWindow::showDay()
{
    m_shown.clear();
    QString day;
    if (dayValid(day)) {
        QList<SeisanRecord> records;
        if (Result r = ReadSeisan(records); !r)
            MessageBox::information(this, r.error);
        m_shown = CashMovementsOf(records, day);
    }
    movementsGrid->setTable(cashMovementsTable(m_shown));
    movementsGrid->setColAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    movementsGrid->setColAlignment(4, Qt::AlignCenter);
}

void CashWindow::save()
{
    QString day;
    if (!dayValid(day))
        return;
    if (!amountAccepted())
        return;
    SeisanRecord r;
    r.kind = cashOutOption->isChecked() ? SeisanKind::CashOut : SeisanKind::CashIn;
    r.day = day;
    r.date = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    r.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    r.amount = val(amountBox->text());
    r.reason = reasonBox->text().trimmed();
    const Result stored = AppendSeisan(r);
    if (!stored) {
        MessageBox::information(this, stored.error);
        return;
    }
    if (!stored.error.isEmpty())
        MessageBox::information(this, stored.error);
    Q_EMIT changes().seisanChanged();
    amountBox->clear();
    reasonBox->clear();
    showDay();
    amountBox->setFocus();
}

bool CashWindow::amountAccepted()
{
    const QString problem = cashAmountProblem(amountBox->text());
    if (problem.isEmpty())
        return true;
    MessageBox::information(this, problem);
    amountBox->setFocus();
    amountBox->selectAll();
    return false;
}

void CashWindow::deleteChosen()
{
    // The total row after the records is no record of its own and is refused here like no row at all.
    const int row = movementsGrid->currentRow() - 1;
    if (row < 0 || row >= m_shown.size()) {
        MessageBox::information(this, QStringLiteral("削除する行を選んでください。"));
        return;
    }
    const SeisanRecord& r = m_shown[row];
    if (r.deleted) {
        MessageBox::information(this, QStringLiteral("この記録はすでに削除されています。"));
        return;
    }
    const QString what =
        QStringLiteral("%1 %2 %3 円「%4」")
            .arg(r.time, r.kind == SeisanKind::CashIn ? QStringLiteral("入金") : QStringLiteral("出金"),
                 numText(r.amount), r.reason);
    if (!MessageBox::question(this, what + QStringLiteral("\nを削除しますか。"), true))
        return;
    const Result done = DeleteSeisan(r.recordNo);
    if (!done || !done.error.isEmpty())
        MessageBox::information(this, done.error);
    if (done)
        Q_EMIT changes().seisanChanged();
    showDay();
}
