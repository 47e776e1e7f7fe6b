// Reader of raw six-channel recordings (*.dat) for the playback window and its export.
//
// File layout: a 4-byte start stamp (day, hour, minute, second), 16-byte sample records
// (RawRecord.h), a 4-byte end stamp in the last four bytes. Samples come out in ADC steps
// relative to the ADC zero (code - NULL_ADC), as doubles, already moved to their logical
// channel through the channel map Chs (slot k is stored as logical channel Chs[k] + 1).
//
// Statuses: 0 is success. Operations that fail have shown their numbered error box
// ("Ошибка № <code>", caption "Серьезная ошибка при считывании исходного файла!") before
// they return; a failure deep down shows one box per level it passes (-8 then -7), but each
// code at most once per call, so a long damaged stretch cannot flood the user with boxes.
//
// File positions are 64-bit: a recording of more than 2 GiB (about 56 minutes at 40 kHz) is
// read like any other.
#pragma once

#include "BufferedFile.h"
#include "CoreText.h"
#include "Settings.h"

#include <array>
#include <cstdint>
#include <string>

// Results of ReadHeader.
enum RawHeaderStatus : int {
    kRawHeaderOk = 0,
    kRawHeaderFailed = 1,          // a numbered error box was shown; the outputs hold what was found
    kRawHeaderContradictory = 2,   // end stamp not after start stamp on the same day: the file
                                   // cannot be opened (kContradictoryStampsText was shown)
    kRawHeaderRefused = 3,         // nothing playable (see ReadHeader): a message was shown and the
                                   // file closed; the window should close without showing a frame
                                   // (frame reads fail quietly, Close returns 0)
};

// What the user is told about contradictory stamps: only this recording is refused.
inline constexpr const char* kContradictoryStampsText =
    SONORIX_TEXT_NOOP("ReadIshFile", "Неверно считано время записи: конец записи не позже ее начала. "
                                     "Файл не может быть открыт, работа программы продолжается.");

// Rate assumed for a recording whose stamps are unusable, records per second.
constexpr uint32_t kRawFallbackRate = 40590;

// ReadFrame's result when the recording ends cleanly (nothing but the end stamp is left) before
// count samples are in. Reaching the end is not damage: no box is shown, and the caller says
// that the end has been reached.
constexpr int kRawFrameEnd = 2;

// Replaces single-sample spikes of one channel in place: over the pairs (v[2k], v[2k+1]),
// k = 0 .. n/2 - 2 (the last pair is never examined), v[2k] takes v[2k+1] when it is more
// than twice as large in magnitude, then v[2k+1] takes the (possibly new) v[2k] likewise.
// A comparison whose divisor is 0 is skipped.
void SuppressSpikes(double* values, int count);

class TReadIshFile {
public:
    // Takes the channel map Chs and the ADC zero NULL_ADC from settings at construction.
    explicit TReadIshFile(std::string path, const Settings& settings = CurrentSettings());
    ~TReadIshFile();
    TReadIshFile(const TReadIshFile&) = delete;
    TReadIshFile& operator=(const TReadIshFile&) = delete;

    // Opens the file read-only and takes its size. On failure the system's reason is shown in
    // a box captioned "GetLastError" and 1 is returned. Only a regular file is opened: a folder,
    // a named pipe, a device or a socket is refused at once, never waited on.
    [[nodiscard]] int Open();

    // Reads the stamps and works out the duration (hours, minutes, seconds) and the rate
    // (records per second), then finds the first record and makes it the data start.
    // Refused (kRawHeaderRefused, with a message): an ADC zero NULL_ADC outside the 14-bit
    // codes (IsValidNullAdc), a channel map that is not a permutation of 0..5, a file with no
    // whole record, a duration of 0 (also unusable stamps on fewer than kRawFallbackRate
    // records), or fewer records than seconds (rate 0).
    [[nodiscard]] int ReadHeader(uint16_t& hours, uint16_t& minutes, uint16_t& seconds, uint32_t& rate);

    // Reads count samples of every channel, one record out of every step (step >= 1), into
    // time[0..count) (absolute seconds from the start of the recording) and
    // channels[c][0..count) for logical channel c + 1, suppresses spikes in each channel, then
    // moves the current time on by advance seconds. A damaged stretch is skipped by
    // resynchronising on the next record marker; the current time moves on by the whole
    // records skipped, so time[] holds each record's own time. Returns 0; kRawFrameEnd when the
    // end stamp is met first (the samples before it are in the arrays, the current time does
    // not take the advance); or 1 after the boxes of a failure (a torn record before the end
    // stamp: -8 then -7). Arguments out of range (step < 1, count < 0, a null array, no header
    // read) return 1 without a box.
    [[nodiscard]] int ReadFrame(int step, int count, double* time, const std::array<double*, 6>& channels,
                                int advance);

    // Moves back one second (16 * rate bytes). At the start of the file: error -11, returns 1,
    // nothing moves.
    [[nodiscard]] int BackOneSecond();
    // To the data start, time 0.
    void ToStart();
    // To the end stamp (file size - 3), time = duration; the next read resynchronises.
    void ToEnd();
    // To offset 4 + 16 * rate * t for t = h*3600 + m*60 + s, counted from offset 4 (not from the
    // data start); time = t. t >= 2147483647 shows "Слишком большая запись!", error -12, 1.
    [[nodiscard]] int SeekTo(uint32_t hours, uint32_t minutes, uint32_t seconds);
    // While set, a damaged record is searched for with the backward search first.
    void SetBackward(bool backward) { backward_ = backward; }
    uint32_t GetRate() const { return rate_; }
    // 0, or 1 after error -2 (nothing open) or -3 (close failed). After a refused header the
    // file is already closed and Close quietly returns 0.
    int Close();

    // The system's reason of the last failed open, or of the last read the system refused
    // (shown in a "GetLastError" box before the numbered one); empty when there was none.
    // Every failure of the reader is a status: nothing throws through this interface.
    const std::string& ErrorText() const { return errorText_; }

    double CurrentTime() const { return currentTime_; }
    int64_t Position() const { return file_.Position(); }
    int64_t DataStart() const { return dataStart_; }
    int64_t FileSize() const { return file_.Size(); }
    uint32_t DurationSeconds() const { return duration_; }

private:
    enum SearchResult { kFound = 0, kReadFailed = 1, kNotFound = 2, kEndOfFile = 3 };

    void beginOperation();
    void report(int code);
    void refuse(const std::string& text);
    enum RecordResult { kRecordRead, kRecordAtEnd, kRecordFailed };
    RecordResult readRecord(double* values);
    int64_t markedRecordIn(int64_t windowStart);
    void moveToRecord(int64_t recordStart, int64_t searchStart);
    int forwardSearch(bool atHeader);
    int backwardSearch();

    std::string path_;
    std::array<int32_t, 6> chs_;
    int32_t nullAdc_;
    BufferedFile file_;
    uint32_t rate_ = 0;
    uint32_t duration_ = 0;
    int64_t records_ = 0;
    int64_t dataStart_ = 0;
    double currentTime_ = 0.0;
    bool backward_ = false;
    bool refused_ = false;         // ReadHeader refused the file and closed it
    uint32_t reportedCodes_ = 0;   // bit c set once error -c was shown in this call
    bool resyncMessageShown_ = false;
    bool readErrorShown_ = false;   // the system's reason of a failed read, once per call
    std::string errorText_;
    // Decoding tables: sample value = lowValue_[L] + highValue_[H] (ADC zero already taken off).
    std::array<double, 256> lowValue_{};
    std::array<double, 256> highValue_{};
};
