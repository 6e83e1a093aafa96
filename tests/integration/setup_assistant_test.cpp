// The set-up assistant against the simulated sensor: each diagnosis produced on purpose, AUTO
// SET-UP from bad starting points (RAM only, never the EEPROM), UNDO byte for byte, refusals
// and a line that fails under way.

#include "app/state.h"
#include "link/ident.h"
#include "link/orders.h"
#include "params/pset.h"
#include "setup/assistant.h"
#include "support/app_fixture.h"
#include "support/sim_fixture.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <QTimer>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;
using setup::Verdict;

namespace {

class SetupAssistantTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
        press(pPara2, PARA2_SETUP);
        ASSERT_NE(pSetup, 0);
        ASSERT_TRUE(IsPanelVisible(pSetup));
    }

    // Puts a starting set into the sensor's RAM (and the program's pset, as after a GET).
    void startFrom(const ParameterSet &p)
    {
        pset = p;
        ASSERT_EQ(IssueOrder(ORDER_WRITE_PARA_RAM, 0, &p, sizeof p), 1);
        ASSERT_EQ(sim.command("reset-stats"), "ok");
    }
    ParameterSet base()
    {
        ParameterSet p = pset;
        p.Power = 500;
        p.Power_Mode = 0;
        p.Exposure_Time = 1000;
        p.Video_Thd_Mode = 0;
        p.Video_Thd_Fix = 40;
        return p;
    }
    std::string verdict(int row) { return GetCtrlString(pSetup, SETUP_VERDICT + row); }
    std::string ramHex() { return sim.command("ram"); }
};

TEST_F(SetupAssistantTest, AnalyseShowsEachDiagnosisTheSensorIsSetUpFor)
{
    struct Case {
        const char *name;
        std::vector<std::string> scene; // control commands
        int power, exposure, fix;
        int row;
        const char *verdict;
    };
    const Case cases[] = {
        {"saturated", {}, 1000, 3000, 40, setup::ROW_SATURATION, "FAULT"},
        {"too dark", {}, 150, 1000, 20, setup::ROW_PEAK, "FAULT"},
        {"low contrast", {"set ambient 60"}, 100, 1000, 70, setup::ROW_CONTRAST, "FAULT"},
        {"threshold close to the band", {}, 500, 1000, 80, setup::ROW_MARGIN, "CHECK"},
        {"three crossings", {"set dirt 80", "set dirt-at 0"}, 500, 1000, 40, setup::ROW_EDGES, "FAULT"},
        {"soft edges", {"set defocus 6"}, 500, 1000, 40, setup::ROW_SHARPNESS, "FAULT"},
        {"clean", {}, 400, 1000, 40, setup::ROW_EDGES, "OK"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const char *reset : {"set ambient 0", "set dirt 0", "set dirt-at 8", "set defocus 1"})
            ASSERT_EQ(sim.command(reset), "ok");
        for (const std::string &command : c.scene)
            ASSERT_EQ(sim.command(command), "ok");
        ParameterSet p = base();
        p.Power = static_cast<std::uint16_t>(c.power);
        p.Exposure_Time = static_cast<std::uint16_t>(c.exposure);
        p.Video_Thd_Fix = static_cast<std::uint16_t>(c.fix);
        ASSERT_NO_FATAL_FAILURE(startFrom(p));
        press(pSetup, SETUP_ANALYSE);
        EXPECT_EQ(verdict(c.row), c.verdict) << GetCtrlString(pSetup, SETUP_FIGURE + c.row);
        if (std::string(c.name) == "three crossings") {
            EXPECT_EQ(SetupFigures().crossings, 3);
        }
        if (std::string(c.name) == "clean") {
            for (int row = 0; row < setup::kDiagnosisRows; ++row)
                EXPECT_EQ(verdict(row), "OK") << setup::RowLabel(row) << ": "
                                              << GetCtrlString(pSetup, SETUP_FIGURE + row);
        }
        EXPECT_EQ(sim.orders(), (std::vector<int>{ORDER_MEASUREMENT, ORDER_CURVE})) << "one VIDEO pass";
    }
}

TEST_F(SetupAssistantTest, AutoSetUpReachesACleanSignalFromBadStartsInRamOnlyAndUndoRestoresIt)
{
    struct Start {
        const char *name;
        int power, exposure, fix, powerMode, opMode;
        int autoPct = 0; // > 0: AUTO threshold at this percentage, left as it is
    };
    const Start starts[] = {
        {"saturated", 1000, 3000, 40, 0, 0},        {"saturated at standard exposure", 1000, 0, 40, 0, 0},
        {"too dark", 60, 1000, 40, 0, 0},           {"nearly black at short exposure", 20, 400, 40, 0, 2},
        {"threshold at the band", 500, 1000, 85, 0, 0}, {"regulated power", 500, 1000, 40, 1, 0},
        {"far too bright", 1000, 10000, 20, 0, 1},  {"AUTO threshold", 1000, 3000, 40, 0, 0, 70},
    };
    for (const Start &s : starts) {
        SCOPED_TRACE(s.name);
        ParameterSet p = base();
        p.Power = static_cast<std::uint16_t>(s.power);
        p.Exposure_Time = static_cast<std::uint16_t>(s.exposure);
        p.Video_Thd_Fix = static_cast<std::uint16_t>(s.fix);
        p.Power_Mode = static_cast<std::uint16_t>(s.powerMode);
        p.CCD_OP_Mode = static_cast<std::uint16_t>(s.opMode);
        p.Free_Para = 0xBEEF; // carried through untouched
        p.Video_Thd_Mode = s.autoPct > 0 ? 1 : 0;
        p.Video_Thd_Auto = static_cast<std::uint16_t>(s.autoPct > 0 ? s.autoPct : 70);
        ASSERT_NO_FATAL_FAILURE(startFrom(p));
        const std::string before = ramHex();

        press(pSetup, SETUP_AUTO);
        // With AUTO the margins are judged against the threshold profile the sensor holds.
        EXPECT_EQ(SetupResultText().rfind("AUTO SET-UP done", 0), 0u) << SetupResultText();
        EXPECT_LE(SetupTrials(), 8);
        const setup::VideoFigures &f = SetupFigures();
        EXPECT_EQ(f.saturatedPoints, 0);
        EXPECT_GE(f.peakPct, 70.0);
        EXPECT_LE(f.peakPct, 85.0);
        EXPECT_EQ(f.crossings, 2);
        const std::vector<int> orders = sim.orders();
        EXPECT_EQ(std::set<int>(orders.begin(), orders.end()),
                  (std::set<int>{ORDER_WRITE_PARA_RAM, ORDER_READ_PARA_RAM, ORDER_MEASUREMENT, ORDER_CURVE}));
        // The result is what the sensor's RAM holds and what the pages show.
        EXPECT_EQ(ramHex(), "ok " + ToHex(&pset, sizeof pset));
        EXPECT_EQ(pset.Power_Mode, 0);
        EXPECT_EQ(pset.Free_Para, 0xBEEF);
        EXPECT_EQ(intOf(pPara2, PARA2_POWER), pset.Power);
        EXPECT_EQ(intOf(pPara2, PARA2_VTHD), s.autoPct > 0 ? s.autoPct : pset.Video_Thd_Fix);
        EXPECT_EQ(pset.Video_Thd_Auto, p.Video_Thd_Auto);
        EXPECT_GE(pset.Exposure_Time == 0 ? 1000 : pset.Exposure_Time, s.opMode == 2 ? 400 : 100);

        EXPECT_FALSE(IsCtrlDimmed(pSetup, SETUP_UNDO));
        press(pSetup, SETUP_UNDO);
        EXPECT_EQ(ramHex(), before) << "UNDO puts back the RAM set byte for byte";
        const std::vector<int> all = sim.orders();
        EXPECT_EQ(std::count(all.begin(), all.end(), ORDER_WRITE_PARA_EE), 0);
        EXPECT_EQ(pset.Power, s.power);
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

    ParameterSet p = base();
    p.Power = 1000;
    p.Exposure_Time = 3000;
    ASSERT_NO_FATAL_FAILURE(startFrom(p));
    const std::string before = ramHex();
    ASSERT_EQ(sim.command("fault silent order 9"), "ok");
    EXPECT_EQ(RunAutoSetup(), -1);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "TCP-Server-error!");
    EXPECT_EQ(GetCtrlTextColor(pPA, MAIN_STATUS), 0xFF0000);
    EXPECT_EQ(ramHex(), before) << "the trial's set is taken back";
    EXPECT_EQ(pset.Power, 1000);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(IsCtrlDimmed(pPA, MAIN_RUN));
    EXPECT_FALSE(IsCtrlDimmed(pSetup, SETUP_AUTO));
    const std::vector<std::string> steps = GetTextBoxLines(pSetup, SETUP_STEPS);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), "The sensor's RAM set of the start is restored.");

    // STOP ends it after the trial under way; UNDO is left to the operator.
    ASSERT_EQ(sim.command("set baud 9600"), "ok");
    QTimer::singleShot(200, [] { SimulateEvent(pPA, MAIN_STOP, EVENT_COMMIT); });
    EXPECT_EQ(RunAutoSetup(), 0);
    EXPECT_EQ(SetupResultText().rfind("AUTO SET-UP ended after 1 trial: stopped.", 0), 0u) << SetupResultText();
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(IsCtrlDimmed(pSetup, SETUP_UNDO));
}

} // namespace
