// The reserved tail of a sales slip record: blocks (the rate figures, then the payment) that each begin with
// a version, zero bytes in slips written before the block existed.
#pragma once

#include <cstdint>

// One block of the tail, the bytes [begin, end) of a record image, its int16 version at `begin`.
struct SlipTailBlock
{
    int begin = 0;
    int end = 0;
};

// Version 1 is the only layout of each block so far; 0 (an older slip) or any other value reads as nothing stored.
inline constexpr int16_t SlipTailVersion = 1;

// Reads the fields of one block of a record image, at offsets within the record.
class SlipTailReader
{
public:
    SlipTailReader(const char* record, SlipTailBlock block) : m_record(record), m_block(block) {}

    bool present() const;
    int16_t int16At(int offset) const;
    double doubleAt(int offset) const;

private:
    const char* m_record;
    SlipTailBlock m_block;
};

// Writes one block of a record image: the block is cleared first, so a block written as absent is all zero bytes
// and a present one keeps no byte of what it held before; the bytes around it are never touched.
class SlipTailWriter
{
public:
    // Clears the block and, when `present`, stamps it with the current version.
    SlipTailWriter(char* record, SlipTailBlock block, bool present);

    void putInt16(int offset, int16_t value);
    void putDouble(int offset, double value);

private:
    char* m_record;
    SlipTailBlock m_block;
};
