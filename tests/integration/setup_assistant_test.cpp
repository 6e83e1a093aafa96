// SPDX-License-Identifier: GPL-3.0-or-later
// The set-up assistant against the simulated sensor: each diagnosis produced on purpose, AUTO
// SET-UP from bad starting points (RAM only, never the EEPROM), UNDO byte for byte, refusals
// and a line that fails under way.

#include "base/control_ids.h"
#include "base/state.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link_ui/ident_page.h"
#include "params_ui/mapping.h"
#include "setup/assistant.h"
#include "support/reference_frames.h"
#include "support/sim_fixture.h"

#include <QTimer>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

class SetupAssistantTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
        press(pPara2, PARA2_SETUP);
        ASSERT_TRUE(pSetup != 0 && IsPanelVisible(pSetup));
    }

    // The sensor's own set with this light and fixed threshold.
    static ParameterSet light(int power, int exposure, int fix)
    {
        ParameterSet p = pset;
        p.Power = static_cast<std::uint16_t>(power);
        p.Exposure_Time = static_cast<std::uint16_t>(exposure);
        p.Video_Thd_Fix = static_cast<std::uint16_t>(fix);
        return p;
    }
    // Puts a starting set into the sensor's RAM (and the program's pset, as after a GET).
    void startFrom(const ParameterSet &p)
    {
        pset = p;
        ASSERT_EQ(IssueOrder(ORDER_WRITE_PARA_RAM, 0, &p, sizeof p), 1);
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    std::string ramHex() { return sim.command("ram"); }
};

TEST_F(SetupAssistantTest, AnalyseShowsEachDiagnosisTheSensorIsSetUpFor)
{
    struct Case {
        const char *name;
        std::vector<std::string> scene; // control commands
        int power, exposure, fix, row;  // row -1: every row
        const char *verdict;
        int crossings = -1; // -1: not looked at
    };
    // clang-format off
    const Case cases[] = {
        {"saturated by a bright band", {"set brightness 150"}, 500, 0, 40, setup::ROW_SATURATION, "FAULT"},
        {"too dark", {}, 150, 1000, 20, setup::ROW_PEAK, "FAULT"},
        {"low contrast", {"set ambient 60"}, 100, 1000, 70, setup::ROW_CONTRAST, "FAULT"},
        {"threshold close to the band", {}, 500, 1000, 80, setup::ROW_MARGIN, "CHECK"},
        {"three crossings", {"set dirt 80", "set dirt-at 0"}, 500, 1000, 40, setup::ROW_EDGES, "FAULT", 3},
        {"soft edges", {"set defocus 6"}, 500, 1000, 40, setup::ROW_SHARPNESS, "FAULT"},
        {"clean", {}, 400, 1000, 40, -1, "OK", 2},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const char *reset :
             {"set ambient 0", "set dirt 0", "set dirt-at 8", "set defocus 1", "set brightness 100"})
            ASSERT_EQ(sim.command(reset), "ok");
        for (const std::string &command : c.scene)
            ASSERT_EQ(sim.command(command), "ok");
        ASSERT_NO_FATAL_FAILURE(startFrom(light(c.power, c.exposure, c.fix)));
        press(pSetup, SETUP_ANALYSE);
        for (int row = std::max(c.row, 0); row < (c.row < 0 ? setup::kDiagnosisRows : c.row + 1); ++row)
            EXPECT_EQ(GetCtrlString(pSetup, SETUP_VERDICT + row), c.verdict)
                << setup::RowLabel(row) << ": " << GetCtrlString(pSetup, SETUP_FIGURE + row);
        EXPECT_TRUE(c.crossings < 0 || SetupFigures().crossings == c.crossings) << SetupFigures().crossings;
        EXPECT_EQ(sim.orders(), (std::vector<int>{ORDER_MEASUREMENT, ORDER_CURVE})) << "one VIDEO pass";
    }
}

TEST_F(SetupAssistantTest, AutoSetUpReachesACleanSignalFromBadStartsInRamOnlyAndUndoRestoresIt)
{
    struct Start {
        const char *name;
        int power, exposure, fix, powerMode, opMode;
        int autoPct = 0,
            taughtAtPower = 0; // > 0: AUTO threshold at this percentage (left as it is), taught at this power
        const char *result = "AUTO SET-UP done in "; // a part of the result line
    };
    const Start starts[] = {
        {"saturated", 1000, 3000, 40, 0, 0},
        {"saturated at standard exposure", 1000, 0, 40, 0, 0},
        {"too dark", 60, 1000, 40, 0, 0},
        {"nearly black at short exposure", 20, 400, 40, 0, 2},
        {"threshold at the band", 500, 1000, 85, 0, 0},
        {"regulated power", 500, 1000, 40, 1, 0},
        {"far too bright", 1000, 10000, 20, 0, 1},
        {"AUTO threshold", 1000, 3000, 40, 0, 0, 70},
        {"AUTO threshold taught in a dim light", 1000, 3000, 40, 0, 0, 70, 100,
         " trials: the light is set; the AUTO threshold was taught at another light: free the measuring section"},
    };
    for (const Start &s : starts) {
        SCOPED_TRACE(s.name);
        ParameterSet p = light(s.power, s.exposure, s.fix);
        p.Power_Mode = static_cast<std::uint16_t>(s.powerMode);
        p.CCD_OP_Mode = static_cast<std::uint16_t>(s.opMode);
        p.Free_Para = 0xBEEF; // carried through untouched
        p.Video_Thd_Mode = s.autoPct > 0 ? 1 : 0;
        p.Video_Thd_Auto = static_cast<std::uint16_t>(s.autoPct > 0 ? s.autoPct : 70);
        const ParameterSet dim = light(s.taughtAtPower, 1000, s.fix); // order 13 teaches at the light in RAM
        ASSERT_TRUE(s.taughtAtPower == 0 || (IssueOrder(ORDER_WRITE_PARA_RAM, 0, &dim, sizeof dim) == 1 &&
                                             IssueOrder(ORDER_VTHD_RAM, 70) == 1));
        ASSERT_NO_FATAL_FAILURE(startFrom(p));
        const std::string before = ramHex();

        press(pSetup, SETUP_AUTO);
        // With AUTO the margins are judged against the threshold profile the sensor holds.
        EXPECT_NE(SetupResultText().find(s.result), std::string::npos) << SetupResultText();
        EXPECT_LE(SetupTrials(), 8);
        const setup::VideoFigures &f = SetupFigures();
        EXPECT_TRUE(f.saturatedPoints == 0 && f.peakPct >= 70.0 && f.peakPct <= 85.0) << f.peakPct;
        EXPECT_EQ(f.crossings, 2);
        // The result is what the sensor's RAM holds and what the pages show.
        EXPECT_EQ(std::tuple(ramHex(), pset.Power_Mode, pset.Free_Para),
                  std::tuple("ok " + ToHex(&pset, sizeof pset), 0, 0xBEEF));
        const std::string found = ToHex(&pset, sizeof pset);
        GetPanelValues(); // what SEND would send
        EXPECT_EQ(ToHex(&pset, sizeof pset), found) << "the pages show the set found, and SEND keeps it";

        EXPECT_FALSE(IsCtrlDimmed(pSetup, SETUP_UNDO));
        press(pSetup, SETUP_UNDO);
        EXPECT_EQ(ramHex(), before) << "UNDO puts back the RAM set byte for byte";
        EXPECT_EQ(pset.Power, s.power);
        const std::vector<int> orders = sim.orders(); // AUTO SET-UP and UNDO: RAM only, never the EEPROM
        EXPECT_EQ(std::set<int>(orders.begin(), orders.end()),
                  (std::set<int>{ORDER_WRITE_PARA_RAM, ORDER_READ_PARA_RAM, ORDER_MEASUREMENT, ORDER_CURVE}));
    }
}

TEST_F(SetupAssistantTest, RefusesWhileALoopRunsAndRestoresTheRamWhenTheLineFails)
{
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    stop_flag = 0; // RUN, VIDEO or the recorder
    press(pSetup, SETUP_AUTO);
    press(pSetup, SETUP_ANALYSE);
    stop_flag = 1;
    ASSERT_EQ(popups->shown.size(), 2u);
    EXPECT_EQ(popups->shown[0].text, "Stop RUN, VIDEO or the data recorder first.");
    EXPECT_TRUE(sim.orders().empty());

    ASSERT_NO_FATAL_FAILURE(startFrom(light(1000, 3000, 40)));
    const std::string before = ramHex();
    ASSERT_EQ(sim.command("fault silent order 9"), "ok");
    EXPECT_EQ(RunAutoSetup(), -1);
    EXPECT_EQ(ramHex(), before) << "the trial's set is taken back";
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "TCP-Server-error!");
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), 0xFF0000) << "the status line red";
    EXPECT_EQ(pset.Power, 1000) << "the power of the start";
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_RUN)) << "Run released again";
    EXPECT_FALSE(IsCtrlDimmed(pSetup, SETUP_AUTO)) << "AUTO released again";

    const std::vector<std::string> steps = GetTextBoxLines(pSetup, SETUP_STEPS);
    EXPECT_EQ(steps.empty() ? "" : steps.back(), "The sensor's RAM set of the start is restored.");

    // STOP ends it after the trial under way; UNDO is left to the operator.
    ASSERT_EQ(sim.command("set baud 9600"), "ok");
    QTimer::singleShot(200, [] { SimulateEvent(pPA, MAIN_STOP, EVENT_COMMIT); });
    EXPECT_EQ(RunAutoSetup(), 0);
    EXPECT_EQ(SetupResultText().rfind("AUTO SET-UP ended after 1 trial: stopped.", 0), 0u) << SetupResultText();
    EXPECT_EQ(std::pair(stop_flag, IsCtrlDimmed(pSetup, SETUP_UNDO)), std::pair(1, false));
}

// Ambient light: the rows and AUTO SET-UP name it and BACKGROUND-COMPENSATION, no margin is
// shown beyond -100..200 %, and after UNDO the rows judge the signal of the set put back.
TEST_F(SetupAssistantTest, AmbientLightIsNamedWithItsCureAndUndoJudgesTheSetPutBack)
{
    ASSERT_EQ(sim.command("set ambient 60"), "ok");
    ASSERT_NO_FATAL_FAILURE(startFrom(light(500, 3000, 40)));
    press(pSetup, SETUP_ANALYSE);
    const int margin = SETUP_FIGURE + int{setup::ROW_MARGIN}, saturation = SETUP_VERDICT + int{setup::ROW_SATURATION};
    EXPECT_EQ(GetCtrlStringUtf8(pSetup, margin), "< -100 % above background, > 200 % below band");
    EXPECT_EQ(GetCtrlStringUtf8(pSetup, SETUP_ADVICE + int{setup::ROW_MARGIN}),
              "Ambient light: BACKGROUND-COMPENSATION ON, or shield the sensor.");

    press(pSetup, SETUP_AUTO);
    EXPECT_NE(SetupResultText().find(" trials: ambient light lifts the background to "), std::string::npos)
        << SetupResultText();
    EXPECT_NE(SetupResultText().find(": BACKGROUND-COMPENSATION ON, or shield the sensor."), std::string::npos)
        << SetupResultText();
    EXPECT_EQ(GetCtrlString(pSetup, saturation), "OK") << "the last trial is unclipped";

    press(pSetup, SETUP_UNDO);
    EXPECT_EQ(GetCtrlString(pSetup, saturation), "FAULT")
        << "the rows judge the clipped signal of the set put back, not the trial undone";
    EXPECT_EQ(GetCtrlStringUtf8(pSetup, margin), "< -100 % above background, > 200 % below band");

    // When the signal cannot be read after UNDO, the rows are emptied rather than left stale.
    press(pSetup, SETUP_AUTO);
    ASSERT_EQ(sim.command("fault silent order 9"), "ok");
    press(pSetup, SETUP_UNDO);
    for (int row = 0; row < setup::kDiagnosisRows; ++row)
        EXPECT_EQ(GetCtrlString(pSetup, SETUP_VERDICT + row) + GetCtrlString(pSetup, SETUP_FIGURE + row), "")
            << setup::RowLabel(row);

    // The cure named works.
    ParameterSet compensated = light(500, 3000, 40);
    compensated.Background_Mode = 1;
    ASSERT_NO_FATAL_FAILURE(startFrom(compensated));
    press(pSetup, SETUP_AUTO);
    EXPECT_EQ(SetupResultText().rfind("AUTO SET-UP done in ", 0), 0u) << SetupResultText();
}

} // namespace
