// The raw recording reader against generated recordings: header arithmetic, frame reads,
// resynchronisation over damage, moves, and the numbered error boxes.
#include "IoTestSupport.h"
#include "RawRecord.h"
#include "RawReaderFixture.h"
#include "ReadIshFile.h"
#include "SampleGen.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
const std::string kErrorCaption = "Серьезная ошибка при считывании исходного файла!";

std::string ErrorBox(int code)
{
    return kErrorCaption + "|Ошибка № " + std::to_string(code);
}

// Six channel arrays and a time array for one frame.
struct Frame {
    explicit Frame(int n) : time(n)
    {
        for (int c = 0; c < 6; ++c) {
            data[c].assign(n, -1e9);
            ptr[c] = data[c].data();
        }
    }
    std::array<std::vector<double>, 6> data;
    std::array<double*, 6> ptr{};
    std::vector<double> time;
};

// The values a frame must hold: records first, first + step, ... of each channel, despiked.
std::array<std::vector<double>, 6> Expected(const RawRecordingSpec& spec, int64_t first, int step, int n)
{
    std::array<std::vector<double>, 6> out;
    for (int c = 0; c < 6; ++c) {
        for (int i = 0; i < n; ++i)
            out[c].push_back(RawSampleCode(spec, c, first + int64_t{i} * step) - spec.nullAdc);
        SuppressSpikes(out[c].data(), n);
    }
    return out;
}

std::vector<uint8_t> StampedFile(std::array<uint8_t, 4> start, std::array<uint8_t, 4> end, int64_t records)
{
    std::vector<uint8_t> bytes(start.begin(), start.end());
    const auto record = EncodeRawRecord({1120, 1120, 1120, 1120, 1120, 1120});
    for (int64_t i = 0; i < records; ++i)
        bytes.insert(bytes.end(), record.begin(), record.end());
    bytes.insert(bytes.end(), end.begin(), end.end());
    return bytes;
}

class RawReaderTest : public testing::Test {
protected:
    std::string Make(const RawRecordingSpec& spec, const std::string& name = "rec.dat")
    {
        const std::string path = scratch.Path(name);
        std::string error;
        EXPECT_TRUE(WriteRawRecording(path, spec, &error)) << error;
        return path;
    }
    std::string MakeBytes(const std::vector<uint8_t>& bytes, const std::string& name = "rec.dat")
    {
        const std::string path = scratch.Path(name);
        std::string error;
        EXPECT_TRUE(WriteBytes(path, bytes, &error)) << error;
        return path;
    }

    ScratchDir scratch;
    RecordingPresenter rec;
    Settings settings = DefaultSettings();
};

struct HeaderCase {
    const char* what;
    std::array<uint8_t, 4> start;   // day, hour, minute, second
    std::array<uint8_t, 4> end;
    int64_t records;
    int status;
    int hours, minutes, seconds;
    uint32_t rate;
};

class RawHeader : public RawReaderTest, public testing::WithParamInterface<HeaderCase> {};

TEST_P(RawHeader, DurationAndRateFromStampsAndSize)
{
    const auto& c = GetParam();
    TReadIshFile reader(MakeBytes(StampedFile(c.start, c.end, c.records)), settings);
    ASSERT_EQ(reader.Open(), 0);
    uint16_t h = 99, m = 99, s = 99;
    uint32_t rate = 99;
    EXPECT_EQ(reader.ReadHeader(h, m, s, rate), c.status);
    EXPECT_EQ(h, c.hours);
    EXPECT_EQ(m, c.minutes);
    EXPECT_EQ(s, c.seconds);
    EXPECT_EQ(rate, c.rate);
    if (c.status == kRawHeaderOk) {
        EXPECT_TRUE(rec.messages.empty());
        EXPECT_EQ(reader.DataStart(), 4);
        EXPECT_EQ(reader.Position(), 4);
        EXPECT_EQ(reader.CurrentTime(), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawHeader,
    testing::Values(
        HeaderCase{"day wrap", {5, 23, 59, 50}, {6, 0, 0, 10}, 20 * 50, 0, 0, 0, 20, 50},
        HeaderCase{"hours minutes seconds", {5, 10, 0, 0}, {5, 11, 1, 1}, 3661 * 3 + 2, 0, 1, 1, 1, 3},
        HeaderCase{"a whole day less a second", {5, 0, 0, 0}, {5, 23, 59, 59}, 86399, 0, 23, 59, 59, 1},
        HeaderCase{
            "end two days on: fallback rate", {5, 10, 0, 0}, {7, 10, 0, 5}, 2 * 40590 + 1, 0, 0, 0, 2, 40590},
        HeaderCase{"hour out of range: fallback", {5, 24, 0, 0}, {5, 24, 0, 9}, 40590, 0, 0, 0, 1, 40590},
        HeaderCase{
            "month wrap counts as unusable", {31, 23, 59, 59}, {1, 0, 0, 1}, 40590 * 3, 0, 0, 0, 3, 40590},
        HeaderCase{"end before start on one day", {5, 10, 0, 0}, {5, 9, 59, 59}, 100, 2, 0, 0, 0, 0},
        HeaderCase{"equal stamps", {5, 10, 0, 0}, {5, 10, 0, 0}, 100, 2, 0, 0, 0, 0},
        HeaderCase{
            "contradiction wins over unusable stamps", {40, 10, 0, 0}, {40, 9, 0, 0}, 100, 2, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(RawReaderTest, ContradictoryStampsRefuseTheFileWithMessageAndCode)
{
    TReadIshFile reader(MakeBytes(StampedFile({5, 10, 0, 0}, {5, 9, 59, 59}, 10)), settings);
    ASSERT_EQ(reader.Open(), 0);
    uint16_t h, m, s;
    uint32_t rate;
    EXPECT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderContradictory);
    // The program goes on after refusing the file, and the message says so.
    EXPECT_EQ(Shown(rec), (std::vector<std::string>{
                              "plain|Неверно считано время записи: конец записи не позже ее начала. Файл не "
                              "может быть открыт, работа программы продолжается.",
                              ErrorBox(-5)}));
}

TEST_F(RawReaderTest, GeneratedDayWrapAndUnusableStampsReadBackAsWritten)
{
    RawRecordingSpec spec;
    spec.rate = 2000;
    spec.seconds = 20;
    spec.startDay = 5;
    spec.startHour = 23;
    spec.startMinute = 59;
    spec.startSecond = 50;
    uint16_t h, m, s;
    uint32_t rate;
    {
        TReadIshFile reader(Make(spec, "wrap.dat"), settings);
        ASSERT_EQ(reader.Open(), 0);
        ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
        EXPECT_EQ(s, 20);
        EXPECT_EQ(rate, 2000u);
    }
    // With unusable stamps 81180 records make 2 s at the fallback rate.
    spec.invalidStamps = true;
    spec.rate = 4059;
    TReadIshFile reader(Make(spec, "invalid.dat"), settings);
    ASSERT_EQ(reader.Open(), 0);
    ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(rate, 40590u);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, RateFromFileSizeIgnoresARemainder)
{
    RawRecordingSpec spec;
    spec.rate = 40000;
    spec.seconds = 10;
    spec.extraRecords = 5;   // 4 + 16 * 400005 + 4 bytes, stamps 10 s apart
    TReadIshFile reader(Make(spec), settings);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.FileSize(), 4 + 16 * 400005 + 4);
    uint16_t h, m, s;
    uint32_t rate;
    ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
    EXPECT_EQ(rate, 40000u);
    EXPECT_EQ(reader.GetRate(), 40000u);
    EXPECT_EQ(s, 10);
}

struct RefusalCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::array<int32_t, 6> chs;
    std::string text;
    int32_t nullAdc = 1120;
};

class RawRefusal : public RawReaderTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RawRefusal, FileIsRefusedWithAMessageAndClosed)
{
    const auto& c = GetParam();
    settings.Chs = c.chs;
    settings.NULL_ADC = c.nullAdc;
    TReadIshFile reader(MakeBytes(c.bytes), settings);
    ASSERT_EQ(reader.Open(), 0);
    uint16_t h, m, s;
    uint32_t rate = 7;
    EXPECT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderRefused);
    EXPECT_EQ(rate, 0u);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].caption, "ВНИМАНИЕ");
    EXPECT_EQ(rec.messages[0].text, c.text);
    // Nothing stays open, nothing can be read, and the window closing adds no further box.
    EXPECT_EQ(reader.GetRate(), 0u);
    Frame frame(4);
    EXPECT_EQ(reader.ReadFrame(1, 4, frame.time.data(), frame.ptr, 1), 1);
    EXPECT_EQ(reader.Close(), 0);
    EXPECT_EQ(rec.messages.size(), 1u);
}

const std::array<int32_t, 6> kIdentity{0, 1, 2, 3, 4, 5};
const char* const kTooShort =
    "Файл записи слишком короткий: в нем нет ни одной записи отсчетов. Файл не может быть открыт.";
const char* const kZeroDuration =
    "Длительность записи равна нулю: время записи не считано, а записей меньше, чем за одну "
    "секунду. Файл не может быть открыт.";
const char* const kZeroRate =
    "Частота дискретизации записи получается равной нулю: записей в файле меньше, чем секунд в "
    "записи. Файл не может быть открыт.";
std::string BadZero(int64_t zero)
{
    return "Неверно задан ноль АЦП (NULL_ADC = " + std::to_string(zero) +
           "): он должен быть целым числом от 0 до 16383. Исправьте ноль АЦП в настройках.";
}
const char* const kBadMap =
    "Неверно задан порядок каналов: каждый из каналов 1-6 должен встречаться ровно один раз. "
    "Исправьте порядок каналов в настройках.";

INSTANTIATE_TEST_SUITE_P(
    Cases, RawRefusal,
    testing::Values(
        RefusalCase{"empty", {}, kIdentity, kTooShort},
        RefusalCase{"seven bytes", {5, 10, 0, 0, 5, 10, 0}, kIdentity, kTooShort},
        RefusalCase{"stamps and a partial record", std::vector<uint8_t>(23, 5), kIdentity, kTooShort},
        RefusalCase{"unusable stamps, under a second at the fallback rate",
                    StampedFile({5, 10, 0, 0}, {8, 10, 0, 1}, 40589), kIdentity, kZeroDuration},
        RefusalCase{"fewer records than seconds", StampedFile({5, 10, 0, 0}, {5, 10, 1, 40}, 99), kIdentity,
                    kZeroRate},
        RefusalCase{"two slots on one channel",
                    StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10),
                    {0, 1, 2, 3, 4, 4},
                    kBadMap},
        RefusalCase{"channel number out of range",
                    StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10),
                    {0, 1, 2, 3, 4, 6},
                    kBadMap},
        // An ADC zero that is not one of the 14-bit codes; the lowest would overflow the decoding.
        RefusalCase{"zero below the codes", StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10), kIdentity,
                    BadZero(-1), -1},
        RefusalCase{"zero above the codes", StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10), kIdentity,
                    BadZero(16384), 16384},
        RefusalCase{"lowest 32-bit zero", StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10), kIdentity,
                    BadZero(INT32_MIN), INT32_MIN},
        RefusalCase{"highest 32-bit zero", StampedFile({5, 10, 0, 0}, {5, 10, 0, 1}, 10), kIdentity,
                    BadZero(INT32_MAX), INT32_MAX}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(RawReaderTest, MissingFileShowsTheSystemReason)
{
    TReadIshFile reader(scratch.Path("absent.dat"), settings);
    EXPECT_EQ(reader.Open(), 1);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].caption, "GetLastError");
    EXPECT_EQ(rec.messages[0].text, std::strerror(ENOENT));
    EXPECT_EQ(rec.messages[0].flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(reader.Close(), 1);
    EXPECT_EQ(Shown(rec).back(), ErrorBox(-2));
}

TEST_F(RawReaderTest, DocumentedRecordsDecodeToValuesRelativeToTheZero)
{
    // Slot 0 holds L = 0x01, H = 0xC0 (tag 3, code 128); slot 2 holds L = 0x00, H = 0x41
    // (tag 1, code 8192); the rest carry their tags and code 0.
    std::vector<uint8_t> bytes{5, 10, 0, 0};
    const uint8_t record[16] = {0x01, 0xC0, 0x00, 0xC0, 0x00, 0x41, 0x00, 0x40,
                                0x00, 0x80, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF};
    bytes.insert(bytes.end(), record, record + 16);
    bytes.insert(bytes.end(), {5, 10, 0, 1});
    TReadIshFile reader(MakeBytes(bytes), settings);
    ASSERT_EQ(reader.Open(), 0);
    uint16_t h, m, s;
    uint32_t rate;
    ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
    Frame frame(1);
    ASSERT_EQ(reader.ReadFrame(1, 1, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data[0][0], -992.0);
    EXPECT_EQ(frame.data[1][0], -1120.0);
    EXPECT_EQ(frame.data[2][0], 8192.0 - 1120.0);

    // The ends of the zero's range decode exactly too.
    for (const int32_t zero : {0, 16383}) {
        settings.NULL_ADC = zero;
        TReadIshFile atEnd(MakeBytes(bytes, "end" + std::to_string(zero) + ".dat"), settings);
        ASSERT_EQ(atEnd.Open(), 0);
        ASSERT_EQ(atEnd.ReadHeader(h, m, s, rate), kRawHeaderOk);
        ASSERT_EQ(atEnd.ReadFrame(1, 1, frame.time.data(), frame.ptr, 1), 0);
        EXPECT_EQ(frame.data[0][0], 128.0 - zero);
        EXPECT_EQ(frame.data[2][0], 8192.0 - zero);
    }
}

TEST_F(RawReaderTest, FramesFollowTheRecordingWithStepChannelMapAndTimes)
{
    RawRecordingSpec spec;
    spec.rate = 1000;
    spec.seconds = 4;
    spec.noise = 300;   // noise makes spikes for the despiking to act on
    spec.chs = {3, 0, 5, 1, 2, 4};
    settings.Chs = spec.chs;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));

    // A full-rate second, then a decimated one: ceil(1000 / 3) samples span 1002 records,
    // yet the current time moves by exactly one second.
    Frame full(1000);
    ASSERT_EQ(reader.ReadFrame(1, 1000, full.time.data(), full.ptr, 1), 0);
    EXPECT_EQ(full.data, Expected(spec, 0, 1, 1000));
    EXPECT_DOUBLE_EQ(full.time[999], 0.999);
    EXPECT_EQ(reader.CurrentTime(), 1.0);

    Frame decimated(334);
    ASSERT_EQ(reader.ReadFrame(3, 334, decimated.time.data(), decimated.ptr, 1), 0);
    EXPECT_EQ(decimated.data, Expected(spec, 1000, 3, 334));
    EXPECT_DOUBLE_EQ(decimated.time[0], 1.0);
    EXPECT_DOUBLE_EQ(decimated.time[333], 1.999);
    EXPECT_EQ(reader.CurrentTime(), 2.0);
    EXPECT_EQ(reader.Position(), 4 + 16 * (1000 + 1002));
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, DamagedRecordsInAFrameAreSkippedAndTheSamplesAroundThemKept)
{
    RawRecordingSpec spec;
    spec.rate = 1000;
    spec.seconds = 3;
    spec.noise = 50;
    // A whole damaged record, a few stray bytes that break the 16-byte rhythm, and a damaged
    // record right before the last one of the frame.
    spec.damage = {{200, 16}, {500, 5}, {999, 16}};
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    Frame frame(1000);
    ASSERT_EQ(reader.ReadFrame(1, 1000, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 1000));
    // Each skipped whole record moves the time on by one record.
    EXPECT_DOUBLE_EQ(frame.time[199], 0.199);
    EXPECT_DOUBLE_EQ(frame.time[200], 0.201);
    EXPECT_DOUBLE_EQ(frame.time[998], 0.999);
    EXPECT_DOUBLE_EQ(frame.time[999], 1.001);
    EXPECT_DOUBLE_EQ(reader.CurrentTime(), 1.002);
    EXPECT_TRUE(rec.messages.empty()) << rec.messages.size();

    // The next frame starts with the record after the last one read.
    Frame next(10);
    ASSERT_EQ(reader.ReadFrame(1, 10, next.time.data(), next.ptr, 1), 0);
    EXPECT_EQ(next.data, Expected(spec, 1000, 1, 10));
}

TEST_F(RawReaderTest, LongGarbageGivesOneResynchronisationMessagePerFrame)
{
    RawRecordingSpec spec;
    spec.rate = 1000;
    spec.seconds = 3;
    spec.damage = {{100, 20000}, {1100, 9000}};   // about 20 and 9 fruitless searches
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    const std::string resync = "Внимание|Ошибка чтения порядка каналов должно=331122 считывается=000000";
    Frame frame(1000);
    ASSERT_EQ(reader.ReadFrame(1, 1000, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 1000));
    EXPECT_EQ(Shown(rec), std::vector<std::string>{resync});
    ASSERT_EQ(reader.ReadFrame(1, 1000, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 1000, 1, 1000));
    EXPECT_EQ(Shown(rec), (std::vector<std::string>{resync, resync}));
}

TEST_F(RawReaderTest, SeekToZeroGoesToOffsetFourAndResynchronisesFromThere)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 3;
    spec.damage = {{0, 7}};   // the first record starts at offset 11
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    EXPECT_EQ(reader.DataStart(), 11);
    EXPECT_EQ(reader.CurrentTime(), 0.0);

    ASSERT_EQ(reader.SeekTo(0, 0, 0), 0);
    EXPECT_EQ(reader.Position(), 4);
    Frame frame(100);
    ASSERT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 100));
    EXPECT_EQ(frame.time[0], 0.0);

    reader.ToStart();
    EXPECT_EQ(reader.Position(), 11);
    EXPECT_EQ(reader.CurrentTime(), 0.0);

    // Seeks count from offset 4 whatever the data start: one second on is 4 + 16 R.
    ASSERT_EQ(reader.SeekTo(0, 0, 1), 0);
    EXPECT_EQ(reader.Position(), 4 + 16 * 100);
    EXPECT_EQ(reader.CurrentTime(), 1.0);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, NoMarkerNearTheStartLeavesTheDataStartAtZero)
{
    RawRecordingSpec spec;
    spec.rate = 1000;
    spec.seconds = 2;
    spec.damage = {{0, 3000}};   // beyond the 1001 windows of the header's search
    TReadIshFile reader(Make(spec), settings);
    RecordingHeader header;
    ASSERT_TRUE(OpenAndReadHeader(reader, &header));
    EXPECT_EQ(reader.DataStart(), 0);
    EXPECT_EQ(reader.CurrentTime(), 0.0);
    EXPECT_EQ(header.rate, (3000 + 16 * 2000) / 16 / 2);   // the garbage counts as records
    EXPECT_TRUE(rec.messages.empty());
    // The first frame still finds the first record, after two fruitless searches.
    reader.ToStart();
    Frame frame(10);
    ASSERT_EQ(reader.ReadFrame(1, 10, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 10));
    EXPECT_EQ(rec.messages.size(), 1u);   // the resynchronisation message, once
}

TEST_F(RawReaderTest, ReadingPastACleanEndIsReportedWithoutBoxes)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 2;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    Frame frame(100);
    ASSERT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), 0);
    ASSERT_EQ(reader.ReadFrame(1, 60, frame.time.data(), frame.ptr, 0), 0);
    // The end comes 40 records into this frame: those are read, the clock keeps its place.
    EXPECT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), kRawFrameEnd);
    EXPECT_EQ(frame.data[2][39], Expected(spec, 160, 1, 40)[2][39]);
    EXPECT_EQ(reader.CurrentTime(), 1.0);
    EXPECT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), kRawFrameEnd);
    // A decimated read whose skip runs past the end stamp ends as cleanly.
    reader.ToStart();
    Frame decimated(68);
    EXPECT_EQ(reader.ReadFrame(3, 68, decimated.time.data(), decimated.ptr, 1), kRawFrameEnd);
    reader.ToEnd();
    EXPECT_EQ(reader.Position(), reader.FileSize() - 3);
    EXPECT_EQ(reader.CurrentTime(), 2.0);
    EXPECT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), kRawFrameEnd);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, ATornRecordBeforeTheEndStampFailsWithEightThenSeven)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 2;
    const std::string path = Make(spec);
    {
        // Six stray bytes between the last record and the end stamp: the tail is damaged.
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        bytes.insert(bytes.end() - 4, 6, '\0');
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), std::streamsize(bytes.size()));
    }
    TReadIshFile reader(path, settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    Frame frame(200);
    ASSERT_EQ(reader.ReadFrame(1, 200, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), 1);
    EXPECT_EQ(Shown(rec), (std::vector<std::string>{ErrorBox(-8), ErrorBox(-7)}));
}

TEST_F(RawReaderTest, GarbageToTheEndReportsTheSearchAndTheResynchronisation)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 2;
    const std::string path = Make(spec);
    {
        // Overwrite the last 20 records with bytes whose tags are all 0.
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4 + 16 * 180);
        const std::vector<char> zeros(16 * 20, 0);
        f.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    }
    TReadIshFile reader(path, settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    Frame frame(200);
    EXPECT_EQ(reader.ReadFrame(1, 200, frame.time.data(), frame.ptr, 2), 1);
    EXPECT_EQ(Shown(rec), (std::vector<std::string>{ErrorBox(-14), ErrorBox(-9), ErrorBox(-7)}));
}

TEST_F(RawReaderTest, StepBackAtTheEndShowsTheLastSecond)
{
    RawRecordingSpec spec;
    spec.rate = 500;
    spec.seconds = 4;
    spec.noise = 100;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    // The playback window's step back: the end, one second back twice the frame length over
    // the frame shown, then a read in backward mode.
    reader.ToEnd();
    ASSERT_EQ(reader.BackOneSecond(), 0);
    ASSERT_EQ(reader.BackOneSecond(), 0);
    reader.SetBackward(true);
    Frame frame(500);
    ASSERT_EQ(reader.ReadFrame(1, 500, frame.time.data(), frame.ptr, 1), 0);
    reader.SetBackward(false);
    EXPECT_EQ(frame.data, Expected(spec, 1000, 1, 500));
    EXPECT_DOUBLE_EQ(frame.time[0], 2.0);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, BackwardSearchThatFindsNothingReportsSeventeenOnce)
{
    RawRecordingSpec spec;
    spec.rate = 1000;
    spec.seconds = 2;
    spec.damage = {{300, 400}};   // more than the backward search's 160 bytes
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    reader.SetBackward(true);
    Frame frame(1000);
    ASSERT_EQ(reader.ReadFrame(1, 1000, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 1000));
    EXPECT_EQ(Shown(rec), std::vector<std::string>{ErrorBox(-17)});
}

TEST_F(RawReaderTest, BackOneSecondStopsAtTheStartOfTheFile)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 3;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    Frame frame(100);
    ASSERT_EQ(reader.ReadFrame(1, 100, frame.time.data(), frame.ptr, 1), 0);
    ASSERT_EQ(reader.BackOneSecond(), 0);
    EXPECT_EQ(reader.Position(), 4);
    EXPECT_EQ(reader.CurrentTime(), 0.0);
    EXPECT_EQ(reader.BackOneSecond(), 1);
    EXPECT_EQ(Shown(rec), std::vector<std::string>{ErrorBox(-11)});
    // Neither the position nor the time moved.
    EXPECT_EQ(reader.Position(), 4);
    EXPECT_EQ(reader.CurrentTime(), 0.0);
}

TEST_F(RawReaderTest, SeekTargetsOfTwoToTheThirtyFirstSecondsAreRefused)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 2;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_TRUE(OpenAndReadHeader(reader));
    // 596523 h 14 min 7 s = 2147483647 s.
    EXPECT_EQ(reader.SeekTo(596523, 14, 7), 1);
    EXPECT_EQ(Shown(rec), (std::vector<std::string>{"ВНИМАНИЕ|Слишком большая запись!", ErrorBox(-12)}));
    EXPECT_EQ(reader.Position(), 4);
    rec.messages.clear();
    EXPECT_EQ(reader.SeekTo(596523, 14, 6), 0);
    EXPECT_EQ(reader.CurrentTime(), 2147483646.0);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, PositionsBeyondFourGibibytesAreReadLikeAnyOther)
{
    // A sparse file of 7000 s at 40 kHz (4.5 GB): the first and one late second are real
    // records, the rest is a hole of zero bytes.
    RawRecordingSpec spec;
    spec.rate = 40000;
    spec.seconds = 1;
    spec.noise = 500;
    const std::string path = scratch.Path("long.dat");
    const int64_t seconds = 7000;
    const int64_t lateSecond = 6900;
    {
        std::ofstream f(path, std::ios::binary);
        const uint8_t start[4] = {5, 10, 0, 0};
        f.write(reinterpret_cast<const char*>(start), 4);
        auto writeSecond = [&](int64_t second) {
            f.seekp(4 + 16 * spec.rate * second);
            for (int64_t i = 0; i < spec.rate; ++i) {
                std::array<int, 6> codes{};
                for (int c = 0; c < 6; ++c)
                    codes[c] = RawSampleCode(spec, c, i);
                const auto record = EncodeRawRecord(codes);
                f.write(reinterpret_cast<const char*>(record.data()), 16);
            }
        };
        writeSecond(0);
        writeSecond(lateSecond);
        f.seekp(4 + 16 * spec.rate * seconds);
        const uint8_t end[4] = {5, 11, 56, 40};   // 7000 s after the start
        f.write(reinterpret_cast<const char*>(end), 4);
        ASSERT_TRUE(f.good());
    }
    TReadIshFile reader(path, settings);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_GT(reader.FileSize(), int64_t{1} << 32);
    uint16_t h, m, s;
    uint32_t rate;
    ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
    ASSERT_EQ(rate, 40000u);
    ASSERT_EQ(reader.SeekTo(1, 55, 0), 0);   // 6900 s
    EXPECT_EQ(reader.Position(), 4 + 16 * int64_t{40000} * lateSecond);
    Frame frame(40000);
    ASSERT_EQ(reader.ReadFrame(1, 40000, frame.time.data(), frame.ptr, 1), 0);
    EXPECT_EQ(frame.data, Expected(spec, 0, 1, 40000));
    EXPECT_EQ(frame.time[0], 6900.0);
    ASSERT_EQ(reader.BackOneSecond(), 0);
    EXPECT_EQ(reader.Position(), 4 + 16 * int64_t{40000} * lateSecond);
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(RawReaderTest, ArgumentsOutOfRangeReadNothing)
{
    RawRecordingSpec spec;
    spec.rate = 100;
    spec.seconds = 1;
    TReadIshFile reader(Make(spec), settings);
    ASSERT_EQ(reader.Open(), 0);
    Frame frame(10);
    EXPECT_EQ(reader.ReadFrame(1, 10, frame.time.data(), frame.ptr, 1), 1);   // no header read yet
    uint16_t h, m, s;
    uint32_t rate;
    ASSERT_EQ(reader.ReadHeader(h, m, s, rate), kRawHeaderOk);
    EXPECT_EQ(reader.ReadFrame(0, 10, frame.time.data(), frame.ptr, 1), 1);
    EXPECT_EQ(reader.ReadFrame(1, -1, frame.time.data(), frame.ptr, 1), 1);
    auto missing = frame.ptr;
    missing[3] = nullptr;
    EXPECT_EQ(reader.ReadFrame(1, 10, frame.time.data(), missing, 1), 1);
    EXPECT_EQ(reader.Position(), 4);
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(reader.Close(), 0);
}
}   // namespace
