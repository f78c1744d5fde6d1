// The block reader behind every slip scan, and the purchase slip view.
#include "storage/slipscan.h"

#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/slipline.h"
#include "storage/text.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr qint64 BlockBytes = 512 * 1024;
constexpr qint64 PageBytes = 4096;

struct FreeDeleter
{
    void operator()(char* p) const { std::free(p); }
};
using BlockPtr = std::unique_ptr<char, FreeDeleter>;

BlockPtr newBlock()
{
    return BlockPtr(static_cast<char*>(std::aligned_alloc(PageBytes, BlockBytes)));
}

// The kernel copies out of its page cache several times slower into a buffer that starts a few bytes past
// a page boundary, which is where a fresh allocation of this size tends to land in a new process.
char* sharedBlock()
{
    static BlockPtr block = newBlock();
    return block.get();
}

// A scan started from inside another scan's visit gets a block of its own.
bool g_sharedInUse = false;

class BlockLease
{
public:
    BlockLease()
    {
        if (!g_sharedInUse) {
            g_sharedInUse = true;
            m_shared = true;
            m_data = sharedBlock();
        } else {
            m_own = newBlock();
            m_data = m_own.get();
        }
    }
    ~BlockLease()
    {
        if (m_shared)
            g_sharedInUse = false;
    }
    BlockLease(const BlockLease&) = delete;
    BlockLease& operator=(const BlockLease&) = delete;
    char* data() const { return m_data; }

private:
    BlockPtr m_own;
    char* m_data = nullptr;
    bool m_shared = false;
};

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

Result readError(const QString& fileName, int error)
{
    return Result::failure(
        QStringLiteral("%1 を読めません（%2）。").arg(fileName, QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

Result ScanRecords(const QString& fileName, int recordSize, qint64 first, qint64 last,
                   const std::function<bool(qint64, const char*)>& visit)
{
    first = std::max<qint64>(first, 1);
    if (last < first)
        return Result::success();
    const QByteArray path = QFile::encodeName(dataPath(fileName));
    Fd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? Result::success() : readError(fileName, errno);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    BlockLease block;
    if (!block.data())
        return readError(fileName, ENOMEM);
    const qint64 blockRecords = BlockBytes / recordSize;
    off_t offset = off_t(first - 1) * recordSize;
    qint64 n = first;
    while (n <= last) {
        const qint64 want = std::min(blockRecords, last - n + 1) * recordSize;
        qint64 got = 0;
        while (got < want) {
            const ssize_t r = ::pread(fd.get(), block.data() + got, size_t(want - got), offset + got);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return readError(fileName, errno);
            if (r == 0)
                break;
            got += r;
        }
        offset += got;
        const qint64 records = got / recordSize;
        for (qint64 i = 0; i < records; ++i, ++n)
            if (!visit(n, block.data() + i * recordSize))
                return Result::success();
        if (got < want)
            break; // end of file; a trailing part record holds no complete slip
    }
    return Result::success();
}

namespace {

// Where the purchase slip's fields lie; the lines and totals inside their blocks are in SlipLayout.
constexpr int DateAt = 0, SlipNoAt = 60, SupplierNoAt = 64, SupplierNameAt = 66, LinesAt = 98, TotalsAt = 738;
constexpr int DateWidth = 10, SupplierNameWidth = 20;

} // namespace

// Both slip files keep the date at the head of the record in the same form, so the sales view reads it.
int PurchaseSlipView::year() const
{
    return SlipView(p).year();
}
int PurchaseSlipView::month() const
{
    return SlipView(p).month();
}
int PurchaseSlipView::day() const
{
    return SlipView(p).day();
}
QString PurchaseSlipView::date() const
{
    return getText(p + DateAt, DateWidth);
}
int32_t PurchaseSlipView::slipNo() const
{
    return getInt32(p + SlipNoAt);
}
int16_t PurchaseSlipView::supplierNo() const
{
    return getInt16(p + SupplierNoAt);
}
QString PurchaseSlipView::supplierName() const
{
    return getText(p + SupplierNameAt, SupplierNameWidth);
}
const char* PurchaseSlipView::line(int k) const
{
    return p + SlipLayout::lineAt(LinesAt, k);
}
int16_t PurchaseSlipView::itemNo(int k) const
{
    return getInt16(line(k) + SlipLayout::LineNumber);
}
QString PurchaseSlipView::itemName(int k) const
{
    return getText(line(k) + SlipLayout::LineName, SlipLayout::LineNameWidth);
}
int16_t PurchaseSlipView::unitPrice(int k) const
{
    return getInt16(line(k) + SlipLayout::LineUnitPrice);
}
int16_t PurchaseSlipView::qty(int k) const
{
    return getInt16(line(k) + SlipLayout::LineQty);
}
double PurchaseSlipView::amount(int k) const
{
    return getDouble(line(k) + SlipLayout::LineAmount);
}
double PurchaseSlipView::subtotal() const
{
    return getDouble(p + TotalsAt + SlipLayout::Subtotal);
}
double PurchaseSlipView::tax() const
{
    return getDouble(p + TotalsAt + SlipLayout::Tax);
}
double PurchaseSlipView::total() const
{
    return getDouble(p + TotalsAt + SlipLayout::Total);
}
bool PurchaseSlipView::deleted() const
{
    return getInt16(p + TotalsAt + SlipLayout::Deleted) != 0;
}

Result ScanPurchaseSlips(qint64 first, qint64 last, const std::function<bool(qint64, const PurchaseSlipView&)>& visit)
{
    return ScanRecords(QStringLiteral("siire.dat"), PurchaseSlipRecordSize, first, last,
                       [&](qint64 n, const char* record) { return visit(n, PurchaseSlipView(record)); });
}
