// Slip lists and per-product sums for one day or month: one pass over the slip file, rows built in memory.
#include "reports/reportbuilder.h"

#include "reports/daysummary.h"

#include "storage/history.h"
#include "storage/payment.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QFile>
#include <array>
#include <cmath>
#include <functional>
#include <memory>

namespace {

const QColor HeadColour(100, 255, 255);
const QColor NumberColour(255, 255, 0);
const QColor TotalsColour(255, 255, 100);

constexpr int FirstNumber = 1;
constexpr int LastNumber = 400;

// True when the text starts (after blanks) with a number, so that val() reads more than an empty default.
bool hasNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (i < text.size() && text[i] == u'.')
        ++i;
    return i < text.size() && text[i].isDigit() && text[i].unicode() < 128;
}

// The lines of either kind of slip, under one name.
int16_t lineNumber(const SlipView& v, int k)
{
    return v.productNo(k);
}
int16_t lineNumber(const PurchaseSlipView& v, int k)
{
    return v.itemNo(k);
}
QString lineName(const SlipView& v, int k)
{
    return v.productName(k);
}
QString lineName(const PurchaseSlipView& v, int k)
{
    return v.itemName(k);
}

// "10%対象" or "※8%対象": the caption of one rate's row.
QString rateCaption(const RateTotal& rate, bool reduced)
{
    return (reduced ? QString(ReducedMark) : QString()) + RatePercent(rate.rate) + QStringLiteral("対象");
}

// A row of one rate: its caption, the total at that rate and the tax contained in it.
void appendRateRow(GridTable& t, int r, const QString& caption, const RateTotal& rate)
{
    QStringList& row = t.rows[r];
    row[6] = caption;
    row[7] = numText(rate.total);
    row[8] = QStringLiteral("内消費税等");
    row[9] = numText(rate.tax);
    for (int c = 6; c <= 9; ++c)
        t.colours.append({r, c, TotalsColour});
}

// Notes the cells of rows `first` on as their columns' widest, while they are fresh in the cache: the window
// fits its columns to them without reading the rows again.
void noteWidest(GridTable& t, int first)
{
    for (qsizetype r = first; r < t.rows.size(); ++r)
        for (qsizetype c = 0; c < t.rows[r].size(); ++c)
            t.noteWidest(int(c), t.rows[r][c]);
}

// One slip of a list: its heading cells, its used lines numbered from 1, then its totals rows. A sales slip
// with lines at the reduced rate (`rates`, none for others) marks them and shows each rate's total and tax
// under the tax they make up. slipRows() counts the rows it makes.
template <typename View>
void appendSlip(GridTable& t, const View& v, const QString& col2, const QString& col3, bool allTotals,
                const SlipRates* rates = nullptr, const QString& method = QString())
{
    const int cols = t.cols();
    int r = int(t.rows.size());
    t.rows.append(QStringList(cols));
    QStringList& head = t.rows[r];
    head[0] = QString::number(v.slipNo());
    head[1] = v.date();
    head[2] = col2;
    head[3] = col3;
    for (int c = 0; c < 4; ++c)
        t.colours.append({r, c, HeadColour});
    int n = 1;
    const auto nextRow = [&] {
        ++r;
        t.rows.append(QStringList(cols));
    };
    for (int k = 1; k <= 10; ++k) {
        const int16_t number = lineNumber(v, k);
        if (number == 0)
            continue;
        QStringList& row = t.rows[r];
        row[4] = QString::number(n++);
        row[5] = QString::number(number);
        row[6] = rates && rates->lineReduced(k) ? ReducedMark + lineName(v, k) : lineName(v, k);
        row[7] = QString::number(v.unitPrice(k));
        row[8] = QString::number(v.qty(k));
        row[9] = numText(v.amount(k));
        t.colours.append({r, 4, NumberColour});
        nextRow();
    }
    const auto totalsRow = [&](const QString& label, double value, bool last) {
        t.rows[r][8] = label;
        t.rows[r][9] = numText(value);
        t.colours.append({r, 8, TotalsColour});
        t.colours.append({r, 9, TotalsColour});
        if (!last)
            nextRow();
    };
    if (allTotals) {
        totalsRow(QStringLiteral("計"), v.subtotal(), false);
        totalsRow(QStringLiteral("消費税"), v.tax(), false);
    }
    if (rates) {
        // One row per rate; a slip with reduced lines only has no standard-rate part to show.
        if (rates->standard.total != 0) {
            appendRateRow(t, r, rateCaption(rates->standard, false), rates->standard);
            nextRow();
        }
        appendRateRow(t, r, rateCaption(rates->reduced, true), rates->reduced);
        nextRow();
    }
    // How a sale was paid stands on its total row.
    if (!method.isEmpty())
        t.rows[r][6] = method;
    totalsRow(QStringLiteral("合計"), v.total(), true);
}

// The rows appendSlip makes for a slip.
template <typename View> int slipRows(const View& v, bool allTotals, const SlipRates* rates)
{
    int rows = 1 + (allTotals ? 2 : 0);
    for (int k = 1; k <= 10; ++k)
        rows += lineNumber(v, k) != 0 ? 1 : 0;
    if (rates)
        rows += rates->standard.total != 0 ? 2 : 1;
    return rows;
}

// The widest text of a column of figures, found from the figures as they are read without making their
// texts: among whole numbers the widest text is that of the largest or of the smallest, so only a figure with
// a fraction has its text made.
class WidestFigure
{
public:
    void add(double value)
    {
        if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::trunc(value)) {
            const auto whole = qint64(value);
            m_low = m_any ? std::min(m_low, whole) : whole;
            m_high = m_any ? std::max(m_high, whole) : whole;
            m_any = true;
            return;
        }
        const QString text = numText(value);
        if (GridTable::narrowCount(text) > GridTable::narrowCount(m_odd))
            m_odd = text;
    }
    void noteInto(GridTable& t, int col) const
    {
        if (m_any) {
            t.noteWidest(col, QString::number(m_low));
            t.noteWidest(col, QString::number(m_high));
        }
        t.noteWidest(col, m_odd);
    }

private:
    bool m_any = false;
    qint64 m_low = 0;
    qint64 m_high = 0;
    QString m_odd;
};

// The widest texts of a slip list's columns as appendSlip would fill them, noted slip by slip while the slips
// are read. The names' column is squeezed to what the others leave, never fitted, so its texts are not looked
// at.
struct SlipListWidths
{
    std::array<WidestFigure, 10> figures;
    bool totalsRows = false;
    bool rateRows = false;

    // The slip's figures; its texts go straight to the table, which keeps the widest of each column.
    template <typename View> void add(GridTable& t, const View& v, bool allTotals, const SlipRates* rates)
    {
        figures[0].add(v.slipNo());
        t.noteWidest(1, v.date());
        int n = 0;
        for (int k = 1; k <= 10; ++k) {
            const int16_t number = lineNumber(v, k);
            if (number == 0)
                continue;
            figures[4].add(++n);
            figures[5].add(number);
            figures[7].add(v.unitPrice(k));
            figures[8].add(v.qty(k));
            figures[9].add(v.amount(k));
        }
        if (allTotals) {
            totalsRows = true;
            figures[9].add(v.subtotal());
            figures[9].add(v.tax());
        }
        if (rates) {
            rateRows = true;
            for (const RateTotal& rate : {rates->standard, rates->reduced}) {
                figures[7].add(rate.total);
                figures[9].add(rate.tax);
            }
        }
        figures[9].add(v.total());
    }
    void noteInto(GridTable& t) const
    {
        for (int c = 0; c < int(figures.size()); ++c)
            figures[c].noteInto(t, c);
        t.noteWidest(8, QStringLiteral("合計"));
        if (totalsRows)
            t.noteWidest(8, QStringLiteral("消費税"));
        if (rateRows)
            t.noteWidest(8, QStringLiteral("内消費税等"));
    }
};

// The slips of a list kept as read, so that a slip's rows are made only when the grid first shows them;
// printing and the CSV file make them all. A slip the history holds a correction of is marked "訂正" in a last
// column on its first row; the column is there only when a listed slip has one.
struct ListedSlips
{
    int recordSize = 0;
    QList<int> widths;
    std::function<void(GridTable&, const char*)> appendOne; // appendSlip for one record
    // The listed slips' records in the list's order, a few hundred to a block: a month of thousands is kept
    // without moving what was kept as it grows.
    QList<QByteArray> records;
    QList<qint64> slipNumbers;
    QList<bool> corrected;
    static constexpr int RecordsPerBlock = 64;

    // Keeps the place of a slip of `rows` rows in `t`, and its record.
    void add(GridTable& t, const char* record, qint64 slipNo, int rows)
    {
        t.blockStarts << int(t.rows.size());
        t.rows.resize(t.rows.size() + rows);
        if (slipNumbers.size() % RecordsPerBlock == 0) {
            records.append(QByteArray());
            records.last().reserve(qsizetype(RecordsPerBlock) * recordSize);
        }
        records.last().append(record, recordSize);
        slipNumbers << slipNo;
    }
    const char* record(qsizetype i) const
    {
        return records[i / RecordsPerBlock].constData() + (i % RecordsPerBlock) * recordSize;
    }

    void make(int block, QList<QStringList>& rows, QList<GridTable::Colour>& colours) const
    {
        if (block < 0 || block >= slipNumbers.size())
            return;
        GridTable slip;
        slip.widthsTwips = widths;
        appendOne(slip, record(block));
        if (!corrected.isEmpty())
            for (qsizetype r = 0; r < slip.rows.size(); ++r)
                slip.rows[r] << (r == 0 && corrected[block] ? QStringLiteral("訂正") : QString());
        rows = std::move(slip.rows);
        colours = std::move(slip.colours);
    }

    // Hands the kept slips to `t`, after the period's totals were added; the last column when a slip of the
    // list was corrected.
    static void finish(std::shared_ptr<ListedSlips> listed, GridTable& t, const QSet<qint64>& correctedSlips)
    {
        QList<bool> marks;
        bool any = false;
        for (qint64 n : listed->slipNumbers) {
            marks << correctedSlips.contains(n);
            any = any || marks.last();
        }
        if (any) {
            listed->corrected = marks;
            t.widthsTwips << 600;
            t.widest << QStringLiteral("訂正");
            for (qsizetype r = 0; r < t.rows.size(); ++r)
                if (!t.rows[r].isEmpty())
                    t.rows[r] << (r == 0 ? QStringLiteral("訂正") : QString());
        }
        if (!listed->slipNumbers.isEmpty())
            t.makeBlock = [listed](int block, QList<QStringList>& rows, QList<GridTable::Colour>& colours) {
                listed->make(block, rows, colours);
            };
    }
};

// What the slips of a list add up to over the period.
struct PeriodTotals
{
    struct Rate
    {
        bool reduced = false;
        RateTotal sum;
    };

    int slips = 0;
    double subtotal = 0;
    double tax = 0;
    double total = 0;
    bool reducedSeen = false; // a slip of the period had lines at the reduced rate
    QList<Rate> rates;        // in the order first met; a rate that changed within the period gets its own
    bool methodsKept = false; // sales slips: the total per payment method follows 合計
    std::array<double, PaymentMethodCount> byMethod{};

    template <typename View> void add(const View& v)
    {
        ++slips;
        subtotal += v.subtotal();
        tax += v.tax();
        total += v.total();
    }

    void addRate(const RateTotal& figures, bool reduced)
    {
        for (Rate& r : rates) {
            if (r.reduced == reduced && r.sum.rate == figures.rate) {
                r.sum.total += figures.total;
                r.sum.tax += figures.tax;
                return;
            }
        }
        rates.append({reduced, figures});
    }

    void addMethod(PaymentMethod method, double amount)
    {
        methodsKept = true;
        byMethod[int(method)] += amount;
    }

    // A slip written before the two rates were kept holds all of its total at the standard rate of today.
    void addRates(const SlipView& v, const SlipRates& s)
    {
        if (!s.present) {
            addRate({v.total(), v.tax(), SysNum[Sys::TaxRate]}, false);
            return;
        }
        addRate(s.standard, false);
        if (s.reducedLines != 0) {
            reducedSeen = true;
            addRate(s.reduced, true);
        }
    }

    // The rows after the last slip, laid out as a slip's totals: 伝票数, 計, 消費税, each rate, 合計; a sales
    // slip list then adds one row per payment method.
    void append(GridTable& t, bool allTotals) const
    {
        if (slips == 0)
            return;
        const int cols = t.cols();
        const auto labelRow = [&](const QString& label, const QString& value) {
            const int r = int(t.rows.size());
            t.rows.append(QStringList(cols));
            t.rows[r][8] = label;
            t.rows[r][9] = value;
            t.colours.append({r, 8, TotalsColour});
            t.colours.append({r, 9, TotalsColour});
            return r;
        };
        const int first = labelRow(QStringLiteral("伝票数"), QString::number(slips));
        t.blockStarts << first;
        t.rows[first][0] = QStringLiteral("期間合計");
        t.colours.append({first, 0, HeadColour});
        if (allTotals) {
            labelRow(QStringLiteral("計"), numText(subtotal));
            labelRow(QStringLiteral("消費税"), numText(tax));
        }
        if (reducedSeen) {
            for (const Rate& rate : rates) {
                if (rate.sum.total == 0 && !rate.reduced)
                    continue;
                const int r = int(t.rows.size());
                t.rows.append(QStringList(cols));
                appendRateRow(t, r, rateCaption(rate.sum, rate.reduced), rate.sum);
            }
        }
        labelRow(QStringLiteral("合計"), numText(total));
        if (!methodsKept) {
            noteWidest(t, first);
            return;
        }
        for (int m = 0; m < PaymentMethodCount; ++m) {
            const int r = int(t.rows.size());
            t.rows.append(QStringList(cols));
            t.rows[r][6] = QStringLiteral("支払方法別 ") + paymentMethodName(PaymentMethod(m));
            t.rows[r][9] = numText(byMethod[m]);
            t.colours.append({r, 6, TotalsColour});
            t.colours.append({r, 9, TotalsColour});
        }
        noteWidest(t, first);
    }
};

// Quantities and amounts per product or item number; numbers outside 1 to 400 have no row to go to.
struct PerNumberSums
{
    std::array<double, LastNumber + 1> qty{};
    std::array<double, LastNumber + 1> amount{};
    std::array<bool, LastNumber + 1> reduced{}; // a sales line of the number was at the reduced rate

    template <typename View> void add(const View& v)
    {
        for (int k = 1; k <= 10; ++k) {
            const int number = lineNumber(v, k);
            if (number < FirstNumber || number > LastNumber)
                continue;
            qty[number] += v.qty(k);
            amount[number] += v.amount(k);
        }
    }

    void markReduced(const SlipView& v)
    {
        const SlipRates rates = v.rates();
        if (rates.reducedLines == 0)
            return;
        for (int k = 1; k <= 10; ++k) {
            const int number = lineNumber(v, k);
            if (number >= FirstNumber && number <= LastNumber && rates.lineReduced(k))
                reduced[number] = true;
        }
    }

    // One row per number whose quantities do not add up to 0, whatever its amount, then the total of the rows
    // listed, so the column adds up to what is shown.
    void fill(GridTable& t, const std::function<QString(int)>& name) const
    {
        double qtySum = 0;
        double amountSum = 0;
        for (int k = FirstNumber; k <= LastNumber; ++k) {
            if (qty[k] == 0)
                continue;
            const int r = int(t.rows.size());
            t.rows.append({QString::number(k), name(k), numText(qty[k]), numText(amount[k])});
            t.colours.append({r, 0, HeadColour});
            qtySum += qty[k];
            amountSum += amount[k];
        }
        if (t.rows.size() == 1)
            return;
        const int r = int(t.rows.size());
        t.rows.append({QStringLiteral("合計"), QString(), numText(qtySum), numText(amountSum)});
        for (int c : {0, 2, 3})
            t.colours.append({r, c, TotalsColour});
        noteWidest(t, 1);
    }
};

// The period's slips through the month index; a period no box gave has none.
Result scanSales(const ReportPeriod& period, const std::function<bool(qint64, const SlipView&)>& visit)
{
    if (!period.valid)
        return Result::success();
    return ScanSalesMonth(period.year, period.month, period.daily ? std::optional<int>(period.day) : std::nullopt,
                          nextSlipNo(Sys::NextSalesSlipNo), visit);
}

Result scanPurchases(const ReportPeriod& period, const std::function<bool(qint64, const PurchaseSlipView&)>& visit)
{
    if (!period.valid)
        return Result::success();
    return ScanPurchaseMonth(period.year, period.month, period.daily ? std::optional<int>(period.day) : std::nullopt,
                             nextSlipNo(Sys::NextPurchaseSlipNo), visit);
}

// The lists and sums read up to and including the next slip number: that record holds no slip yet but is
// tested like the others. A list's figures and widths are worked out as its slips are read; each slip's rows
// are made when first shown.
Result salesSlipList(const ReportPeriod& period, GridTable& t)
{
    t.setShape({1000, 1000, 800, 800, 400, 600, 5000, 1000, 1000, 1000}, 1,
               {QStringLiteral("伝票番号"), QStringLiteral("日付"), QStringLiteral("時間"), QStringLiteral("天気"),
                QStringLiteral("NO."), QStringLiteral("CODE"), QStringLiteral("品名"), QStringLiteral("単価"),
                QStringLiteral("数量"), QStringLiteral("金額")});
    const bool taxRows = SysNum[Sys::SalesTaxSwitch] == 1;
    // The rates' rows split the tax row, so they are shown with it.
    const auto ratesOf = [taxRows](const SlipView& v) { return taxRows ? v.rates() : SlipRates{}; };
    auto listed = std::make_shared<ListedSlips>();
    listed->recordSize = SalesSlipRecordSize;
    listed->widths = t.widthsTwips;
    listed->appendOne = [taxRows, ratesOf](GridTable& slip, const char* record) {
        const SlipView v(record);
        const SlipRates rates = ratesOf(v);
        appendSlip(slip, v, v.time(), v.weather(), taxRows, rates.reducedLines != 0 ? &rates : nullptr,
                   paymentMethodName(v.payment().method));
    };
    PeriodTotals totals;
    SlipListWidths widths;
    const Result r = scanSales(period, [&](qint64, const SlipView& v) {
        if (v.deleted() || !period.contains(v.year(), v.month(), v.day()))
            return true;
        const SlipRates rates = ratesOf(v);
        const SlipRates* shownRates = rates.reducedLines != 0 ? &rates : nullptr;
        listed->add(t, v.data(), v.slipNo(), slipRows(v, taxRows, shownRates));
        widths.add(t, v, taxRows, shownRates);
        t.noteWidest(2, v.time());
        t.noteWidest(3, v.weather());
        const PaymentMethod method = v.payment().method;
        totals.add(v);
        totals.addMethod(method, v.total());
        if (taxRows)
            totals.addRates(v, rates);
        return true;
    });
    widths.noteInto(t);
    totals.append(t, taxRows);
    if (r)
        ListedSlips::finish(listed, t, correctedSlips(QStringLiteral("reg.dat")));
    return r;
}

Result purchaseSlipList(const ReportPeriod& period, GridTable& t)
{
    t.setShape({1000, 1000, 800, 2000, 400, 600, 5000, 1000, 1000, 1000}, 1,
               {QStringLiteral("伝票番号"), QStringLiteral("日付"), QStringLiteral("仕番号"), QStringLiteral("仕入先"),
                QStringLiteral("NO."), QStringLiteral("CODE"), QStringLiteral("品名"), QStringLiteral("単価"),
                QStringLiteral("数量"), QStringLiteral("金額")});
    auto listed = std::make_shared<ListedSlips>();
    listed->recordSize = PurchaseSlipRecordSize;
    listed->widths = t.widthsTwips;
    listed->appendOne = [](GridTable& slip, const char* record) {
        const PurchaseSlipView v(record);
        appendSlip(slip, v, QString::number(v.supplierNo()), v.supplierName(), true);
    };
    PeriodTotals totals;
    SlipListWidths widths;
    const Result r = scanPurchases(period, [&](qint64, const PurchaseSlipView& v) {
        if (!v.deleted() && period.contains(v.year(), v.month(), v.day())) {
            listed->add(t, v.data(), v.slipNo(), slipRows(v, true, nullptr));
            widths.add(t, v, true, nullptr);
            widths.figures[2].add(v.supplierNo());
            t.noteWidest(3, v.supplierName());
            totals.add(v);
        }
        return true;
    });
    widths.noteInto(t);
    totals.append(t, true);
    if (r)
        ListedSlips::finish(listed, t, correctedSlips(QStringLiteral("siire.dat")));
    return r;
}

void perNumberShape(GridTable& t)
{
    t.setShape({1000, 3000, 1000, 1000}, 1,
               {QStringLiteral("CODE"), QStringLiteral("品名"), QStringLiteral("数量"), QStringLiteral("金額")});
}

Result salesPerProduct(const ReportPeriod& period, GridTable& t)
{
    perNumberShape(t);
    PerNumberSums sums;
    const Result r = scanSales(period, [&](qint64, const SlipView& v) {
        if (!v.deleted() && period.contains(v.year(), v.month(), v.day())) {
            sums.add(v);
            sums.markReduced(v);
        }
        return true;
    });
    // Marked by what the period's slips say, so a product sold at the reduced rate stays marked after the
    // shop changes its mark or stops using that rate.
    if (r)
        sums.fill(t, [&](int k) {
            return sums.reduced[k] ? ReducedMark + ProductTable[k].ProductName : ProductTable[k].ProductName;
        });
    return r;
}

Result purchasesPerItem(const ReportPeriod& period, GridTable& t)
{
    perNumberShape(t);
    PerNumberSums sums;
    const Result r = scanPurchases(period, [&](qint64, const PurchaseSlipView& v) {
        if (!v.deleted() && period.contains(v.year(), v.month(), v.day()))
            sums.add(v);
        return true;
    });
    if (!r)
        return r;
    // One pass over zaiko.dat for all names; a missing file is left missing, as this window writes nothing.
    QList<PurchaseItem> items;
    if (QFile::exists(dataPath(QStringLiteral("zaiko.dat"))))
        items = LoadPurchaseItems(PurchaseItemCount);
    sums.fill(t, [&](int k) { return k <= items.size() ? items[k - 1].Name : QString(); });
    return r;
}

} // namespace

qint64 nextSlipNo(int index)
{
    const double next = SysNum[index];
    return std::isfinite(next) && next >= 1 && next < 1e15 ? qint64(next) : 0;
}

bool boxNumber(const QString& text, int& value)
{
    const double v = val(text);
    if (!hasNumber(text) || !fitsInt16(v))
        return false;
    value = toInt16(v);
    return true;
}

ReportPeriod ReportPeriod::fromTexts(const QString& year, const QString& month, const QString& day, bool daily)
{
    ReportPeriod p;
    p.daily = daily;
    p.valid = boxNumber(year, p.year) && boxNumber(month, p.month) && (!daily || boxNumber(day, p.day));
    return p;
}

bool ReportPeriod::contains(int y, int m, int d) const
{
    return valid && y == year && m == month && (!daily || d == day);
}

namespace {

Result daySummary(const ReportPeriod& period, GridTable& table)
{
    if (!period.valid) {
        table = DaySummaryTable({});
        table.rows.resize(1);
        return Result::success();
    }
    const ResultWith<MonthDaySummary> read = SummariseMonthByDay(period.year, period.month);
    table = DaySummaryTable(read.value);
    return read;
}

} // namespace

Result buildReport(int kind, const ReportPeriod& period, GridTable& table, RowsMade made)
{
    Result r;
    switch (kind) {
    case SalesSlipReport:
        r = salesSlipList(period, table);
        break;
    case SalesPerProductReport:
        r = salesPerProduct(period, table);
        break;
    case PurchaseSlipReport:
        r = purchaseSlipList(period, table);
        break;
    case PurchasePerItemReport:
        r = purchasesPerItem(period, table);
        break;
    case DaySummaryReport:
        r = daySummary(period, table);
        break;
    default:
        return r;
    }
    if (!r) {
        table.rows.resize(1);
        table.colours.clear();
        table.blockStarts.clear();
        table.widest.fill(QString());
        table.makeBlock = nullptr;
    }
    if (made == RowsMade::All)
        table.makeAllRows();
    return r;
}
