// SPDX-License-Identifier: GPL-3.0-or-later

// The compare-sets window against the simulator: the sets side by side under their keys, the
// cells that differ from the pages marked and counted, TAKE onto the pages without a write,
// and a backup of another sensor type named.

#include "base/state.h"
#include "cli/backup_file.h"
#include "compare_ui/compare_window.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link_ui/ident_page.h"
#include "params/parafile.h"
#include "params_ui/mapping.h"
#include "support/files.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <string>

using namespace ui;
using namespace panels;

namespace {

class CompareWindowTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(1, InitDataExchange());
    }
    static std::string cell(int row, int column) { return GetCtrlString(pCompare, CompareCellId(row, column)); }
    static bool marked(int row, int column)
    {
        return GetCtrlBackColor(pCompare, CompareCellId(row, column)) != VAL_WHITE;
    }
    static int rowOf(const char *key)
    {
        for (int i = 0; i < kParaKeyCount; ++i)
            if (std::string(kParaKeys[i].name) == key)
                return i;
        return kParaKeyCount; // um-Slope
    }
};

TEST_F(CompareWindowTest, ColumnsSideBySideDifferencesMarkedAndCountedTakeWritesNothing)
{
    // The EEPROM differs from the RAM in one field; the pages in another.
    ParameterSet eeprom = pset;
    eeprom.Average = 3;
    ASSERT_EQ(IssueOrder(ORDER_WRITE_PARA_EE, 0, &eeprom, sizeof eeprom), 1);
    SetCtrlVal(pPara2, PARA2_POWER, 222);
    press(pPara3, PARA3_COMPARE);
    ASSERT_NE(pCompare, 0);
    EXPECT_EQ(cell(rowOf("Power"), COMPARE_PANEL), "222");
    EXPECT_EQ(cell(rowOf("Power"), COMPARE_RAM), "") << "not read before READ";

    press(pCompare, COMPARE_READ);
    const int power = rowOf("Power"), average = rowOf("Average"), polarity = rowOf("Polarity");
    struct Cell {
        const char *name;
        int row, column;
        bool marked;
    };
    const Cell cells[] = {{"Power on the pages", power, COMPARE_RAM, true},
                          {"Power in the EEPROM", power, COMPARE_EEPROM, true},
                          {"Average of the RAM", average, COMPARE_RAM, false},
                          {"Average of the EEPROM", average, COMPARE_EEPROM, true},
                          {"Polarity everywhere", polarity, COMPARE_EEPROM, false}};
    for (const Cell &c : cells) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(marked(c.row, c.column), c.marked) << cell(c.row, c.column);
    }
    EXPECT_EQ(GetCtrlString(pCompare, COMPARE_SUMMARY), "3 of 29 fields differ (RAM vs EEPROM: 1)")
        << "Power, Average, and Exposure-Time the pages hold within its limits";
    EXPECT_EQ(cell(polarity, COMPARE_PANEL).rfind(std::to_string(pset.Polarity) + "  ", 0), 0u)
        << "the integer, then the ring's text: " << cell(polarity, COMPARE_PANEL);

    ASSERT_EQ(sim.command("reset-stats"), "ok");
    press(pCompare, COMPARE_TAKE_EEPROM);
    EXPECT_EQ(pset.Average, 3);
    EXPECT_EQ(intOf(pPara1, PARA1_AVERAGE), 3) << "the pages show the set taken";
    EXPECT_TRUE(sim.orders().empty()) << "TAKE sends nothing";
    EXPECT_EQ(GetCtrlString(pCompare, COMPARE_SUMMARY), "2 of 29 fields differ (RAM vs EEPROM: 1)")
        << "Average and Exposure-Time against the RAM";
}

TEST_F(CompareWindowTest, AFileOrABackupFillsTheFileColumnAndABackupOfAnotherTypeIsNamed)
{
    press(pPara3, PARA3_COMPARE);
    ParameterSet file = pset;
    file.Power = 444;
    const std::string ini = programDir + "/other.ini";
    ASSERT_TRUE(WriteBytes(ini, "[PARA]\nPower = 444\n"));
    ASSERT_TRUE(LoadCompareFile(ini));
    EXPECT_EQ(cell(rowOf("Power"), COMPARE_FILE_SET), "444");
    EXPECT_TRUE(marked(rowOf("Power"), COMPARE_FILE_SET));

    cli::Backup backup;
    backup.identity.serial = 9;
    backup.identity.hardwareType = hwinfo.hardwareType + 1;
    backup.identity.pixelCount = 2048;
    backup.ram = backup.eeprom = file;
    backup.eeprom.Power = 555;
    const std::string json = programDir + "/9.json";
    ASSERT_TRUE(WriteBytes(json, cli::BackupToJson(backup)));
    ASSERT_TRUE(LoadCompareFile(json));
    EXPECT_EQ(cell(rowOf("Power"), COMPARE_FILE_SET), "555") << "a backup's EEPROM set";
    EXPECT_EQ(GetCtrlString(pCompare, COMPARE_FILE_NAME).rfind("BACKUP OF ANOTHER SENSOR TYPE", 0), 0u)
        << GetCtrlString(pCompare, COMPARE_FILE_NAME);

    ASSERT_TRUE(WriteBytes(json, "{\"ram\": 1}"));
    EXPECT_FALSE(LoadCompareFile(json));
    EXPECT_EQ(cell(rowOf("Power"), COMPARE_FILE_SET), "555") << "a refused file leaves the column";
}

} // namespace
