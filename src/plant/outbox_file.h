// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The plant link's buffer on disk, beside the settings file, so that what waits for the
// broker outlives a close, a crash or a power cut. An append-only file: a record per
// message as it arrives, and a record "everything up to id N is gone" as the broker
// acknowledges (or a full buffer drops). Each record carries its length and a CRC-32, so a
// torn write at the end is found and cut off. Plain POSIX, no Qt: its reader is fuzzed.

#include "plant/outbox.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char *kPlantOutboxFileName = "MQ-Vista-outbox.dat";

// What a file held: the messages still waiting, in order, with their ids.
struct PlantOutboxContents {
    std::vector<PlantMessage> messages;
    std::vector<std::size_t> offsets; // where the record of messages[i] starts
    std::uint64_t lastId = 0;         // the highest id the file gave (new ones go on from it)
    std::uint64_t lastDone = 0;       // everything up to this id is gone
    std::size_t wholeBytes = 0;       // the file up to the end of its last whole record
    bool damaged = false;             // what follows wholeBytes is not a whole record
};

// Reads file contents up to the last whole record; never fails, whatever the bytes.
PlantOutboxContents ReadPlantOutbox(const char *data, std::size_t size);
// The file's first bytes; a file that does not start with them is not read.
std::string PlantOutboxHeader();
std::string PlantOutboxMessageRecord(const PlantMessage &message);
std::string PlantOutboxDoneRecord(std::uint64_t lastDone);

class PlantOutboxFile {
public:
    PlantOutboxFile() = default;
    ~PlantOutboxFile() { close(); }
    PlantOutboxFile(const PlantOutboxFile &) = delete;
    PlantOutboxFile &operator=(const PlantOutboxFile &) = delete;

    // Opens (or creates) and locks the file and reads what waits in it. A damaged end is
    // cut off and said in *problem (the messages before it are kept); false when the file
    // cannot be used at all (then *problem says why).
    bool open(const std::string &path, PlantOutboxContents *contents, std::string *problem);
    bool isOpen() const { return fd_ >= 0; }
    const std::string &path() const { return path_; }
    void close();

    // Appends messages (ids increasing). False when the disk refused.
    bool append(const std::vector<PlantMessage> &messages);
    // Everything up to lastDone is gone: noted, and the file is emptied when nothing waits
    // or rewritten when the gone part has grown larger than what waits.
    bool done(std::uint64_t lastDone);
    // Pushes what was written to the disk itself (for a power cut).
    void sync();
    bool unsynced() const { return dirty_; }
    std::size_t bytes() const { return size_; }

private:
    bool write(const std::string &bytes);
    bool compact();

    int fd_ = -1;
    std::string path_;
    std::size_t size_ = 0;
    std::uint64_t lastDone_ = 0;
    std::uint64_t lastAppended_ = 0;
    std::deque<std::pair<std::uint64_t, std::size_t>> live_; // id and offset of each waiting message
    bool dirty_ = false;
};
