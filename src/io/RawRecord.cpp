#include "RawRecord.h"

std::string RecordTags(const uint8_t* record)
{
    std::string tags(kRawRecordSlots, '0');
    for (int k = 0; k < kRawRecordSlots; ++k)
        tags[k] = static_cast<char>('0' + DecodeTag(record[2 * k + 1]));
    return tags;
}
