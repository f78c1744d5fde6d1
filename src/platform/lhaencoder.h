// The -lh5- compressor (LZSS over an 8 KiB window, static Huffman blocks) and the LHA CRC-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// CRC-16 as LHA uses it (polynomial 0xA001 reflected, start 0); pass the previous result to continue.
uint16_t lhaCrc16(const void* data, size_t size, uint16_t crc = 0);

class Lh5Encoder
{
public:
    // Receives the compressed bytes in order; returning false stops the encoder.
    using Sink = std::function<bool(const char* data, size_t size)>;

    explicit Lh5Encoder(Sink sink);
    ~Lh5Encoder();
    Lh5Encoder(const Lh5Encoder&) = delete;
    Lh5Encoder& operator=(const Lh5Encoder&) = delete;

    // Feeds the next piece of the input; false once the sink has refused data.
    bool write(const char* data, size_t size);
    // Compresses what is left and flushes the last bits; the encoder is spent afterwards.
    bool finish();
    // Bytes handed to the sink so far.
    uint64_t packedSize() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
