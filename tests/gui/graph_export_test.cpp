// SAVE by the main panel's graph: the visible graph as PNG or PDF and its data as CSV
// beside it, in the unit shown; never over a record file.

#include "app/shell.h"
#include "app/state.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "display/rollgraph.h"
#include "stats/statistics.h"
#include "support/app_fixture.h"
#include "support/record_samples.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

std::vector<std::vector<double>> numericRows(const std::string &csv, std::string *header)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, *header);
    while (std::getline(in, line)) {
        EXPECT_EQ(line.back(), '\r');
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ','))
            row.push_back(std::strtod(field.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

class GraphExportTest : public AppFixture {
protected:
    void save(const std::string &picture)
    {
        popups->filePaths = {picture};
        ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    }
};

TEST_F(GraphExportTest, VideoGraphWithItsThresholdInTheUnitShown)
{
    for (int i = 0; i < kCurvePoints; ++i) {
        adbuf[i] = static_cast<unsigned short>(i * 3);
        thdArray[i] = static_cast<unsigned short>(40 + i % 7);
        xArray_mm[i] = i * 0.02;
    }
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    mm_flag = 1;
    xARRAY = xArray_mm;
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);

    save(programDir + "/video");  // no extension: a PNG
    EXPECT_EQ(ReadBytes(programDir + "/video.png").substr(0, 4), "\x89PNG");
    std::string header;
    const auto rows = numericRows(ReadBytes(programDir + "/video.csv"), &header);
    EXPECT_EQ(header, "x [mm],video,threshold\r");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kCurvePoints));
    for (int i : {0, 1, 128, 255}) {
        ASSERT_EQ(rows[i].size(), 3u);
        EXPECT_NEAR(rows[i][0], i * 0.02, 1e-9) << i;
        EXPECT_EQ(rows[i][1], i * 3) << i;
        EXPECT_EQ(rows[i][2], 40 + i % 7) << i;
    }

    mm_flag = 0;
    xARRAY = xArray_pi;
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    save(programDir + "/video-px.pdf");
    EXPECT_EQ(ReadBytes(programDir + "/video-px.pdf").substr(0, 4), "%PDF");
    const auto pixels = numericRows(ReadBytes(programDir + "/video-px.csv"), &header);
    EXPECT_EQ(header, "x [pixel],video,threshold\r");
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kCurvePoints));
    EXPECT_EQ(pixels[255][0], xArray_pi[255]);
}

TEST_F(GraphExportTest, RollGraphHistoryOfSixTraces)
{
    for (int p = 0; p < kRollPoints; ++p)
        for (int t = 0; t < kRollTraces; ++t)
            arrayNORM[p * kRollTraces + t] = p * 10 + t;
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, true);
    mm_flag = 0;
    PrepareRollGraph();
    PlotStripChart(pPA, MAIN_ROLL_GRAPH, arrayNORM, kRollPoints * kRollTraces);

    save(programDir + "/roll.pdf");
    EXPECT_EQ(ReadBytes(programDir + "/roll.pdf").substr(0, 4), "%PDF");
    std::string header;
    const auto rows = numericRows(ReadBytes(programDir + "/roll.csv"), &header);
    EXPECT_EQ(header, "point,upper limit [pixel],lower limit [pixel],set point [pixel],M-VALUE [pixel],analog B,analog A\r");
    ASSERT_EQ(rows.size(), static_cast<size_t>(kRollPoints));
    for (int p : {0, 50, 99}) {
        ASSERT_EQ(rows[p].size(), 7u);
        EXPECT_EQ(rows[p][0], p + 1);
        for (int t = 0; t < kRollTraces; ++t)
            EXPECT_EQ(rows[p][t + 1], p * 10 + t) << p << "," << t;
    }
}

TEST_F(GraphExportTest, WhileALoopRunsASnapshotIsSavedWithoutADialog)
{
    SetCtrlVisible(pPA, MAIN_ROLL_GRAPH, false);
    SetCtrlVisible(pPA, MAIN_VIDEO_GRAPH, true);
    PlotVIDEOCurve(adbuf, thdArray, xARRAY);
    stop_flag = 0;  // the measurement loop waits for an answer
    ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    stop_flag = 1;
    EXPECT_TRUE(popups->shown.empty());  // nothing modal held the exchange up
    std::vector<std::string> saved;
    for (const auto &entry : std::filesystem::directory_iterator(proj_dir))
        if (entry.path().filename().string().rfind("video-graph-", 0) == 0)
            saved.push_back(entry.path().extension().string());
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved, (std::vector<std::string>{".csv", ".png"}));
    const std::string status = GetCtrlString(pPA, MAIN_STATUS);
    EXPECT_EQ(status.rfind("Video graph and its data saved: video-graph-", 0), 0u) << status;
    EXPECT_NE(status.find(" and .csv in " + std::string(proj_dir)), std::string::npos) << status;
}

TEST_F(GraphExportTest, DataBesideThePictureNeverReplacesARecordFile)
{
    const std::string record = programDir + "/RUN1.csv";
    ASSERT_TRUE(WriteBytes(record, MakeRecordFile({500, 501})));
    const std::string before = ReadBytes(record);
    save(programDir + "/RUN1.png");
    EXPECT_EQ(ReadBytes(record), before);
    ASSERT_FALSE(popups->shown.empty());
    EXPECT_NE(popups->shown.back().text.find("is a record file"), std::string::npos);

    // Cancelled: nothing written, nothing asked beyond the file selection.
    popups->shown.clear();
    ASSERT_EQ(SimulateEvent(pPA, MAIN_GRAPH_EXPORT, EVENT_COMMIT), 0);
    ASSERT_EQ(popups->shown.size(), 1u);
    EXPECT_EQ(popups->shown[0].kind, "file");
}

} // namespace
