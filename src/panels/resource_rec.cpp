// SPDX-License-Identifier: GPL-3.0-or-later
// Data recorder page.

#include "panels/resource_pages.h"
#include "recorder/recorder.h"
#include "stats/statistics.h"

namespace panels::res {

void AddRecorderPage(std::vector<ControlDef> &c)
{
    const int PR = PAGE_REC;
    c.push_back(
        ring(REC_MODE, PR, "RS-232-MODE", {row(0), kColA, kFieldH, kFieldW},
             {{"STATIC(REC)", 0}, {"EXT-IN0-L/H", 1}, {"EXT-IN0-L/H(3-BYTE)", 2}, {"CONTINUOUS", 3}, {"MODE 4", 4}}));
    c.back().callback = CC_DROPrs232mode;
    c.push_back(numeric(REC_SAMPLES, PR, "SAMPLES", {row(1), kColA, kFieldH, 80}, 1, 32000, 100));
    c.back().callback = CC_NUMsample;
    c.push_back(numeric(REC_INTERVAL, PR, "TIME-INTERVAL [s]", {row(1), kColA + 90, kFieldH, 80}, 0.1, 6183, 1.0, 1));
    c.back().callback = CC_NUMinctime;
    {
        ControlDef f = make(REC_FILENAME, Kind::String, PR, "RECORD FILE", {row(2), kColA, kFieldH, 330});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(REC_FILE_BTN, Kind::Button, PR, "...", {row(2), kColA + 336, kFieldH, 30}, CC_PICBTNrecfile));
    c.push_back(
        make(REC_STATS, Kind::Button, PR, "STATISTICS", {row(2) - 24, kColA + 276, kFieldH, 90}, CC_BTNStatistics));
    c.push_back(make(REC_START, Kind::Button, PR, "START", {row(3), kColA, 24, 80}, CC_CBTNStartRecord));
    c.push_back(make(REC_STOP, Kind::Button, PR, "STOP", {row(3), kColA + 90, 24, 80}, CC_PICBTNStopRecord));
    c.push_back(display(REC_COUNT, PR, "SAMPLE", {row(3), kColB, kFieldH, 80}));
    c.push_back(display(REC_DAYS, PR, "DAYS", {row(4), kColA, kFieldH, 50}));
    c.push_back(display(REC_HOURS, PR, "HOURS", {row(4), kColA + 60, kFieldH, 50}));
    c.push_back(display(REC_MINUTES, PR, "MIN", {row(4), kColA + 120, kFieldH, 50}));
    c.push_back(display(REC_SECONDS, PR, "SEC", {row(4), kColA + 180, kFieldH, 50}));
    for (int id : {REC_DATE, REC_TIME}) {
        ControlDef f = make(id, Kind::String, PR, id == REC_DATE ? "DATE" : "TIME",
                            {row(5), id == REC_DATE ? kColA : kColA + 110, kFieldH, 100});
        f.indicator = true;
        c.push_back(f);
    }
    {
        // Samples written against samples planned; the maximum follows the samples field at Start.
        ControlDef bar = make(REC_PROGRESS, Kind::ProgressBar, PR, "PROGRESS", {row(4), kColA + 240, kFieldH, 140});
        bar.maximum = 100;
        c.push_back(bar);
    }
    c.push_back(make(REC_STATUS, Kind::TextMessage, PR, "DATA-RECORDER READY", {row(5) + 26, kColA, 18, 370}));
}

} // namespace panels::res
