// The start of most raw-reader tests: the recording opened and its header read, each step's
// failure named. The header's figures are there for the tests that look at them.
#pragma once

#include "ReadIshFile.h"

#include <gtest/gtest.h>

#include <cstdint>

struct RecordingHeader {
    uint16_t hours = 0;
    uint16_t minutes = 0;
    uint16_t seconds = 0;
    uint32_t rate = 0;
};

// ASSERT_TRUE(OpenAndReadHeader(reader)) or, with the figures, (reader, &header): fails when the
// file does not open or ReadHeader returns another status than `expected`.
inline ::testing::AssertionResult OpenAndReadHeader(TReadIshFile& reader, RecordingHeader* header = nullptr,
                                                    int expected = kRawHeaderOk)
{
    if (const int opened = reader.Open(); opened != 0)
        return ::testing::AssertionFailure() << "Open() returned " << opened;
    RecordingHeader read;
    const int status = reader.ReadHeader(read.hours, read.minutes, read.seconds, read.rate);
    if (header)
        *header = read;
    if (status != expected)
        return ::testing::AssertionFailure()
               << "ReadHeader() returned " << status << ", expected " << expected;
    return ::testing::AssertionSuccess();
}
