// Reading and writing the versioned blocks of a sales slip's reserved tail.
#include "storage/sliptail.h"

#include "storage/text.h"

#include <QtGlobal>
#include <cstring>

bool SlipTailReader::present() const
{
    return getInt16(m_record + m_block.begin) == SlipTailVersion;
}

int16_t SlipTailReader::int16At(int offset) const
{
    Q_ASSERT(offset > m_block.begin && offset + 2 <= m_block.end);
    return getInt16(m_record + offset);
}

double SlipTailReader::doubleAt(int offset) const
{
    Q_ASSERT(offset > m_block.begin && offset + 8 <= m_block.end);
    return getDouble(m_record + offset);
}

SlipTailWriter::SlipTailWriter(char* record, SlipTailBlock block, bool present) : m_record(record), m_block(block)
{
    std::memset(m_record + m_block.begin, 0, size_t(m_block.end - m_block.begin));
    if (present)
        ::putInt16(m_record + m_block.begin, SlipTailVersion);
}

void SlipTailWriter::putInt16(int offset, int16_t value)
{
    Q_ASSERT(offset > m_block.begin && offset + 2 <= m_block.end);
    ::putInt16(m_record + offset, value);
}

void SlipTailWriter::putDouble(int offset, double value)
{
    Q_ASSERT(offset > m_block.begin && offset + 8 <= m_block.end);
    ::putDouble(m_record + offset, value);
}
