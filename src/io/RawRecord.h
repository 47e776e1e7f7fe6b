// The sample record of a raw recording: 16 bytes holding six tagged 14-bit samples.
// Slot k (k = 0..5) is a low byte L at offset 2k and a high byte H at 2k + 1; bits 7-6 of H
// are the slot's tag, and the six tags in slot order read "331122" on a good record.
// The sample bits are stored bit-reversed: code bits 0-7 are bits 7-0 of L, and code bit
// 13 - n is bit n of H (n = 0..5). Bytes 12-15 are unused.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

constexpr int64_t kRawStampBytes = 4;   // day, hour, minute, second at each end of the file
constexpr int64_t kRawRecordBytes = 16;
constexpr int kRawRecordSlots = 6;
constexpr int kRawMarkerBytes = 12;   // the bytes that carry the six slots and their tags
constexpr const char* kRecordMarker = "331122";

// Bit n of b moves to bit 7 - n.
constexpr uint8_t ReverseBits(uint8_t b)
{
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    b = static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
    return b;
}

constexpr int DecodeTag(uint8_t high)
{
    return high >> 6;
}

// The 14-bit ADC code of one slot, 0..16383.
constexpr int DecodeSampleCode(uint8_t low, uint8_t high)
{
    return (ReverseBits(low) | (ReverseBits(high) >> 2) << 8) & 0x3FFF;
}

// True when the tags of the slots starting at record[0] read "331122". Reads bytes 0..11.
inline bool HasRecordMarker(const uint8_t* record)
{
    // Tag bits of slots 0..5 sit in the top two bits of the odd bytes. On a little-endian host
    // slot k is the 16-bit word k, so two masked loads test all six tags.
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t first;
        uint32_t last;
        std::memcpy(&first, record, 8);
        std::memcpy(&last, record + 8, 4);
        return (first & 0xC000C000C000C000ull) == 0x40004000C000C000ull &&
               (last & 0xC000C000u) == 0x80008000u;
    } else {
        return (record[1] & 0xC0) == 0xC0 && (record[3] & 0xC0) == 0xC0 && (record[5] & 0xC0) == 0x40 &&
               (record[7] & 0xC0) == 0x40 && (record[9] & 0xC0) == 0x80 && (record[11] & 0xC0) == 0x80;
    }
}

// The six tags of a record as decimal digits in slot order, e.g. "331122".
std::string RecordTags(const uint8_t* record);
