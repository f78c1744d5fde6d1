// The -lh5- compressor: a zlib-style lazy hash-chain match finder feeding LHA's static Huffman blocks.
#include "platform/lhaencoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

// Slicing-by-8 tables: a 374 MB file would otherwise spend a second in the CRC alone.
constexpr std::array<std::array<uint16_t, 256>, 8> makeCrcTables()
{
    std::array<std::array<uint16_t, 256>, 8> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
        t[0][i] = static_cast<uint16_t>(c);
    }
    for (unsigned i = 0; i < 256; ++i)
        for (int s = 1; s < 8; ++s)
            t[s][i] = static_cast<uint16_t>((t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF]);
    return t;
}
constexpr auto kCrc = makeCrcTables();

// The -lh5- parameters.
constexpr uint32_t kWindow = 8192; // dictionary size
constexpr uint32_t kWindowMask = kWindow - 1;
constexpr uint32_t kMaxDist = kWindow - 1; // matches lie strictly closer than this
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 256;
constexpr uint32_t kMinLookahead = kMaxMatch + kMinMatch + 1;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1; // literals and lengths: 510 codes
constexpr int kNP = 14;                              // position codes: bit lengths 0..13
constexpr int kNT = 19;                              // codes of the code-length table
constexpr int kCBits = 9, kPBits = 4, kTBits = 5;
constexpr int kMaxCodeBits = 16;

// Match finder limits. The 8 KiB window holds only eight 1024-byte records, so the chain is searched deeper than
// zlib's level 6 to find the same field a few records back; once a match of 4 or more is in hand, a quarter of it.
constexpr uint32_t kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
constexpr uint32_t kMaxChain = 512;
constexpr uint32_t kGoodMatch = 4;
constexpr uint32_t kMaxLazy = 64;
constexpr uint32_t kNiceMatch = 256;
constexpr uint32_t kTooFar = 4096; // a 3-byte match further back costs more than three literals

constexpr uint32_t kBufferSize = 32 * kWindow;
constexpr uint32_t kBufferPad = kMaxMatch + 16; // lets the compare loops read past the data safely
constexpr uint32_t kBlockCodes = 65535;         // codes per Huffman block: as many as its 16-bit count holds
constexpr size_t kOutChunk = 1 << 16;

// Code lengths limited to 16 bits; returns the only symbol used when there are fewer than two
// (the caller then writes the table as a single zero-length code), otherwise -1.
int makeCode(const uint32_t* freq, int n, uint8_t* len, uint16_t* code)
{
    std::fill(len, len + n, 0);
    std::fill(code, code + n, 0);
    std::vector<int> syms;
    for (int i = 0; i < n; ++i)
        if (freq[i])
            syms.push_back(i);
    if (syms.empty())
        return 0;
    if (syms.size() == 1)
        return syms[0];

    const size_t k = syms.size();
    std::vector<uint64_t> weight(2 * k);
    std::vector<int> parent(2 * k);
    std::vector<uint64_t> scaled(k);
    for (size_t i = 0; i < k; ++i)
        scaled[i] = freq[syms[i]];
    for (;;) {
        // Two-queue Huffman over the leaves in ascending weight order.
        std::vector<size_t> order(k);
        for (size_t i = 0; i < k; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return scaled[a] < scaled[b]; });
        for (size_t i = 0; i < k; ++i)
            weight[i] = scaled[order[i]];
        size_t leaf = 0, inner = k, next = k;
        auto take = [&]() {
            if (leaf < k && (inner >= next || weight[leaf] <= weight[inner]))
                return leaf++;
            return inner++;
        };
        for (size_t i = 0; i + 1 < k; ++i) {
            size_t a = take();
            size_t b = take();
            weight[next] = weight[a] + weight[b];
            parent[a] = parent[b] = static_cast<int>(next);
            ++next;
        }
        std::vector<int> depth(next, 0);
        int maxDepth = 0;
        for (size_t i = next - 1; i-- > 0;) {
            depth[i] = depth[parent[i]] + 1;
            if (i < k)
                maxDepth = std::max(maxDepth, depth[i]);
        }
        if (maxDepth <= kMaxCodeBits) {
            for (size_t i = 0; i < k; ++i)
                len[syms[order[i]]] = static_cast<uint8_t>(depth[i]);
            break;
        }
        // Too deep: flatten the statistics and try again; rare, so the loss does not matter.
        for (auto& w : scaled)
            w = std::max<uint64_t>(1, w / 2);
    }

    // Canonical codes, shorter codes first, equal lengths in symbol order, as LHA's decoders rebuild them.
    uint16_t count[kMaxCodeBits + 2] = {};
    for (int i = 0; i < n; ++i)
        count[len[i]]++;
    count[0] = 0;
    uint16_t start[kMaxCodeBits + 2] = {};
    for (int b = 1; b <= kMaxCodeBits; ++b)
        start[b + 1] = static_cast<uint16_t>((start[b] + count[b]) << 1);
    for (int i = 0; i < n; ++i)
        if (len[i])
            code[i] = start[len[i]]++;
    return -1;
}

} // namespace

uint16_t lhaCrc16(const void* data, size_t size, uint16_t crc)
{
    auto p = static_cast<const uint8_t*>(data);
    uint32_t c = crc;
    while (size >= 8) {
        c ^= p[0] | (p[1] << 8);
        c = kCrc[7][c & 0xFF] ^ kCrc[6][c >> 8] ^ kCrc[5][p[2]] ^ kCrc[4][p[3]] ^ kCrc[3][p[4]] ^ kCrc[2][p[5]] ^
            kCrc[1][p[6]] ^ kCrc[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size--)
        c = (c >> 8) ^ kCrc[0][(c ^ *p++) & 0xFF];
    return static_cast<uint16_t>(c);
}

struct Lh5Encoder::State
{
    Sink sink;
    bool failed = false;
    uint64_t packed = 0;

    // Sliding window; positions are buffer offsets, 0 doubles as "no position".
    std::vector<uint8_t> win = std::vector<uint8_t>(kBufferSize + kBufferPad, 0);
    std::vector<uint32_t> head = std::vector<uint32_t>(kHashSize, 0);
    std::vector<uint32_t> prev = std::vector<uint32_t>(kWindow, 0);
    uint32_t strstart = 0;
    uint32_t lookahead = 0;
    uint32_t matchStart = 0;
    uint32_t matchLength = kMinMatch - 1;
    uint32_t prevMatch = 0;
    uint32_t prevLength = kMinMatch - 1;
    bool matchAvailable = false;

    // The block being collected: literal or length code in the low half, match offset in the high half.
    std::vector<uint32_t> codes;
    uint32_t cFreq[kNC] = {};
    uint32_t pFreq[kNP] = {};

    uint64_t bitBuf = 0;
    int bitCount = 0;
    std::vector<char> out;

    State()
    {
        codes.reserve(kBlockCodes);
        out.reserve(kOutChunk + 8);
    }

    static uint32_t hashAt(const uint8_t* p)
    {
        uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    uint32_t insert(uint32_t pos)
    {
        uint32_t h = hashAt(&win[pos]);
        uint32_t old = head[h];
        prev[pos & kWindowMask] = old;
        head[h] = pos;
        return old;
    }

    void slide()
    {
        // Keep at least one window of history; a multiple of the window keeps prev[] indexes valid.
        uint32_t shift = (strstart - kWindow) & ~kWindowMask;
        uint32_t end = strstart + lookahead;
        std::memmove(win.data(), win.data() + shift, end - shift);
        strstart -= shift;
        matchStart = matchStart > shift ? matchStart - shift : 0;
        prevMatch = prevMatch > shift ? prevMatch - shift : 0;
        for (auto& v : head)
            v = v > shift ? v - shift : 0;
        for (auto& v : prev)
            v = v > shift ? v - shift : 0;
    }

    static uint32_t commonLength(const uint8_t* a, const uint8_t* b, uint32_t max)
    {
        uint32_t n = 0;
        while (n + 8 <= max) {
            uint64_t x, y;
            std::memcpy(&x, a + n, 8);
            std::memcpy(&y, b + n, 8);
            if (x != y) {
                uint64_t d = x ^ y;
                if constexpr (std::endian::native == std::endian::little)
                    return n + std::countr_zero(d) / 8;
                else
                    return n + std::countl_zero(d) / 8;
            }
            n += 8;
        }
        while (n < max && a[n] == b[n])
            ++n;
        return n;
    }

    uint32_t longestMatch(uint32_t cur)
    {
        uint32_t chain = prevLength >= kGoodMatch ? kMaxChain / 4 : kMaxChain;
        const uint8_t* scan = &win[strstart];
        const uint32_t maxLen = std::min(kMaxMatch, lookahead);
        const uint32_t nice = std::min(kNiceMatch, maxLen);
        uint32_t best = prevLength;
        if (best >= maxLen)
            return best;
        const uint32_t limit = strstart > kMaxDist ? strstart - kMaxDist : 0;
        uint8_t end1 = scan[best - 1], end0 = scan[best];
        do {
            const uint8_t* m = &win[cur];
            if (m[best] != end0 || m[best - 1] != end1 || m[0] != scan[0] || m[1] != scan[1])
                continue;
            uint32_t len = commonLength(scan, m, maxLen);
            if (len > best) {
                matchStart = cur;
                best = len;
                if (len >= nice)
                    break;
                end1 = scan[best - 1];
                end0 = scan[best];
            }
        } while ((cur = prev[cur & kWindowMask]) > limit && --chain != 0);
        return best;
    }

    void emit(uint32_t c, uint32_t offset)
    {
        codes.push_back(c | offset << 16);
        cFreq[c]++;
        if (c >= 256)
            pFreq[std::bit_width(offset)]++;
        if (codes.size() == kBlockCodes)
            sendBlock();
    }

    // Lazy evaluation as in zlib's deflate_slow: a match is taken only when the next position has no longer one.
    void compress(bool flush)
    {
        for (;;) {
            if (lookahead < kMinLookahead && !flush)
                return;
            if (lookahead == 0)
                break;
            uint32_t hashHead = 0;
            if (lookahead >= kMinMatch)
                hashHead = insert(strstart);
            prevLength = matchLength;
            prevMatch = matchStart;
            matchLength = kMinMatch - 1;
            if (hashHead != 0 && prevLength < kMaxLazy && strstart - hashHead < kMaxDist) {
                matchLength = longestMatch(hashHead);
                if (matchLength == kMinMatch && strstart - matchStart > kTooFar)
                    matchLength = kMinMatch - 1;
            }
            if (prevLength >= kMinMatch && matchLength <= prevLength) {
                uint32_t maxInsert = strstart + lookahead - kMinMatch;
                emit(prevLength - kMinMatch + 256, strstart - 1 - prevMatch - 1);
                lookahead -= prevLength - 1;
                prevLength -= 2;
                do {
                    if (++strstart <= maxInsert)
                        insert(strstart);
                } while (--prevLength != 0);
                matchAvailable = false;
                matchLength = kMinMatch - 1;
                ++strstart;
            } else if (matchAvailable) {
                emit(win[strstart - 1], 0);
                ++strstart;
                --lookahead;
            } else {
                matchAvailable = true;
                ++strstart;
                --lookahead;
            }
        }
        if (matchAvailable) {
            emit(win[strstart - 1], 0);
            matchAvailable = false;
        }
    }

    void flushOut()
    {
        if (out.empty() || failed)
            return;
        if (!sink(out.data(), out.size()))
            failed = true;
        packed += out.size();
        out.clear();
    }

    void putBits(int n, uint32_t v)
    {
        bitBuf = (bitBuf << n) | v;
        bitCount += n;
        if (bitCount >= 32) {
            bitCount -= 32;
            uint32_t w = static_cast<uint32_t>(bitBuf >> bitCount);
            char bytes[4] = {char(w >> 24), char(w >> 16), char(w >> 8), char(w)};
            out.insert(out.end(), bytes, bytes + 4);
            if (out.size() >= kOutChunk)
                flushOut();
        }
    }

    // Code lengths of the position and code-length tables: 3 bits, longer ones continued in unary.
    void writePtLen(const uint8_t* len, int n, int nbits, int special)
    {
        while (n > 0 && len[n - 1] == 0)
            --n;
        putBits(nbits, n);
        int i = 0;
        while (i < n) {
            int k = len[i++];
            if (k <= 6)
                putBits(3, k);
            else
                putBits(k - 3, (1u << (k - 3)) - 2);
            if (i == special) {
                while (i < 6 && i < n && len[i] == 0)
                    ++i;
                putBits(2, i - special);
            }
        }
    }

    // Walks the literal/length code lengths the way writeCLen sends them: runs of unused codes are shortened.
    template <typename F> static void forEachCLen(const uint8_t* cLen, int n, F&& f)
    {
        int i = 0;
        while (i < n) {
            int k = cLen[i++];
            if (k == 0) {
                int count = 1;
                while (i < n && cLen[i] == 0) {
                    ++i;
                    ++count;
                }
                if (count <= 2) {
                    for (int j = 0; j < count; ++j)
                        f(0, 0, 0);
                } else if (count <= 18) {
                    f(1, 4, count - 3);
                } else if (count == 19) {
                    f(0, 0, 0);
                    f(1, 4, 15);
                } else {
                    f(2, kCBits, count - 20);
                }
            } else {
                f(k + 2, 0, 0);
            }
        }
    }

    void sendBlock()
    {
        if (codes.empty())
            return;
        uint8_t cLen[kNC], pLen[kNP], tLen[kNT];
        uint16_t cCode[kNC], pCode[kNP], tCode[kNT];

        putBits(16, static_cast<uint32_t>(codes.size()));
        int cRoot = makeCode(cFreq, kNC, cLen, cCode);
        if (cRoot < 0) {
            int n = kNC;
            while (n > 0 && cLen[n - 1] == 0)
                --n;
            uint32_t tFreq[kNT] = {};
            forEachCLen(cLen, n, [&](int t, int, uint32_t) { tFreq[t]++; });
            int tRoot = makeCode(tFreq, kNT, tLen, tCode);
            if (tRoot < 0) {
                writePtLen(tLen, kNT, kTBits, 3);
            } else {
                putBits(kTBits, 0);
                putBits(kTBits, tRoot);
            }
            putBits(kCBits, n);
            forEachCLen(cLen, n, [&](int t, int extraBits, uint32_t extra) {
                putBits(tLen[t], tCode[t]);
                putBits(extraBits, extra);
            });
        } else {
            putBits(kTBits, 0);
            putBits(kTBits, 0);
            putBits(kCBits, 0);
            putBits(kCBits, cRoot);
        }
        int pRoot = makeCode(pFreq, kNP, pLen, pCode);
        if (pRoot < 0) {
            writePtLen(pLen, kNP, kPBits, -1);
        } else {
            putBits(kPBits, 0);
            putBits(kPBits, pRoot);
        }

        for (uint32_t v : codes) {
            uint32_t c = v & 0xFFFF;
            putBits(cLen[c], cCode[c]);
            if (c >= 256) {
                uint32_t offset = v >> 16;
                int p = std::bit_width(offset);
                putBits(pLen[p], pCode[p]);
                if (p > 1)
                    putBits(p - 1, offset & ((1u << (p - 1)) - 1));
            }
        }
        codes.clear();
        std::fill(std::begin(cFreq), std::end(cFreq), 0);
        std::fill(std::begin(pFreq), std::end(pFreq), 0);
    }
};

Lh5Encoder::Lh5Encoder(Sink sink) : m_state(std::make_unique<State>())
{
    m_state->sink = std::move(sink);
}

Lh5Encoder::~Lh5Encoder() = default;

bool Lh5Encoder::write(const char* data, size_t size)
{
    State& s = *m_state;
    while (size > 0 && !s.failed) {
        if (s.strstart + s.lookahead == kBufferSize)
            s.slide();
        size_t room = kBufferSize - (s.strstart + s.lookahead);
        size_t n = std::min(size, room);
        std::memcpy(&s.win[s.strstart + s.lookahead], data, n);
        s.lookahead += static_cast<uint32_t>(n);
        data += n;
        size -= n;
        s.compress(false);
    }
    return !s.failed;
}

bool Lh5Encoder::finish()
{
    State& s = *m_state;
    s.compress(true);
    s.sendBlock();
    // Pad the last byte with zero bits.
    while (s.bitCount > 0) {
        int n = std::min(s.bitCount, 8);
        uint32_t byte = static_cast<uint32_t>(s.bitBuf >> (s.bitCount - n)) << (8 - n);
        s.out.push_back(static_cast<char>(byte));
        s.bitCount -= n;
    }
    s.flushOut();
    return !s.failed;
}

uint64_t Lh5Encoder::packedSize() const
{
    return m_state->packed + m_state->out.size();
}
