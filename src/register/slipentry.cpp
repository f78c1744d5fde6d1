// Sales slip arithmetic, checks, saving, deletion and month lists for the register window.
#include "register/slipentry.h"

#include "storage/jancode.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFileInfo>
#include <cmath>

namespace {

const QString Weathers[] = {QStringLiteral("晴れ"), QStringLiteral("雨"), QStringLiteral("曇り"), QStringLiteral("雪"),
                            QStringLiteral("台風")};

bool validProduct(int n)
{
    return n >= 1 && n <= MaxProductEntries;
}

constexpr int ProductNoDigits = 4; // longer runs of digits are JAN codes
constexpr int MaxScanDigits = 20;  // a longer run is no code at all and is not kept

// A message for a value that does not fit its 16-bit field, or an empty text when it fits.
QString int16Problem(int line, const QString& field, double value)
{
    if (fitsInt16(value))
        return {};
    const QString how = value < 0 ? QStringLiteral("小さすぎます") : QStringLiteral("大きすぎます");
    return QStringLiteral("%1 行目の%2が%3（-32768～32767）。").arg(line).arg(field, how);
}

} // namespace

bool codeTextKept(QStringView text)
{
    if (allDigits(text))
        return text.size() <= MaxScanDigits;
    const double v = val(text);
    return v != 0 && v <= HighestProductNo;
}

bool productRegistered(int n)
{
    if (!validProduct(n))
        return false;
    return !ProductTable[n].ProductName.trimmed().isEmpty() || ProductTable[n].SalePrice != 0;
}

CodeLookUp lookUpCode(QStringView code, double productCount)
{
    if (code.isEmpty())
        return {};
    const QString text = asciiDigits(code);
    if (allDigits(text) && text.size() > ProductNoDigits) {
        if (text.size() != 8 && text.size() != 12 && text.size() != 13)
            return {CodeLookUp::Refused, 0,
                    QStringLiteral("%1 桁の番号は商品番号にも JANコードにもなりません。").arg(text.size())};
        const JanRead read = readJanCode(text);
        if (!read.ok())
            return {CodeLookUp::Refused, 0, read.problem};
        const int n = janIndex().productFor(read.code);
        if (n == 0 || n > productCount || !productRegistered(n))
            return {CodeLookUp::Refused, 0, QStringLiteral("JANコード %1 の商品は登録されていません。").arg(read.code)};
        return {CodeLookUp::Scan, n, {}};
    }
    const std::optional<int> i = productEntryFor(text, productCount);
    if (!i || !productRegistered(*i))
        return {CodeLookUp::Refused, 0, QStringLiteral("商品番号 %1 の商品は登録されていません。").arg(code)};
    return {CodeLookUp::Product, *i, {}};
}

namespace {

bool lineEmpty(const EntryLine& line)
{
    return line.code.isEmpty() && line.name.isEmpty() && line.price.isEmpty() && line.qty.isEmpty() &&
           line.amount.isEmpty();
}

bool lineHolds(const EntryLine& line, int product)
{
    return !line.code.isEmpty() && roundHalfEven(val(asciiDigits(line.code))) == product;
}

} // namespace

ScanPlace placeScan(const EntryTexts& entry, int k, int product)
{
    if (k > 1 && lineHolds(entry.line[k - 1], product))
        return {k - 1, true, {}};
    if (lineEmpty(entry.line[k]))
        return {k, false, {}};
    if (lineHolds(entry.line[k], product))
        return {k, true, {}};
    for (int j = k + 1; j <= SlipLineCount; ++j)
        if (lineEmpty(entry.line[j]))
            return {j, false, {}};
    for (int j = 1; j < k; ++j)
        if (lineEmpty(entry.line[j]))
            return {j, false, {}};
    return {0, false, QStringLiteral("伝票の 10 行がいっぱいです。登録してから次の伝票で読み取ってください。")};
}

QString quantityText(const QString& text)
{
    const double v = val(text);
    if (v == 0)
        return text;
    const QString plain = numText(v);
    return plain == text ? text : plain;
}

std::optional<int> productEntryFor(QStringView code, double productCount)
{
    const double n = val(code);
    if (n > productCount)
        return std::nullopt;
    // Compared before the conversion, so a typed -1e300 cannot overflow it.
    const double i = roundHalfEven(n);
    if (!(i >= 0 && i <= MaxProductEntries))
        return std::nullopt;
    return int(i);
}

QString productListEntry(int productNo, const QString& name, bool reduced)
{
    // Padding to a fixed width only pushed long names past the list's edge, where they were cut off.
    return QString::number(productNo).leftJustified(5, u' ') + QStringLiteral(" - ") +
           (reduced ? ReducedMark : QString()) + shownText(name);
}

double slipTotal(const QStringList& amounts)
{
    double total = 0;
    for (const QString& a : amounts)
        total = total + val(a);
    return total;
}

SlipRates entryTax(const EntryTexts& entry)
{
    TaxLines lines;
    for (int k = 1; k <= SlipLineCount; ++k) {
        const double code = val(entry.line[k].code);
        lines[k] = {fitsInt16(code) ? toInt16(code) : 0, val(entry.line[k].amount)};
    }
    return SaleTax(lines, val(entry.total), true);
}

QString changeText(double tender, double total)
{
    const double change = tender - total;
    return change < 0 ? QStringLiteral("-----") : groupedNumber(change);
}

ChangeBoxes changeBoxes(double total)
{
    ChangeBoxes boxes;
    boxes.refund = total < 0;
    if (boxes.refund) {
        boxes.texts[0] = groupedNumber(-total);
        return boxes;
    }
    for (int i = 0; i < 4; ++i)
        boxes.texts[i] = changeText(ChangeTenders[i], total);
    return boxes;
}

SlipRates storedRates(const SalesSlipRecord& slip, double standardRate)
{
    if (slip.Rates.present)
        return slip.Rates;
    SlipRates rates;
    rates.standard = {slip.Total, slip.Tax, standardRate};
    return rates;
}

bool storedLineEmpty(const SalesSlipLine& line)
{
    return line.ProductNo == 0 && line.UnitPrice == 0 && line.Qty == 0 && line.Amount == 0;
}

QString nextSlipNoText(qint64 lastSaved)
{
    const double next = SysNum[Sys::NextSalesSlipNo];
    if (lastSaved >= next && QFileInfo::exists(JournalPath()))
        return QString::number(lastSaved + 1);
    return numText(next);
}

bool tenderedTextKept(QStringView text)
{
    if (text.size() > 8)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QString changeDueText(PaymentMethod method, const QString& tendered, double total)
{
    if (method != PaymentMethod::Cash || tendered.isEmpty())
        return {};
    return groupedNumber(val(tendered) - total);
}

QString paymentProblem(PaymentMethod method, const QString& tendered, double total)
{
    if (method != PaymentMethod::Cash || tendered.isEmpty())
        return {};
    if (!tenderedTextKept(tendered))
        return QStringLiteral("お預りは 0～%1 円の整数で入力してください。").arg(numText(HighestTendered));
    if (val(tendered) < total)
        return QStringLiteral("お預りが合計より少なくなっています（お預り %1、合計 %2）。")
            .arg(numText(val(tendered)), numText(total));
    return {};
}

SlipPayment entryPayment(PaymentMethod method, const QString& tendered)
{
    SlipPayment p;
    p.present = true;
    p.method = method;
    p.tendered = method == PaymentMethod::Cash && tenderedTextKept(tendered) ? val(tendered) : 0;
    return p;
}

QString weatherName(double code)
{
    for (int i = 1; i <= 5; ++i)
        if (code == i)
            return Weathers[i - 1];
    return {};
}

int weatherCode(const QString& storedName)
{
    QString name = storedName;
    while (name.endsWith(u' '))
        name.chop(1);
    for (int i = 1; i <= 5; ++i)
        if (name == Weathers[i - 1])
            return i;
    return 0;
}

Result buildSlip(const EntryTexts& entry, bool taxOn, SalesSlipRecord& slip, QList<StockChange>& taken)
{
    const double slipNo = val(entry.slipNo);
    if (!fitsInt32(slipNo))
        return Result::failure(QStringLiteral("伝票番号が大きすぎます。"));
    for (int k = 1; k <= SlipLineCount; ++k) {
        const EntryLine& line = entry.line[k];
        for (const QString& problem : {int16Problem(k, QStringLiteral("商品番号"), val(line.code)),
                                       int16Problem(k, QStringLiteral("単価"), val(line.price)),
                                       int16Problem(k, QStringLiteral("数量"), val(line.qty))})
            if (!problem.isEmpty())
                return Result::failure(problem);
    }
    // The total is the one the cashier saw; whatever emptied lines without it must not store it on its own.
    QStringList amounts;
    for (int k = 1; k <= SlipLineCount; ++k)
        amounts << entry.line[k].amount;
    const double sum = slipTotal(amounts);
    if (numText(val(entry.total)) != numText(sum))
        return Result::failure(QStringLiteral("合計 %1 が各行の金額の合計 %2 と合わないため、保存できません。")
                                   .arg(numText(val(entry.total)), numText(sum)));
    if (const QString problem = paymentProblem(entry.method, entry.tendered, val(entry.total)); !problem.isEmpty())
        return Result::failure(problem);

    taken.clear();
    slip.Date = entry.date;
    slip.Time = entry.time;
    slip.Weather = weatherName(val(entry.weather));
    slip.SlipNo = toInt32(slipNo);
    for (int k = 1; k <= SlipLineCount; ++k) {
        const EntryLine& line = entry.line[k];
        SalesSlipLine& out = slip.Line[k];
        out.ProductNo = toInt16(val(line.code));
        out.ProductName = line.name;
        out.UnitPrice = toInt16(val(line.price));
        out.Qty = toInt16(val(line.qty));
        out.Amount = val(line.amount);
        if (out.ProductNo == 0 || !validProduct(out.ProductNo))
            continue;
        // The quantity as stored leaves the shelf: a correction or deletion gives back exactly that, so a
        // typed fraction can never make the stock drift.
        for (int j = 1; j <= 5; ++j) {
            const ComponentSlot& slot = ProductTable[out.ProductNo].Slot[j];
            if (slot.ComponentItemNo != 0)
                taken << StockChange{slot.ComponentItemNo, -(out.Qty * slot.ComponentQty)};
        }
    }
    const double total = val(entry.total);
    slip.Subtotal = total;
    slip.Total = total;
    slip.Deleted = 0;
    slip.Payment = entryPayment(entry.method, entry.tendered);
    FillSlipTax(slip, taxOn);
    return Result::success();
}

void addStockTaken(const SalesSlipRecord& slip, StockRestoreTable& restore)
{
    for (int k = 1; k <= SlipLineCount; ++k) {
        const SalesSlipLine& line = slip.Line[k];
        if (line.ProductNo == 0 || !validProduct(line.ProductNo))
            continue;
        for (int j = 1; j <= 5; ++j) {
            const ComponentSlot& slot = ProductTable[line.ProductNo].Slot[j];
            if (slot.ComponentItemNo >= 1 && slot.ComponentItemNo <= PurchaseItemCount)
                restore[slot.ComponentItemNo] += line.Qty * slot.ComponentQty;
        }
    }
}

namespace {

// The stock changes of a save: what the new lines take, then what the recalled version gave back.
QList<StockChange> withRestore(QList<StockChange> changes, const StockRestoreTable& restore)
{
    for (int i = 1; i <= PurchaseItemCount; ++i)
        if (restore[i] != 0)
            changes << StockChange{i, restore[i]};
    return changes;
}

} // namespace

SaveOutcome saveSale(const EntryTexts& entry, bool correction, StockRestoreTable& restore,
                     const SalesSlipRecord& recalled)
{
    const QString notSaved = QStringLiteral("伝票は保存されていません。\n");
    QList<StockChange> taken;
    SalesSlipRecord slip = correction ? recalled : SalesSlipRecord();
    if (Result r = buildSlip(entry, SysNum[Sys::SalesTaxSwitch] == 1, slip, taken); !r)
        return {false, 0, r.error};
    SaveOutcome outcome;
    if (correction) {
        const double number = val(entry.slipNo);
        if (!fitsInt32(number) || toInt32(number) < 1)
            return {false, 0, QStringLiteral("伝票番号 %1 には保存できません。").arg(numText(number))};
        outcome = SaveCorrectedSalesSlip(toInt32(number), slip, withRestore(taken, restore));
    } else {
        outcome = SaveNewSalesSlip(slip, withRestore(taken, restore));
    }
    if (!outcome.saved) {
        outcome.error = notSaved + outcome.error;
        return outcome;
    }
    restore.fill(0);
    return outcome;
}

SaveOutcome deleteSale(qint64 n, StockRestoreTable& restore)
{
    const SaveOutcome outcome = DeleteSalesSlip(n, withRestore({}, restore));
    if (outcome.saved)
        restore.fill(0);
    return outcome;
}
