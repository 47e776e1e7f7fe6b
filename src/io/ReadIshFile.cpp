#include "ReadIshFile.h"

#include "CoreText.h"
#include "MessageBox.h"
#include "RawRecord.h"
#include "SettingLimits.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <limits>

namespace {
const char* const kErrorCaption =
    SONORIX_TEXT_NOOP("ReadIshFile", "Серьезная ошибка при считывании исходного файла!");
const char* const kRefusalCaption = "ВНИМАНИЕ";

constexpr int kForwardWindows = 1001;
constexpr int kBackwardWindows = 10;
constexpr int64_t kWindowBytes = 16;
constexpr int kMaxMarkerOffset = 5;
// Records decoded between two spike-suppression passes: their samples still sit in the cache.
constexpr int64_t kBatchRecords = 2048;   // a marker's first tag byte can sit at window bytes 0..5

// Tags of a marker, in slot order.
constexpr uint8_t kMarkerTags[kRawRecordSlots] = {3, 3, 1, 1, 2, 2};

// True when the tags of bytes b, b + 2, ..., b + 10 of the window read "331122".
bool markerAt(const uint8_t* window, int b)
{
    for (int k = 0; k < kRawRecordSlots; ++k)
        if (DecodeTag(window[b + 2 * k]) != kMarkerTags[k])
            return false;
    return true;
}

bool isChannelPermutation(const std::array<int32_t, 6>& chs)
{
    unsigned seen = 0;
    for (int32_t c : chs) {
        if (c < 0 || c > 5)
            return false;
        seen |= 1u << c;
    }
    return seen == 0x3F;
}
}   // namespace

namespace {
// One pair: |a / b| > 2 is written as |a| > 2|b| with b != 0, the same test for the reader's
// integer sample values without a division. Non-short-circuit '&' keeps it free of branches,
// and NaN fails every test.
inline void suppressPair(double& first, double& second)
{
    double a = first;
    const double b = second;
    const double fb = std::fabs(b);
    const bool replaceFirst = (std::fabs(a) > 2.0 * fb) & (fb > 0.0);
    a = replaceFirst ? b : a;
    const double fa = std::fabs(a);
    const bool replaceSecond = (fb > 2.0 * fa) & (fa > 0.0);
    first = a;
    second = replaceSecond ? a : b;
}
}   // namespace

void SuppressSpikes(double* v, int n)
{
    const int pairs = n / 2 - 1;   // the last pair is never examined
    int k = 0;
#if defined(__SSE2__)
    // Two pairs at a time, the same tests as suppressPair lane by lane.
    const __m128d signMask = _mm_set1_pd(-0.0);
    const __m128d zero = _mm_setzero_pd();
    for (; k + 1 < pairs; k += 2) {
        const __m128d p0 = _mm_loadu_pd(v + 2 * k);
        const __m128d p1 = _mm_loadu_pd(v + 2 * k + 2);
        __m128d a = _mm_unpacklo_pd(p0, p1);
        __m128d b = _mm_unpackhi_pd(p0, p1);
        const __m128d fb = _mm_andnot_pd(signMask, b);
        const __m128d replaceFirst =
            _mm_and_pd(_mm_cmpgt_pd(_mm_andnot_pd(signMask, a), _mm_add_pd(fb, fb)), _mm_cmpgt_pd(fb, zero));
        a = _mm_or_pd(_mm_and_pd(replaceFirst, b), _mm_andnot_pd(replaceFirst, a));
        const __m128d fa = _mm_andnot_pd(signMask, a);
        const __m128d replaceSecond =
            _mm_and_pd(_mm_cmpgt_pd(fb, _mm_add_pd(fa, fa)), _mm_cmpgt_pd(fa, zero));
        b = _mm_or_pd(_mm_and_pd(replaceSecond, a), _mm_andnot_pd(replaceSecond, b));
        _mm_storeu_pd(v + 2 * k, _mm_unpacklo_pd(a, b));
        _mm_storeu_pd(v + 2 * k + 2, _mm_unpackhi_pd(a, b));
    }
#endif
    for (; k < pairs; ++k)
        suppressPair(v[2 * k], v[2 * k + 1]);
}

TReadIshFile::TReadIshFile(std::string path, const Settings& settings)
    : path_(std::move(path)), chs_(settings.Chs), nullAdc_(settings.NULL_ADC)
{
    // In double, where code - NULL_ADC is exact for any 32-bit zero: ReadHeader refuses a zero
    // outside the codes, but the tables are built before it runs.
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        lowValue_[b] = static_cast<double>(ReverseBits(byte)) - static_cast<double>(nullAdc_);
        highValue_[b] = static_cast<double>((ReverseBits(byte) >> 2) << 8);
    }
}

TReadIshFile::~TReadIshFile()
{
    file_.Close();
}

void TReadIshFile::beginOperation()
{
    reportedCodes_ = 0;
    resyncMessageShown_ = false;
    readErrorShown_ = false;
}

namespace {
// The codes of failures that a read of the file can cause; the others (moves, close) never
// come from a read.
bool isReadFailureCode(int code)
{
    return code == -4 || (code <= -7 && code >= -10) || (code <= -13 && code >= -16);
}
}   // namespace

void TReadIshFile::report(int code)
{
    // A read the system refused (a bad disk, a file that shrank) is told in the system's words
    // once, before the numbered box, wherever in the reader it was noticed.
    if (!readErrorShown_ && isReadFailureCode(code) && file_.ReadFailed()) {
        readErrorShown_ = true;
        errorText_ = file_.ReadError().message();
        ShowMessageBox("GetLastError", errorText_, MB_OK | MB_ICONINFORMATION);
    }
    const unsigned bit = 1u << (-code & 31);
    if (reportedCodes_ & bit)
        return;
    reportedCodes_ |= bit;
    ShowMessageBox(CoreText("ReadIshFile", kErrorCaption),
                   FillArgs(CoreText("ReadIshFile", "Ошибка № %1"), {std::to_string(code)}), MB_OK);
}

void TReadIshFile::refuse(const std::string& text)
{
    ShowMessageBox(kRefusalCaption, text, MB_OK | MB_ICONWARNING);
    file_.Close();
    refused_ = true;
    rate_ = 0;
}

int TReadIshFile::Open()
{
    beginOperation();
    refused_ = false;
    errorText_.clear();
    std::error_code error;
    if (!file_.Open(path_, error)) {
        errorText_ = error.message();
        ShowMessageBox("GetLastError", errorText_, MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    return 0;
}

int TReadIshFile::ReadHeader(uint16_t& hours, uint16_t& minutes, uint16_t& seconds, uint32_t& rate)
{
    beginOperation();
    hours = minutes = seconds = 0;
    rate = 0;
    rate_ = 0;
    duration_ = 0;

    if (!file_.IsOpen()) {
        report(-4);
        return kRawHeaderFailed;
    }
    if (!IsValidNullAdc(nullAdc_)) {
        refuse(
            FillArgs(CoreText("ReadIshFile", "Неверно задан ноль АЦП (NULL_ADC = %1): он должен быть целым "
                                             "числом от %2 до %3. Исправьте ноль АЦП в настройках."),
                     {std::to_string(nullAdc_), std::to_string(setting_limits::kNullAdcMin),
                      std::to_string(setting_limits::kNullAdcMax)}));
        return kRawHeaderRefused;
    }
    if (!isChannelPermutation(chs_)) {
        refuse(CoreText("ReadIshFile",
                        "Неверно задан порядок каналов: каждый из каналов 1-6 должен встречаться "
                        "ровно один раз. Исправьте порядок каналов в настройках."));
        return kRawHeaderRefused;
    }
    const int64_t size = file_.Size();
    if (size < 2 * kRawStampBytes + kRawRecordBytes) {
        refuse(CoreText("ReadIshFile", "Файл записи слишком короткий: в нем нет ни одной записи отсчетов. "
                                       "Файл не может быть открыт."));
        return kRawHeaderRefused;
    }

    uint8_t start[4];
    uint8_t end[4];
    const uint8_t* bytes = nullptr;
    if (file_.PeekAt(0, 4, bytes) < 4) {
        report(-4);
        return kRawHeaderFailed;
    }
    std::copy(bytes, bytes + 4, start);
    if (file_.PeekAt(size - 4, 4, bytes) < 4) {
        report(-4);
        return kRawHeaderFailed;
    }
    std::copy(bytes, bytes + 4, end);

    const int sd = start[0], sh = start[1], sm = start[2], ss = start[3];
    const int ed = end[0], eh = end[1], em = end[2], es = end[3];
    auto outOfRange = [](int d, int h, int m, int s) { return d > 31 || h > 23 || m > 59 || s > 59; };
    const bool invalid =
        outOfRange(sd, sh, sm, ss) || outOfRange(ed, eh, em, es) || (ed - sd != 0 && ed - sd != 1);

    const int d = (eh - sh) * 3600 + (em - sm) * 60 + es - ss;
    // Checked before the fallback for unusable stamps, so it applies to them as well.
    if (d <= 0 && sd == ed) {
        ShowPlainMessage(CoreText("ReadIshFile", kContradictoryStampsText));
        report(-5);
        return kRawHeaderContradictory;
    }
    records_ = (size - kRawStampBytes) / kRawRecordBytes;
    int64_t duration = sd == ed ? d : (eh + 24 - sh) * 3600 + (em - sm) * 60 + es - ss;
    if (invalid)
        duration = records_ / kRawFallbackRate;
    if (duration <= 0) {
        refuse(CoreText("ReadIshFile", "Длительность записи равна нулю: время записи не считано, а записей "
                                       "меньше, чем за одну секунду. Файл не может быть открыт."));
        return kRawHeaderRefused;
    }
    const int64_t recordRate = records_ / duration;
    // The playback window keeps the rate as a 32-bit signed count.
    if (recordRate <= 0 || recordRate > std::numeric_limits<int32_t>::max()) {
        refuse(CoreText("ReadIshFile", "Частота дискретизации записи получается равной нулю: записей в файле "
                                       "меньше, чем секунд в записи. Файл не может быть открыт."));
        return kRawHeaderRefused;
    }
    duration_ = static_cast<uint32_t>(duration);
    hours = static_cast<uint16_t>(duration_ / 3600);
    minutes = static_cast<uint16_t>((duration_ - hours * 3600u) / 60);
    seconds = static_cast<uint16_t>(duration_ - hours * 3600u - minutes * 60u);
    rate_ = static_cast<uint32_t>(recordRate);
    rate = rate_;

    file_.Seek(kRawStampBytes);
    currentTime_ = 0.0;
    // With no marker in reach the data start stays 0 and the header read goes on.
    dataStart_ = forwardSearch(true) == kFound ? file_.Position() : 0;
    currentTime_ = 0.0;
    return kRawHeaderOk;
}

// Start of the record whose marker lies in the 16-byte window at windowStart, or -1. The low
// bytes of a record can carry the marker's tags by chance, so when a window holds more than
// one candidate the one followed by a second marked record 16 bytes on is preferred, and
// otherwise the earliest. The caller has made sure the window can be read.
int64_t TReadIshFile::markedRecordIn(int64_t windowStart)
{
    const uint8_t* window = nullptr;
    if (file_.PeekAt(windowStart, kWindowBytes, window) < kWindowBytes)
        return -1;
    int64_t candidates[kMaxMarkerOffset + 1];
    int count = 0;
    for (int b = 0; b <= kMaxMarkerOffset; ++b) {
        // Byte b is the high byte of slot 0, so the record starts one byte earlier.
        const int64_t start = windowStart + b - 1;
        if (start >= 0 && markerAt(window, b))
            candidates[count++] = start;
    }
    if (count == 0)
        return -1;
    for (int c = 0; count > 1 && c < count; ++c) {
        const uint8_t* next = nullptr;
        if (file_.PeekAt(candidates[c] + kRawRecordBytes, kRawMarkerBytes, next) ==
                static_cast<size_t>(kRawMarkerBytes) &&
            HasRecordMarker(next))
            return candidates[c];
    }
    return candidates[0];
}

void TReadIshFile::moveToRecord(int64_t recordStart, int64_t searchStart)
{
    // The current time follows the whole records passed over, so it stays the time of the
    // record the next read takes.
    const int64_t passed = (recordStart - searchStart) / kRawRecordBytes;
    if (rate_ > 0)
        currentTime_ += static_cast<double>(passed) / rate_;
    file_.Seek(recordStart);
}

int TReadIshFile::forwardSearch(bool atHeader)
{
    const int64_t searchStart = file_.Position();
    for (int w = 0; w < kForwardWindows; ++w) {
        const int64_t windowStart = file_.Position();
        const uint8_t* window = nullptr;
        if (file_.Peek(kWindowBytes, window) < kWindowBytes) {
            if (file_.ReadFailed()) {
                report(-13);
                return kReadFailed;
            }
            report(-14);
            return kEndOfFile;
        }
        const int64_t recordStart = markedRecordIn(windowStart);
        if (recordStart >= 0) {
            if (atHeader)
                file_.Seek(recordStart);   // the header keeps the current time at 0
            else
                moveToRecord(recordStart, searchStart);
            return kFound;
        }
        file_.Skip(1);
    }
    file_.Skip(kWindowBytes - 1);   // past the last window
    return kNotFound;
}

int TReadIshFile::backwardSearch()
{
    const int64_t searchStart = file_.Position();
    for (int w = 0; w < kBackwardWindows; ++w) {
        const int64_t windowStart = searchStart + w * kWindowBytes;
        const uint8_t* window = nullptr;
        if (file_.PeekAt(windowStart, kWindowBytes, window) < kWindowBytes) {
            if (file_.ReadFailed()) {
                report(-15);
                return kReadFailed;
            }
            report(-16);
            return kEndOfFile;
        }
        const int64_t recordStart = markedRecordIn(windowStart);
        if (recordStart >= 0) {
            moveToRecord(recordStart, searchStart);
            return kFound;
        }
    }
    report(-17);
    // The forward search that follows looks at the same bytes again, one offset at a time, so
    // it also finds a marker that straddles two of these windows.
    file_.Seek(searchStart);
    return kNotFound;
}

TReadIshFile::RecordResult TReadIshFile::readRecord(double* values)
{
    for (;;) {
        const uint8_t* record = nullptr;
        if (file_.Peek(kRawMarkerBytes, record) < static_cast<size_t>(kRawMarkerBytes)) {
            // Only the end stamp (or less, after ToEnd or a decimated skip) left: the recording
            // simply ends. Anything more is a torn record.
            if (file_.Size() - file_.Position() <= kRawStampBytes)
                return kRecordAtEnd;
            report(-8);
            return kRecordFailed;
        }
        if (HasRecordMarker(record)) {
            for (int k = 0; k < kRawRecordSlots; ++k)
                values[chs_[k]] = lowValue_[record[2 * k]] + highValue_[record[2 * k + 1]];
            file_.Skip(kRawRecordBytes);
            return kRecordRead;
        }
        const std::string tags = RecordTags(record);
        if (backward_) {
            const int r = backwardSearch();
            if (r == kEndOfFile || r == kReadFailed) {
                report(-10);
                return kRecordFailed;
            }
        } else {
            const int r = forwardSearch(false);
            if (r == kEndOfFile || r == kReadFailed) {
                report(-9);
                return kRecordFailed;
            }
        }
        // Every pass over garbage moves at least a full search on, so this loop ends at the
        // next marker or at the end of the file.
        if (forwardSearch(false) == kNotFound && !resyncMessageShown_) {
            resyncMessageShown_ = true;
            ShowMessageBox(
                "Внимание",
                FillArgs(CoreText("ReadIshFile", "Ошибка чтения порядка каналов должно=%1 считывается=%2"),
                         {kRecordMarker, tags}),
                MB_OK);
        }
    }
}

int TReadIshFile::ReadFrame(int step, int count, double* time, const std::array<double*, 6>& channels,
                            int advance)
{
    beginOperation();
    if (step < 1 || count < 0 || time == nullptr || rate_ == 0)
        return 1;
    for (double* c : channels)
        if (c == nullptr)
            return 1;

    // Slot k of a record goes to logical channel chs_[k].
    std::array<double*, 6> slotOut{};
    for (int k = 0; k < kRawRecordSlots; ++k)
        slotOut[k] = channels[chs_[k]];
    const int64_t stride = kRawRecordBytes * static_cast<int64_t>(step);
    const double secondsPerRecord = 1.0 / rate_;
    // Spike suppression works on independent pairs, so each pair is treated as soon as both its
    // samples are in, while they are still in the cache. Pairs from the last one on are never
    // touched.
    const int lastPair = count / 2 - 1;
    int pairsDone = 0;
    auto despikeUpTo = [&](int filled) {
        const int pairs = std::min(filled / 2, std::max(lastPair, 0));
        if (pairs <= pairsDone)
            return;
        for (double* c : channels)
            // A pair range is itself a channel whose last pair is left alone: pass one more.
            SuppressSpikes(c + 2 * pairsDone, 2 * (pairs - pairsDone) + 2);
        pairsDone = pairs;
    };
    int i = 0;
    while (i < count) {
        // Fast path: every good record already in the buffer, in one tight loop.
        const uint8_t* bytes = nullptr;
        size_t ready = 0;
        if (file_.Peek(kRawMarkerBytes, bytes) == static_cast<size_t>(kRawMarkerBytes))
            ready = file_.Buffered(bytes);
        if (ready >= static_cast<size_t>(kRawMarkerBytes)) {
            const int64_t inBuffer = (static_cast<int64_t>(ready) - kRawMarkerBytes) / stride + 1;
            const int batch = static_cast<int>(std::min<int64_t>({inBuffer, count - i, kBatchRecords}));
            const double frameTime = currentTime_;
            int j = 0;
            for (; j < batch; ++j) {
                const uint8_t* record = bytes + j * stride;
                if (!HasRecordMarker(record))
                    break;
                const int index = i + j;
                for (int k = 0; k < kRawRecordSlots; ++k)
                    slotOut[k][index] = lowValue_[record[2 * k]] + highValue_[record[2 * k + 1]];
                time[index] =
                    static_cast<double>(static_cast<int64_t>(index) * step) * secondsPerRecord + frameTime;
            }
            file_.Skip(j * stride);
            i += j;
            despikeUpTo(i);
            if (j == batch)
                continue;
        }
        // Slow path: a damaged record (resynchronisation) or the end of the file.
        double values[6];
        const RecordResult result = readRecord(values);
        if (result == kRecordAtEnd)
            return kRawFrameEnd;
        if (result != kRecordRead) {
            report(-7);
            return 1;
        }
        for (int c = 0; c < 6; ++c)
            channels[c][i] = values[c];
        // Taken after the record is read: a resynchronisation moves the current time on.
        time[i] = static_cast<double>(static_cast<int64_t>(i) * step) * secondsPerRecord + currentTime_;
        file_.Skip(stride - kRawRecordBytes);
        ++i;
    }
    despikeUpTo(count);
    currentTime_ += advance;
    return 0;
}

int TReadIshFile::BackOneSecond()
{
    beginOperation();
    const int64_t back = kRawRecordBytes * static_cast<int64_t>(rate_);
    if (file_.Position() - back < 0) {
        report(-11);
        return 1;
    }
    currentTime_ -= 1.0;
    file_.Skip(-back);
    return 0;
}

void TReadIshFile::ToStart()
{
    file_.Seek(dataStart_);
    currentTime_ = 0.0;
}

void TReadIshFile::ToEnd()
{
    file_.Seek(file_.Size() - 3);
    currentTime_ = duration_;
}

int TReadIshFile::SeekTo(uint32_t hours, uint32_t minutes, uint32_t seconds)
{
    beginOperation();
    const uint64_t t = uint64_t{hours} * 3600 + uint64_t{minutes} * 60 + seconds;
    if (t >= 2147483647u) {
        ShowMessageBox("ВНИМАНИЕ", CoreText("ReadIshFile", "Слишком большая запись!"), MB_OK);
        report(-12);
        return 1;
    }
    currentTime_ = static_cast<double>(t);
    file_.Seek(kRawStampBytes + kRawRecordBytes * static_cast<int64_t>(rate_) * static_cast<int64_t>(t));
    return 0;
}

int TReadIshFile::Close()
{
    beginOperation();
    if (!file_.IsOpen()) {
        // After a refusal the file is already closed and the user has been told why.
        if (refused_)
            return 0;
        report(-2);
        return 1;
    }
    if (!file_.Close()) {
        report(-3);
        return 1;
    }
    return 0;
}
