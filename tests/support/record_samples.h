// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Record files written byte for byte as the recorder writes them, for the tests of
// everything that reads them.

#include "support/files.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct RecordSampleLine {
    std::uint16_t mValue = 0, eLeft = 0, eRight = 0, edges = 2;
    std::int32_t mValUm = 0;
    const char *time = "10:00:00";
};

// Header lines 1 to 6.
inline std::string MakeRecordHeader(double interval = 1.0, int samples = 100, double slope = 5.0,
                                    const char *date = "12-07-2026", const char *time = "10:00:00")
{
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "DATE:\t%s\r\nTIME:\t%s\r\nTIME-INCREMENT[s]:\t%24f\r\nNUMBER OF SAMPLES:\t%24d\r\n"
                  "SLOPE-VALUE [\xB5m/pixel]:\t%24f\r\nTIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n",
                  date, time, interval, samples, slope);
    return buf;
}

inline std::string MakeRecordLine(const RecordSampleLine &s)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s\t%i\t%i\t%i\t%i\t%i\r\n", s.time, s.mValue, s.eLeft, s.eRight, s.edges,
                  s.mValUm);
    return buf;
}

// One sample per M-VALUE; M-VAL[um] = M-VALUE * slope as the sensor reports it.
inline std::string MakeRecordFile(const std::vector<int> &mValues, double slope = 5.0)
{
    std::string text = MakeRecordHeader(1.0, static_cast<int>(mValues.size()), slope);
    for (int v : mValues) {
        RecordSampleLine s;
        s.mValue = static_cast<std::uint16_t>(v);
        s.eLeft = 100;
        s.eRight = static_cast<std::uint16_t>(100 + v);
        s.mValUm = static_cast<std::int32_t>(v * slope);
        text += MakeRecordLine(s);
    }
    return text;
}
