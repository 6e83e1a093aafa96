// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics window: the record file, the tolerance window, the table of figures, the
// histogram and the run chart, and the exports. Labels are UTF-8 (widgets are built
// from them as such).

#include "panels/resource_pages.h"
#include "stats/statistics.h"

namespace panels::res {

void AddStatisticsWindow(std::vector<ControlDef> &c)
{
    const int PS = PANEL_STATS;
    {
        ControlDef f = make(STATS_FILE, Kind::String, PS, "RECORD FILE", {24, 10, kFieldH, 640});
        f.indicator = true;
        c.push_back(f);
    }
    c.push_back(make(STATS_RELOAD, Kind::Button, PS, "RELOAD", {23, 660, 24, 80}, CC_BTNstatsReload));
    c.push_back(make(STATS_CLOSE, Kind::Button, PS, "CLOSE", {23, 750, 24, 80}, CC_BTNstatsClose));
    c.push_back(make(STATS_INFO, Kind::TextMessage, PS, "", {52, 10, 16, 820}));
    c.push_back(make(STATS_MESSAGE, Kind::TextMessage, PS, "", {70, 10, 16, 820}));

    c.push_back(bind(numeric(STATS_SETPOINT, PS, "SET POINT [pixel]", {108, 10, kFieldH, 100}, 0, 65535, 512),
                     CC_NUMstatsTolerance));
    c.push_back(bind(numeric(STATS_UPPER_TOL, PS, "TOL+ [pixel]", {108, 120, kFieldH, 95}, 0, 65535, 100),
                     CC_NUMstatsTolerance));
    c.push_back(bind(numeric(STATS_LOWER_TOL, PS, "TOL- [pixel]", {108, 225, kFieldH, 95}, 0, 65535, 100),
                     CC_NUMstatsTolerance));
    c.push_back(bind(numeric(STATS_SLOPE, PS, "SLOPE [µm/pixel]", {152, 10, kFieldH, 100}, 0.00001, 1000000, 5.0, 5),
                     CC_NUMstatsTolerance));
    c.push_back(bind(numeric(STATS_BINS, PS, "BINS", {152, 120, kFieldH, 60}, 1, 500, 10), CC_NUMstatsBins));
    c.push_back(
        bind(ring(STATS_SERIES, PS, "GRAPHS OF", {152, 190, kFieldH, 130}, {{"M-VALUE [pixel]", 0}, {"M-VAL [µm]", 1}}),
             CC_DROPstatsSeries));

    c.push_back(make(STATS_COL_PIXEL, Kind::TextMessage, PS, "M-VALUE [pixel]", {186, 120, 16, 100}));
    c.push_back(make(STATS_COL_UM, Kind::TextMessage, PS, "M-VAL [µm]", {186, 225, 16, 100}));
    static const char *const rowLabels[STATS_ROWS] = {"n",     "MEAN",   "STD-DEV (n-1)", "MIN",
                                                      "MAX",   "RANGE",  "LOWER LIMIT",   "UPPER LIMIT",
                                                      "ABOVE", "INSIDE", "BELOW",         "Cp",
                                                      "Cpk"};
    for (int r = 0; r < STATS_ROWS; ++r) {
        const int top = 204 + r * 22;
        c.push_back(make(STATS_ROW_LABEL + r, Kind::TextMessage, PS, rowLabels[r], {top + 2, 10, 16, 105}));
        for (int col = 0; col < 2; ++col) {
            ControlDef f = make(StatsFigureId(r, col), Kind::String, PS, "", {top, 120 + col * 105, 20, 100});
            f.indicator = true;
            c.push_back(f);
        }
    }

    c.push_back(make(STATS_HISTOGRAM, Kind::Graph, PS, "HISTOGRAM", {100, 340, 220, 490}));
    c.push_back(make(STATS_RUNCHART, Kind::Graph, PS, "RUN CHART", {330, 340, 220, 490}));
    c.push_back(
        make(STATS_SAVE_REPORT, Kind::Button, PS, "SAVE REPORT...", {562, 340, 26, 150}, CC_BTNstatsSaveReport));
    c.push_back(make(STATS_SAVE_HISTOGRAM, Kind::Button, PS, "SAVE HISTOGRAM...", {562, 510, 26, 150},
                     CC_BTNstatsSaveHistogram));
    c.push_back(
        make(STATS_SAVE_RUNCHART, Kind::Button, PS, "SAVE RUN CHART...", {562, 680, 26, 150}, CC_BTNstatsSaveRunChart));
}

} // namespace panels::res
