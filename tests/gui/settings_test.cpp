// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "MQ-Vista.ini" and the hardware information file, on the real
// panels offscreen: the address list, writing and reading back, range checks, defaults,
// write failures, where the files go, and the exact layout of the hardware information file.

#include "app/shell.h"
#include "base/control_ids.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "files/hwinfofile.h"
#include "files/locations.h"
#include "files/settings.h"
#include "link/hwinfo.h"
#include "link/transport.h"
#include "params/parafile.h"
#include "platform/system.h"
#include "support/app_fixture.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;
using namespace std::string_literals;

namespace {

std::vector<std::string> addressList()
{
    int count = 0;
    GetNumListItems(pConn, CONN_IPADDR, &count);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        std::string label;
        GetListItemLabel(pConn, CONN_IPADDR, i, &label);
        items.push_back(label);
    }
    return items;
}

class SettingsTest : public AppFixture {
protected:
    std::string iniPath() const { return JoinPath(programDir, "MQ-Vista.ini"); }
    // The link settings {comtype, rs232port, rs232baudrate}.
    static std::array<int, 3> linkSettings() { return {comtype, rs232port, rs232baudrate}; }
    // The main panel's {height, width, top, left}.
    static std::array<int, 4> panelGeometry()
    {
        std::array<int, 4> g{};
        GetPanelSize(pPA, &g[0], &g[1]);
        GetPanelPos(pPA, &g[2], &g[3]);
        return g;
    }
};

TEST_F(SettingsTest, AddressListKeepsTheMostRecentTenWithoutDuplicates)
{
    SetCtrlDimmed(pConn, CONN_ACCEPT, false);
    for (int i = 1; i <= 12; ++i)
        commitValue(pConn, CONN_IPADDR, ("10.0.0." + std::to_string(i)).c_str());
    const auto addresses = [](std::initializer_list<int> last) {
        std::vector<std::string> out;
        for (int k : last)
            out.push_back("10.0.0." + std::to_string(k));
        return out;
    };
    EXPECT_EQ(addressList(), addresses({12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
    EXPECT_EQ(std::pair(std::string(szIPhostName), IsCtrlDimmed(pConn, CONN_ACCEPT)), std::pair("10.0.0.12"s, true));

    // The third entry committed again moves to the top and is there once.
    commitValue(pConn, CONN_IPADDR, "10.0.0.10");
    EXPECT_EQ(addressList(), addresses({10, 12, 11, 9, 8, 7, 6, 5, 4, 3}));
}

TEST_F(SettingsTest, LinkTypeRingSwitchesLayoutAndComtypeOnly)
{
    // Controls of the TCP/IP layout (true) and of the RS-232 one (false).
    const std::vector<std::pair<int, bool>> layout = {{CONN_IPADDR, true},          {CONN_PORTNUM, true},
                                                      {CONN_TCP_ONLY, true},        {CONN_BAUD, false},
                                                      {CONN_COMPORT, false},        {CONN_CHANGE_BAUD, false},
                                                      {CONN_SERIAL_DEVICES, false}, {CONN_BIND_DEVICE, false}};
    for (int type : {1, 0}) {
        commitValue(pConn, CONN_COMTYPE, type);
        EXPECT_EQ(type, comtype);
        for (auto [control, tcp] : layout)
            EXPECT_EQ(IsCtrlVisible(pConn, control), tcp == (type == 1)) << "control " << control << " type " << type;
        EXPECT_EQ(IsCtrlVisible(pPA, MAIN_COMPORT), type == 0);
    }

    // A port number edit dims Accept until the next successful Connect.
    SetCtrlDimmed(pConn, CONN_ACCEPT, false);
    SimulateEvent(pConn, CONN_PORTNUM, EVENT_COMMIT);
    EXPECT_TRUE(IsCtrlDimmed(pConn, CONN_ACCEPT));
}

TEST_F(SettingsTest, AcceptWritesTheSettingsAndTheyComeBackAtTheNextStart)
{
    SetCtrlVal(pConn, CONN_COMTYPE, 1);
    SetCtrlVal(pConn, CONN_COMPORT, 7);
    SetCtrlVal(pConn, CONN_BAUD, 2);
    SetCtrlVal(pConn, CONN_PORTNUM, "2001");
    commitValue(pConn, CONN_IPADDR, "192.168.1.20");
    commitValue(pConn, CONN_IPADDR, "192.168.1.30");
    SetPanelPos(pPA, 40, 30);
    SetPanelSize(pPA, 560, 790);
    SetCtrlVal(pPA, MAIN_MM_SWITCH, 1);
    HWTYPE = 2;
    SetActiveTabPage(pPA, MAIN_TAB, 5);

    SimulateEvent(pConn, CONN_ACCEPT, EVENT_LEFT_CLICK);
    SimulateEvent(pConn, CONN_ACCEPT, EVENT_COMMIT);
    EXPECT_EQ(0, activeTab());
    const std::string text = ReadBytes(iniPath());
    ASSERT_FALSE(text.empty());
    // The sections in their order, with two of their keys.
    size_t at = 0;
    for (const char *part : {"[CONNECTION]", "[IP ADDRESSES]", "[APPLICATION]", "Panel width  = 790", "[HARDWAREINFO]",
                             "Hardware-Type = 2"}) {
        at = text.find(part, at);
        EXPECT_NE(at, std::string::npos) << part << " in order in\n" << text;
    }

    // A new start: the panels as the resources make them, then the file.
    CloseLinkAndPanels();
    ASSERT_EQ(LoadAllPanels(), 0);
    InitVars();
    EXPECT_EQ(std::string(szIPhostName), "192.168.1.30");
    EXPECT_EQ(std::string(szPortNum), "2001");
    EXPECT_EQ(tcpport, 2001);
    EXPECT_EQ(GetCtrlString(pConn, CONN_IPADDR), "192.168.1.30") << "the address field";
    EXPECT_EQ(addressList(), (std::vector<std::string>{"192.168.1.30", "192.168.1.20"}));
    EXPECT_EQ(linkSettings(), (std::array{1, 7, 2})) << "{comtype, rs232port, rs232baudrate}";
    EXPECT_EQ(panelGeometry(), (std::array{560, 790, 40, 30})) << "main panel {height, width, top, left}";
    EXPECT_EQ(intOf(pConn, CONN_BAUD), 2) << "the baud rate ring";
    EXPECT_EQ(intOf(pPA, MAIN_MM_SWITCH), 1) << "the mm switch";
    EXPECT_EQ(mm_flag, 1);
    // Start-up puts the pixel points back until the sensor is identified; the file alone
    // selects the millimetre points.
    ReadIniFile(iniPath().c_str());
    EXPECT_EQ(xAxisArray(), "xArray_mm");
}

// mq-vista --sensor ADDR: the run uses that sensor, the file keeps the operator's link until
// ACCEPT takes the one in use.
TEST_F(SettingsTest, ARunOnlySensorIsUsedButSavedOnlyOnAccept)
{
    SetCtrlVal(pConn, CONN_COMTYPE, 1);
    SetCtrlVal(pConn, CONN_PORTNUM, "2001");
    commitValue(pConn, CONN_IPADDR, "192.168.1.30");
    SimulateEvent(pConn, CONN_ACCEPT, EVENT_COMMIT);

    RunOnlyLink link;
    link.host = "127.0.0.1";
    link.port = 4001;
    SetRunOnlyLink(link);
    CloseLinkAndPanels();
    ASSERT_EQ(LoadAllPanels(), 0);
    InitVars();
    EXPECT_EQ(std::string(szIPhostName), "127.0.0.1");
    EXPECT_EQ(tcpport, 4001);
    ASSERT_EQ(WriteIniFile(iniPath().c_str()), 1); // as closing the window does
    std::string text = ReadBytes(iniPath());
    EXPECT_NE(text.find("IP ADDRESS = \"192.168.1.30\""), std::string::npos) << text;
    EXPECT_NE(text.find("PORT NUMBER = \"2001\""), std::string::npos) << text;

    SimulateEvent(pConn, CONN_ACCEPT, EVENT_COMMIT);
    text = ReadBytes(iniPath());
    EXPECT_NE(text.find("IP ADDRESS = \"127.0.0.1\""), std::string::npos) << "ACCEPT saves the link in use:\n" << text;
    EXPECT_NE(text.find("PORT NUMBER = \"4001\""), std::string::npos) << text;
}

TEST_F(SettingsTest, OutOfRangeValuesAreIgnoredAndTheListReadsTenAtMost)
{
    std::string text = "[CONNECTION]\nCOMM TYPE = 2\nRS232 PORT = 256\nRS232 BAUDRATE = 5\n"
                       "[IP ADDRESSES]\nLIST ITEMS = 15\n";
    for (int k = 1; k <= 12; ++k)
        if (k != 3)
            text += "IP ADDR " + std::to_string(k) + " = 10.1.1." + std::to_string(k) + "\n";
    text += "[APPLICATION]\nPanel pos. x = 300\nPanel pos. y = 200\nPanel width = 500\nPanel height = 400\n";
    WriteBytes(iniPath(), text);
    const auto geometryBefore = panelGeometry();

    comtype = 1;
    rs232port = 9;
    rs232baudrate = 1;
    ReadIniFile(iniPath().c_str());
    EXPECT_EQ(linkSettings(), (std::array{1, 9, 1})) << "{comtype, rs232port, rs232baudrate}: out of range kept";
    std::vector<std::string> tenAtMost; // the gap at 3 closed, 11 and 12 beyond ten
    for (int k : {1, 2, 4, 5, 6, 7, 8, 9, 10})
        tenAtMost.push_back("10.1.1." + std::to_string(k));
    EXPECT_EQ(addressList(), tenAtMost);
    // No "IP ADDRESS" and no "PORT NUMBER": empty address, the default port.
    EXPECT_EQ(std::pair(std::string(szIPhostName), std::string(szPortNum)), std::pair(""s, "10001"s));
    EXPECT_EQ(panelGeometry(), geometryBefore) << "\"Panel max\" absent: the geometry keys are not used";

    WriteBytes(iniPath(), "[CONNECTION]\nRS232 PORT = 0\n[APPLICATION]\nPanel max = 1\n");
    ReadIniFile(iniPath().c_str());
    EXPECT_EQ(std::tuple(rs232port, IsPanelMaximized(pPA)), std::tuple(9, true)) << "COM port 0 refused; Panel max";
}

TEST_F(SettingsTest, MissingOrGarbledFileGivesTheDefaults)
{
    comtype = 1;
    rs232port = 5;
    rs232baudrate = 0;
    CopyText(szIPhostName, "1.2.3.4");
    CopyText(szPortNum, "77");
    ReadIniFile(iniPath().c_str());
    EXPECT_EQ(linkSettings(), (std::array{0, 1, 4})) << "{comtype, rs232port, rs232baudrate}";
    EXPECT_EQ(std::tuple(std::string(szIPhostName), std::string(szPortNum), intOf(pConn, CONN_BAUD)),
              std::tuple(""s, "10001"s, 4))
        << "address, port, baud rate ring";

    std::string garbage(5000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    garbage.insert(0, "[CONNECTION]\nCOMM TYPE = 1x\nRS232 PORT = \n[APPLICATION]\nPanel max = \xff\n");
    WriteBytes(iniPath(), garbage);
    comtype = 0;
    rs232port = 1;
    ReadIniFile(iniPath().c_str());
    EXPECT_EQ(linkSettings(), (std::array{0, 1, 4})) << "garbled values: {comtype, rs232port, rs232baudrate} defaults";
    EXPECT_FALSE(IsPanelMaximized(pPA)) << "a garbled Panel max";
}

TEST_F(SettingsTest, UnwritableSettingsFileIsReportedAndTheProgramStillCloses)
{
    const std::string bad = JoinPath(programDir, "no-such-dir/MQ-Vista.ini");
    EXPECT_EQ(-1, WriteIniFile(bad.c_str()));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), kTextSettingsNotWritten);

    // The close sequence writes the settings beside the program.
    CopyText(appini_pathname, iniPath().c_str());
    SetCtrlVal(pConn, CONN_COMPORT, 12);
    SimulateEvent(pPA, 0, EVENT_CLOSE);
    EXPECT_EQ(std::pair(stop_flag, exit_flag), std::pair(1, 1));
    EXPECT_NE(ReadBytes(iniPath()).find("RS232 PORT = 12"), std::string::npos);

    // Unwritable at close: reported, and the file written before stays as it was.
    const std::string before = ReadBytes(iniPath());
    CopyText(appini_pathname, bad.c_str());
    SetCtrlVal(pConn, CONN_COMPORT, 13);
    SimulateEvent(pPA, 0, EVENT_CLOSE);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), kTextSettingsNotWritten);
    EXPECT_EQ(ReadBytes(iniPath()), before);
}

TEST_F(SettingsTest, HardwareInfoFileHasItsExactLayout)
{
    for (int i = 0; i < kHardwareDataSize; ++i)
        wbuf[i] = static_cast<unsigned char>(i * 7);
    const unsigned char start[4] = {0x34, 0x12, 0xCD, 0xAB};
    std::memcpy(wbuf, start, 4);
    auto *words = reinterpret_cast<std::uint16_t *>(&pset);
    for (int i = 0; i < 28; ++i)
        words[i] = static_cast<std::uint16_t>(100 + i);
    pset.um_Slope = 81920;
    cal = {};
    cal.HW_TYPE = 517318;
    cal.SER_NO = 4711;
    cal.XF_DIVISOR = 4;
    cal.XF_SIZE = 1024;
    cal.UM_SLOPE = 90112; // 5.5 µm per pixel
    cal.UM_OFFSET = -250;
    cal.UM_RANGE = 20000;
    CopyText(szSoftwareVersion, "K-VOR-MQ-Vista Build: V4.0.6  02/Feb/2016");
    CopyText(szFirmwareVersion, "K-VOR-MQ.V4.06 20-CL 2016");

    const std::string path = JoinPath(programDir, "hw.ini");
    ASSERT_EQ(1, WriteHardwareInfoFile(path.c_str()));

    const std::string data = FormatHardwareData(wbuf);
    ASSERT_EQ(data.size(), 1024u);
    // Word 2 is the bytes 4 and 5 (28 and 35): 0x231C.
    EXPECT_EQ(data.substr(0, 12), "1234ABCD231C");

    std::string expected = "[GENERAL INFO]\r\n"
                           "FILE TYPE:     = \"Hardware Initial File\"\r\n"
                           "VISTA VERSION: = \"K-VOR-MQ-Vista Build: V4.0.6  02/Feb/2016\"\r\n"
                           "FIRMWARE VERSION: = \"K-VOR-MQ.V4.06 20-CL 2016\"\r\n"
                           "\r\n"
                           "[HARDWARE INFO]\r\n";
    for (int piece = 0; piece * 80 < 1024; ++piece) {
        char tag[32];
        std::snprintf(tag, sizeof tag, "DATA Line%04d = \"", piece + 1);
        expected += tag + data.substr(piece * 80, 80) + "\"\r\n";
    }
    // The parameter file's keys (their names and order are the parameter file's tests').
    expected += "\r\n[PARA]\r\n";
    for (int i = 0; i < kParaKeyCount; ++i)
        expected += std::string(kParaKeys[i].name) + " = " + std::to_string(100 + i) + "\r\n";
    expected += "um-Slope = 81920\r\n"
                "\r\n"
                "[CALIBDATA]\r\n"
                "HW-TYPE: = 517318\r\n"
                "SER-NO: = 4711\r\n"
                "UM-OFFSET: = -250\r\n"
                "UM-SLOPE: = 5.5\r\n"
                "UM-RANGE: = 20000\r\n"
                "XF-DIVISOR: = 4\r\n"
                "XF-SIZE:  = 1024\r\n"
                "\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    EXPECT_EQ(-1, WriteHardwareInfoFile(JoinPath(programDir, "missing/hw.ini").c_str()));
}

// ---- Where the settings and the operator's files go: beside a program that can write
// there, else in the user's configuration and documents directories.

class LocationsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        home = programDir + "/home";
        std::filesystem::create_directories(home);
        savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("HOME", savedHome.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        ui::SetProgramDirectory(programDir);
        AppFixture::TearDown();
    }
    std::string home, savedHome;
};

TEST_F(LocationsTest, WritableProgramDirectoryKeepsEverythingBesideTheProgram)
{
    InitVars(); // the settings and record file beside it: PanelEventTest.HeaderBandAndDefaultsOfStartUp
    EXPECT_EQ(std::string(proj_dir), programDir);
    EXPECT_FALSE(std::filesystem::exists(home + "/.config/mq-vista")) << "nothing is created in the user's home";
}

TEST_F(LocationsTest, ReadOnlyProgramDirectoryUsesTheUserDirectoriesAcrossRestarts)
{
    // /proc cannot take a new file, not even for root.
    ASSERT_FALSE(ui::DirectoryWritable("/proc"));
    ui::SetProgramDirectory("/proc");
    InitVars();
    EXPECT_EQ((std::vector<std::string>{appini_pathname, proj_dir, rec_fname}),
              (std::vector{home + "/.config/mq-vista/MQ-Vista.ini", home + "/Documents/MQ-Vista",
                           home + "/Documents/MQ-Vista/RECORD.DAT"}));
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Documents/MQ-Vista"));

    SetCtrlVal(pConn, CONN_COMPORT, 7); // the file takes the connection page's settings
    ASSERT_GE(WriteIniFile(appini_pathname), 0);
    rs232port = 1;
    appini_pathname[0] = '\0'; // a restart: a new program knows no settings file before it looks
    InitVars();
    EXPECT_EQ(rs232port, 7) << "the settings were not read from the file chosen at start-up";
}

TEST_F(LocationsTest, SettingsBesideAReadOnlyProgramAreCarriedOverOnce)
{
    const std::string old = programDir + "/old";
    std::filesystem::create_directories(old);
    WriteBytes(old + "/MQ-Vista.ini", "[CONNECTION]\nCOM PORT = 3\n");

    FileLocations where = ChooseFileLocations(old, false);
    EXPECT_EQ(std::tuple(where.inProgramDirectory, where.settingsFile, ReadBytes(where.settingsFile)),
              std::tuple(false, home + "/.config/mq-vista/MQ-Vista.ini", "[CONNECTION]\nCOM PORT = 3\n"s));

    // The user's own file is not overwritten by the old one again.
    WriteBytes(where.settingsFile, "[CONNECTION]\nCOM PORT = 4\n");
    where = ChooseFileLocations(old, false);
    EXPECT_EQ(ReadBytes(where.settingsFile), "[CONNECTION]\nCOM PORT = 4\n");

    where = ChooseFileLocations(old, true);
    EXPECT_EQ(std::tie(where.inProgramDirectory, where.settingsFile, where.documentsDirectory),
              std::tuple(true, old + "/MQ-Vista.ini"s, old));
}

TEST_F(LocationsTest, WritabilityIsTriedNotGuessed)
{
    EXPECT_EQ(std::pair(ui::DirectoryWritable(programDir), ui::DirectoryWritable(programDir + "/missing")),
              std::pair(true, false));
    for (const auto &entry : std::filesystem::directory_iterator(programDir))
        EXPECT_EQ(entry.path().filename().string().rfind(".mq-write-test", 0), std::string::npos)
            << "probe left behind";
}

} // namespace
