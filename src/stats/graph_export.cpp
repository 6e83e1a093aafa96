// SPDX-License-Identifier: GPL-3.0-or-later
// Export of the main panel's visible graph: the picture through the graph's own
// export, and the data behind it as CSV beside the picture.

#include "stats/statistics.h"

#include "base/control_ids.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/rollgraph.h"
#include "params_ui/help.h"
#include "platform/system.h"
#include "ui/runtime.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

std::string videoCsv()
{
    // What the graph shows: plot 0 the profile, plot 1 the threshold it is drawn with.
    std::vector<double> video, threshold;
    GetGraphPlotY(pPA, MAIN_VIDEO_GRAPH, 0, &video);
    GetGraphPlotY(pPA, MAIN_VIDEO_GRAPH, 1, &threshold);
    std::string out = mm_flag ? "x [mm],video,threshold\r\n" : "x [pixel],video,threshold\r\n";
    const std::size_t rows = std::min<std::size_t>(kCurvePoints, std::min(video.size(), threshold.size()));
    char line[96];
    for (std::size_t i = 0; i < rows; ++i) {
        FormatText(line, sizeof line, "%.6g,%.0f,%.0f\r\n", xARRAY[i], video[i], threshold[i]);
        out += line;
    }
    return out;
}

std::string rollCsv()
{
    std::string out =
        mm_flag
            ? "point,upper limit [mm],lower limit [mm],set point [mm],M-VALUE [mm],analog B,analog A\r\n"
            : "point,upper limit [pixel],lower limit [pixel],set point [pixel],M-VALUE [pixel],analog B,analog A\r\n";
    char line[200];
    for (int p = 0; p < kRollPoints; ++p) {
        const double *v = arrayNORM + p * kRollTraces;
        FormatText(line, sizeof line, "%d,%.6g,%.6g,%.6g,%.6g,%.6g,%.6g\r\n", p + 1, v[0], v[1], v[2], v[3], v[4],
                   v[5]);
        out += line;
    }
    return out;
}

bool writeFile(const std::string &path, const std::string &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int CC_BTNGraphExport(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        ShowHelpBesideControl(
            panel, control, 25, 5,
            "SAVE-BUTTON:\nSave the graph on show (video- or roll-graph)\nas PNG- or PDF-picture, its data as CSV-file\n"
            "beside it. During RUN or VIDEO a snapshot is\nsaved under date and time.  (Ctrl+E)");
    if (event != EVENT_COMMIT)
        return 0;
    const bool roll = IsCtrlVisible(pPA, MAIN_ROLL_GRAPH);
    const int graph = roll ? MAIN_ROLL_GRAPH : MAIN_VIDEO_GRAPH;
    const std::string directory = proj_dir[0] ? proj_dir : ProgramDirectory();
    std::string picture;
    if (stop_flag == 0) {
        // A loop is waiting for the sensor: a dialog now would hold its exchange past the
        // time-out. Save a snapshot under a name of its own instead.
        std::string stamp = DateStr() + "-" + TimeStr();
        for (char &c : stamp)
            if (c == ':')
                c = '-';
        picture = JoinPath(directory, (roll ? "roll-graph-" : "video-graph-") + stamp + ".png");
        if (FileExists(picture) || FileExists(std::filesystem::path(picture).replace_extension(".csv").string()))
            return 0; // a second press within the same second
    } else {
        picture = ChooseExportTarget(roll ? "Roll graph (PNG or PDF, data as CSV beside it):"
                                          : "Video graph (PNG or PDF, data as CSV beside it):",
                                     directory, roll ? "roll-graph.png" : "video-graph.png", true);
    }
    if (picture.empty())
        return 0;
    if (SaveGraphImage(pPA, graph, picture.c_str()) < 0) {
        MessagePopup("EXPORT", ("The picture could not be written:\n" + picture).c_str());
        return 0;
    }
    const std::string data = std::filesystem::path(picture).replace_extension(".csv").string();
    if (stop_flag != 0 && !ConfirmExportTarget(data))
        return 0;
    if (!writeFile(data, roll ? rollCsv() : videoCsv())) {
        MessagePopup("EXPORT", ("The data could not be written:\n" + data).c_str());
        return 0;
    }
    const std::filesystem::path written(picture);
    ShowStatusText((std::string(roll ? "Roll graph and its data saved: " : "Video graph and its data saved: ") +
                    written.filename().string() + " and .csv in " + written.parent_path().string())
                       .c_str());
    return 0;
}
