// SPDX-License-Identifier: GPL-3.0-or-later

#include "recorder/record_file.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string RecordNumberField(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    char text[64];
    for (int decimals = 1; decimals <= 9; ++decimals) {
        std::snprintf(text, sizeof text, "%24.*f", decimals, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

std::string RecordHeaderText(const std::string &date, const std::string &time, double interval, int samples,
                             double slope)
{
    char count[40];
    std::snprintf(count, sizeof count, "%24d", samples);
    std::string text;
    text += "DATE:\t" + date + "\r\n";
    text += "TIME:\t" + time + "\r\n";
    text += "TIME-INCREMENT[s]:\t" + RecordNumberField(interval) + "\r\n";
    text += std::string("NUMBER OF SAMPLES:\t") + count + "\r\n";
    // The micro sign is one Latin-1 byte, as the spreadsheets of the production lines expect.
    text += "SLOPE-VALUE [\xB5m/pixel]:\t" + RecordNumberField(slope) + "\r\n";
    text += "TIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n";
    return text;
}

std::string RecordSampleLine(const std::string &time, const MeasurementRecord &record)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s\t%i\t%i\t%i\t%i\t%" PRIi32 "\r\n", time.c_str(),
                  static_cast<int>(record.M_VALUE), static_cast<int>(record.E_LEFT), static_cast<int>(record.E_RIGHT),
                  static_cast<int>(record.EDGES), static_cast<std::int32_t>(record.M_VAL_um));
    return line;
}

bool AppendToRecordFile(const char *path, const std::string &bytes)
{
    std::FILE *file = std::fopen(path, "ab");
    if (!file)
        return false;
    // Unbuffered, so what failed to reach the file is known here and nothing is left to go out
    // at close; the part of a line that did get there on a full disk is taken out again, and the
    // file stays a record file up to its last whole line.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const off_t start = ::lseek(fileno(file), 0, SEEK_END);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!written && start >= 0) {
        [[maybe_unused]] const int ignored = ::ftruncate(fileno(file), start);
    }
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
