// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The change log: one row per field the program changed in a sensor, kept in an SQLite file
// beside the settings file. Rows are only ever appended; each carries the SHA-256 of the
// previous row's hash and its own content, so a row edited or taken out breaks the chain
// from there on.

#include <optional>
#include <string>
#include <vector>

constexpr const char *kChangeLogFileName = "MQ-Vista-changes.sqlite";

struct ChangeRow {
    long long id = 0; // row number in the file (filled in by reading)
    std::string time; // UTC with milliseconds, "2026-12-08T16:55:05.123Z"
    std::string user;
    std::string host;
    std::string program; // name and version
    std::string serial;
    std::string hardwareType;
    std::string firmware;
    std::string address;               // the link: "COM1 @ 115200" or "host:port"
    std::string action;                // "SEND", "TEACH", "SAVE V-THD", ...
    std::string target;                // "RAM", "EEPROM" or "XFLASH"
    std::string key;                   // parameter-file key, header field or XFLASH page
    std::optional<long long> oldValue; // empty: not read in this run
    long long newValue = 0;
    bool written = false;
    std::string status; // the write's status text
    std::string hash;   // filled in when appended
};

// The log's place: the settings file's directory.
std::string ChangeLogPathBeside(const std::string &settingsFile);

struct AppendOutcome {
    bool ok = false;
    std::string reason;   // why nothing was written
    std::string setAside; // a file found that was no database, renamed to this name
};
// Appends the rows in one transaction, filling in their hashes. Another program appending
// at the same time waits (a few seconds at most), so the chain stays one. A file that is not
// a database is renamed aside and a new log started in its place.
AppendOutcome AppendChangeRows(const std::string &path, std::vector<ChangeRow> &rows);

struct ChangeFilter {
    std::string serial; // empty: every sensor
    std::string since;  // "YYYY-MM-DD" or a full time; empty: from the start
};
// The rows that pass the filter, oldest first; false with the reason when the file cannot be read.
bool ReadChangeRows(const std::string &path, const ChangeFilter &filter, std::vector<ChangeRow> *rows,
                    std::string *error);

struct ChainCheck {
    bool readable = false;
    std::string error; // why the file could not be read
    long long rows = 0;
    long long firstBroken = 0; // id of the first row whose hash does not follow; 0 when whole
    std::string lastHash;
};
ChainCheck VerifyChangeChain(const std::string &path);

std::string ChangeRowHash(const std::string &previousHash, const ChangeRow &row);
// One JSON object on one line with the members time, user, host, program, serial,
// hardware_type, firmware, address, action, target, key, old, new, result, hash.
std::string ChangeRowJson(const ChangeRow &row);
std::string ChangeCsvHeader();
std::string ChangeRowCsv(const ChangeRow &row);
const char *ChangeResultText(const ChangeRow &row); // "written" or "failed"
