// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reads a record file as the recorder writes it: six header lines, then one line per
// sample ("HH:MM:SS\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n"). The file is
// streamed; only the two measurement values of each sample are kept, as numbers. A file
// that is still being appended to is read again from where the last complete line
// ended, and a last line without its line end waits for the next read.
//
// Qt-free, so the benchmark and the fuzz target use it as the program does. It only
// ever opens files for reading.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RecordHeader {
    char date[16] = "";         // "MM-DD-YYYY" as written, empty when missing
    char time[16] = "";         // "HH:MM:SS"
    double timeIncrement = 0.0; // seconds; 0.0 for triggered recordings
    double samplesPlanned = 0.0;
    double slope = 0.0; // µm per pixel
    bool haveTimeIncrement = false;
    bool haveSamplesPlanned = false;
    bool haveSlope = false;
    bool haveColumns = false;
};

enum class RecordStatus {
    Ok,         // a record file (perhaps without samples yet)
    Empty,      // nothing in the file yet
    NotRecord,  // the first line is not the record file's date line
    Unreadable, // missing or not openable
};

class RecordReader {
public:
    // Beyond this many samples the rest of a file is counted but not kept, so a hostile
    // or runaway file cannot take all memory (the recorder writes at most 32000).
    static constexpr std::size_t kMaxSamples = 4'000'000;
    // A sample line is about 40 bytes; anything far longer is not one.
    static constexpr std::size_t kMaxLine = 256;

    // Reads what the file holds beyond the last complete line read before. A file that
    // was replaced or shortened since is read again from its start.
    RecordStatus Update(const std::string &path);
    // Bytes as they follow in the file; the unit the fuzz target and Update use.
    void Feed(const char *data, std::size_t size);
    void Reset();

    RecordStatus status() const;
    const RecordHeader &header() const { return header_; }
    const std::vector<std::uint16_t> &mValue() const { return mValue_; }
    const std::vector<std::int32_t> &mValUm() const { return mValUm_; }
    std::size_t samples() const { return mValue_.size(); }
    // Lines that were neither a header line nor a sample.
    std::size_t skippedLines() const { return skipped_; }
    // Sample lines beyond kMaxSamples.
    std::size_t droppedSamples() const { return dropped_; }
    // A last line still without its line end (the recorder may be writing it).
    bool pendingLine() const { return !line_.empty() || overlong_; }
    // 1-based number of the first skipped line, 0 if none.
    std::size_t firstSkippedLine() const { return firstSkipped_; }

private:
    void takeLine(const char *text, std::size_t length);
    bool takeHeaderLine(const char *text, std::size_t length);

    RecordHeader header_;
    std::vector<std::uint16_t> mValue_;
    std::vector<std::int32_t> mValUm_;
    std::string line_;
    bool overlong_ = false;
    bool sawFirstLine_ = false;
    bool notRecord_ = false;
    std::size_t lines_ = 0;
    std::size_t skipped_ = 0;
    std::size_t dropped_ = 0;
    std::size_t firstSkipped_ = 0;
    // What was read of which file, to continue or to start again.
    std::string path_;
    unsigned long long offset_ = 0;
    unsigned long long inode_ = 0;
    unsigned long long device_ = 0;
    char firstBytes_[32] = {};
    std::size_t firstBytesLength_ = 0;
};

// Parses one sample line without its line end; false when it is not one.
bool ParseSampleLine(const char *text, std::size_t length, std::uint16_t *mValue, std::int32_t *mValUm);
