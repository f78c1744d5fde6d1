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
    GridTable t;
    t.setShape({1100, 800, 1500, 4200, 700}, int(movements.size()) + 1,
               {QStringLiteral("時刻"), QStringLiteral("区分"), QStringLiteral("金額"), QStringLiteral("理由"),
                QStringLiteral("削除")});
    for (qsizetype i = 0; i < movements.size(); ++i) {
        const SeisanRecord& m = movements[i];
        t.rows[i + 1] = QStringList{m.time,
                                    m.kind == SeisanKind::CashIn ? QStringLiteral("入金") : QStringLiteral("出金"),
                                    QLocale(QLocale::Japanese).toString(qint64(m.amount)),
                                    m.reason,
                                    m.deleted ? QStringLiteral("削除") : QString()};
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
    TextDay = makeEdit(this, QStringLiteral("TextDay"), QStringLiteral("日付"), twipsRect(820, 120, 1900, 460));
    CommandShow = makeButton(this, QStringLiteral("CommandShow"), QStringLiteral("表示"), twipsRect(2820, 100, 1100, 500));

    auto* entry = makeFrame(this, QStringLiteral("FrameEntry"), QStringLiteral("入力"), QStringLiteral("入力"),
                            twipsRect(120, 720, 8760, 1900));
    OptionIn = new QRadioButton(QStringLiteral("入金"), entry);
    OptionIn->setObjectName(QStringLiteral("OptionIn"));
    OptionIn->setAccessibleName(QStringLiteral("入金"));
    OptionIn->setGeometry(twipsRect(120, 330, 1100, 420));
    OptionIn->setChecked(true);
    OptionOut = new QRadioButton(QStringLiteral("出金"), entry);
    OptionOut->setObjectName(QStringLiteral("OptionOut"));
    OptionOut->setAccessibleName(QStringLiteral("出金"));
    OptionOut->setGeometry(twipsRect(1300, 330, 1100, 420));
    makeLabel(entry, QStringLiteral("LabelAmount"), QStringLiteral("金額"), twipsRect(2600, 350, 700, 420));
    TextAmount = makeEdit(entry, QStringLiteral("TextAmount"), QStringLiteral("金額"), twipsRect(3300, 300, 1800, 460));
    TextAmount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // What is typed stays as typed and is checked on Enter: a box that silently dropped a sign, a point or a
    // ninth digit would store another amount than the one the cashier meant.
    TextAmount->setMaxLength(20);
    makeLabel(entry, QStringLiteral("LabelReason"), QStringLiteral("理由"), twipsRect(120, 950, 700, 420));
    TextReason = makeEdit(entry, QStringLiteral("TextReason"), QStringLiteral("理由"), twipsRect(820, 900, 6200, 460));
    limitBytes(TextReason, SeisanOffset::ReasonWidth);
    CommandSave = makeButton(entry, QStringLiteral("CommandSave"), QStringLiteral("登録"), twipsRect(7200, 880, 1400, 500));

    GridMoves = new Grid(this);
    GridMoves->setObjectName(QStringLiteral("GridMoves"));
    GridMoves->setAccessibleName(QStringLiteral("その日の入金・出金"));
    GridMoves->setGeometry(twipsRect(120, 2760, 8760, 4700));
    CommandDelete = makeButton(this, QStringLiteral("CommandDelete"), QStringLiteral("削除"), twipsRect(120, 7620, 1600, 580));
    CommandExit = makeButton(this, QStringLiteral("CommandExit"), QStringLiteral("閉じる"), twipsRect(7280, 7620, 1600, 580));

    connect(CommandShow, &QPushButton::clicked, this, &CashWindow::showDay);
    connect(CommandSave, &QPushButton::clicked, this, &CashWindow::save);
    connect(CommandDelete, &QPushButton::clicked, this, &CashWindow::deleteChosen);
    connect(CommandExit, &QPushButton::clicked, this, &QWidget::close);
    installKeys(TextDay, {{Qt::Key_Return, [this] { showDay(); }}});
    installKeys(TextAmount, {{Qt::Key_Return, [this] {
                                  if (amountAccepted())
                                      TextReason->setFocus();
                              }}});
    installKeys(TextReason, {{Qt::Key_Return, [this] { save(); }}});

    TextDay->setText(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    showDay();
    TextAmount->setFocus();
}

bool CashWindow::dayValid(QString& day)
{
    day = TextDay->text().trimmed();
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
    GridMoves->setTable(cashMovementsTable(m_shown));
    GridMoves->setColAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    GridMoves->setColAlignment(4, Qt::AlignCenter);
}

void CashWindow::save()
{
    QString day;
    if (!dayValid(day))
        return;
    if (!amountAccepted())
        return;
    SeisanRecord r;
    r.kind = OptionOut->isChecked() ? SeisanKind::CashOut : SeisanKind::CashIn;
    r.day = day;
    r.date = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    r.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    r.amount = val(TextAmount->text());
    r.reason = TextReason->text().trimmed();
    const Result stored = AppendSeisan(r);
    if (!stored) {
        MessageBox::information(this, stored.error);
        return;
    }
    if (!stored.error.isEmpty())
        MessageBox::information(this, stored.error);
    Q_EMIT changes().seisanChanged();
    TextAmount->clear();
    TextReason->clear();
    showDay();
    TextAmount->setFocus();
}

bool CashWindow::amountAccepted()
{
    const QString problem = cashAmountProblem(TextAmount->text());
    if (problem.isEmpty())
        return true;
    MessageBox::information(this, problem);
    TextAmount->setFocus();
    TextAmount->selectAll();
    return false;
}

void CashWindow::deleteChosen()
{
    const int row = GridMoves->currentRow() - 1;
    if (row < 0 || row >= m_shown.size()) {
        MessageBox::information(this, QStringLiteral("削除する行を選んでください。"));
        return;
    }
    const SeisanRecord& r = m_shown[row];
    if (r.deleted) {
        MessageBox::information(this, QStringLiteral("この記録はすでに削除されています。"));
        return;
    }
    const QString what = QStringLiteral("%1 %2 %3 円「%4」")
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
