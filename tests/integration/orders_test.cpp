// Every order of the catalogue as the simulator receives it, what each routine takes
// from the answer, the routines' status texts, and the XFLASH primitives.

#include "app/shell.h"
#include "app/state.h"
#include "app/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link/xflash.h"
#include "params/pset.h"
#include "params/transfer.h"
#include "support/app_fixture.h"
#include "support/sim_fixture.h"
#include "support/reference_frames.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <cstring>
#include <string>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

std::string request(unsigned char order, unsigned short address, const std::vector<unsigned char> &data = {})
{
    return ReferenceRequest(order, address, data);
}

class OrdersTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp({"--serial", "777"}));
    }
    std::string last() { return sim.lastRequestHex(); }
    int requests() { return static_cast<int>(sim.orders().size()); }
};

TEST_F(OrdersTest, EveryOrderGoesOutWithItsExactBytes)
{
    EXPECT_EQ(1, CheckComLine());
    EXPECT_EQ(last(), "550500000000aa3c");
    EXPECT_EQ(last(), request(5, 0));
    EXPECT_EQ(hwinfo.serialNo, 777);

    GetVERSIONInfo();
    EXPECT_EQ(last(), request(7, 0));
    EXPECT_EQ(hwinfo.serialNo, 777);
    GetHARDWAREInfo();
    EXPECT_EQ(last(), request(10, 0));
    PushGET(RAM);
    EXPECT_EQ(last(), request(2, 0));
    PushGET(EEPROM);
    EXPECT_EQ(last(), request(4, 0));
    GetRAW();
    EXPECT_EQ(last(), request(8, 0));
    GetDATA(0);
    EXPECT_EQ(last(), request(9, 0));
    GetDATA(2);
    EXPECT_EQ(last(), request(9, 2));
    PushTEACH();
    EXPECT_EQ(last(), request(6, 0));
    PushRESET();
    EXPECT_EQ(last(), request(11, 0));
    WriteVideoDataToRAM(70);
    EXPECT_EQ(last(), request(13, 70));
    WriteVideoDataToEE(65);
    EXPECT_EQ(last(), request(14, 65));

    const auto set = BytesOf(&pset, sizeof pset);
    IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset);
    EXPECT_EQ(last(), request(1, 0, set));
    EXPECT_EQ(last().size(), 68u * 2);
    IssueOrder(ORDER_WRITE_PARA_EE, 0, &pset, sizeof pset);
    EXPECT_EQ(last(), request(3, 0, set));
    IssueOrder(ORDER_CALIBRATION, 1);
    EXPECT_EQ(last(), request(12, 1));
    IssueOrder(ORDER_CALIBRATION, 2, &pset.um_Slope, 4);
    EXPECT_EQ(last(), request(12, 2, BytesOf(&pset.um_Slope, 4)));
    IssueOrder(ORDER_CHANGE_BAUDRATE, 4);
    EXPECT_EQ(last(), request(0xBE, 4));
    IssueOrder(ORDER_HARDWARE_DUMP, kHardwareDumpAddress);
    EXPECT_EQ(last(), request(0xC2, 0x2BAD));
    EXPECT_EQ(head.length, 512);

    ClearXFLASHpage(0x1100);
    EXPECT_EQ(last(), request(0xB4, 0x1100));
    WriteCalibDataToXF(&cal, sizeof cal);
    EXPECT_EQ(last(), request(0x17, 0x1100, BytesOf(&cal, sizeof cal)));
    ReadCalibDataFromXF(datbuf, 24);
    EXPECT_EQ(last(), request(0x18, 0x1100));
    const std::vector<unsigned char> block(512, 0x5A);
    WriteXFLASH(0x1200, block.data(), 512);
    EXPECT_EQ(last(), request(0xB6, 0x1200, block));
}

TEST_F(OrdersTest, FetchesFillTheirRecords)
{
    ASSERT_EQ(1, GetRAW());
    EXPECT_STREQ(szStatus, "Transmission successful - Line Ok!");
    EXPECT_EQ(raw.SETPOINT, pset.Teach_Value);
    EXPECT_GT(raw.CYCLE_TIME, 0u);

    ASSERT_EQ(1, GetDATA(0));
    EXPECT_STREQ(szStatus, "Transmission successful  - Line Ok!");
    std::uint16_t video[256];
    std::memcpy(video, adbuf, sizeof video);
    std::memset(vtbuf, 0, sizeof vtbuf);
    ASSERT_EQ(1, GetDATA(2));  // any selector but 0 is the threshold profile
    EXPECT_EQ(0, std::memcmp(video, adbuf, sizeof video));
    int nonZero = 0;
    for (std::uint16_t v : vtbuf)
        nonZero += v != 0;
    EXPECT_GT(nonZero, 0);

    ASSERT_EQ(1, GetHARDWAREInfo());
    EXPECT_EQ(hwinfo.receiverType, 736214u);
    EXPECT_EQ(hwinfo.hardwareType, 517318u);
    EXPECT_EQ(hwinfo.firmwareNo, 406);
    EXPECT_EQ(hwinfo.pixelCount, 4096);
    EXPECT_EQ(hwinfo.adcCode, 1024);
}

TEST_F(OrdersTest, TeachTakesTheSensorsNewSetPoint)
{
    pset.um_Slope = 81920;
    pset.Teach_Value = 1;
    ASSERT_EQ(0, PushTEACH());
    EXPECT_STREQ(szStatus, "TEACH new setpoint value ... -> Ok!");
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "TEACH new setpoint value ... -> Ok!");
    // The simulator's RAM set now holds the taught value (bytes 14..15).
    const std::string ram = sim.command("ram").substr(3);
    const int taught = std::stoi(ram.substr(28, 2), nullptr, 16) | std::stoi(ram.substr(30, 2), nullptr, 16) << 8;
    EXPECT_EQ(pset.Teach_Value, taught);
    int field = 0;
    GetCtrlVal(pPara1, PARA1_TEACH_VALUE, &field);
    EXPECT_EQ(field, taught);
    double mm = 0;
    GetCtrlVal(pPara1, PARA1_TEACH_MM, &mm);
    EXPECT_NEAR(mm, taught * 81920.0 / 16384000.0, 0.05);
    double x = 0, y = 0;
    ASSERT_EQ(0, GetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, &x, &y));
    EXPECT_EQ(x, taught);
    EXPECT_EQ(y, 0.75);
}

TEST_F(OrdersTest, FailedCommandsNameTheOperationAndTheLink)
{
    struct Case {
        int (*routine)();
        const char *tcpText;
        const char *rs232Text;
    };
    const Case cases[] = {
        {PushTEACH, "Teach-Error:Timeout TCP-Server-error!", "Teach-Error:Timeout RS232-Line!"},
        {PushRESET, "Reset-Error:Timeout TCP-Server-error!", "Reset-Error:Timeout RS232-Line!"},
        {[] { return WriteVideoDataToRAM(50); }, "VTHD-Write-Error:Timeout TCP-Server-error!",
         "VTHD-Write-Error:Timeout RS232-Line!"},
        {[] { return WriteVideoDataToEE(50); }, "VTHD-Write-Error:Timeout TCP-Server-error!",
         "VTHD-Write-Error:Timeout RS232-Line!"},
    };
    pset.Teach_Value = 123;
    for (const Case &c : cases) {
        // Whatever the cause: an error answer here.
        ASSERT_EQ(sim.command("fault error-1"), "ok");
        EXPECT_EQ(-1, c.routine());
        EXPECT_STREQ(szStatus, c.tcpText);
        EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), c.tcpText);
    }
    EXPECT_EQ(pset.Teach_Value, 123);

    // The RS-232 wording, on a closed port that fails at once.
    comtype = 0;
    rs232con = 0;
    for (const Case &c : cases) {
        dataSizeRec = 8;
        EXPECT_EQ(-1, c.routine());
        EXPECT_STREQ(szStatus, c.rs232Text);
    }
    dataSizeRec = 8;
    stop_flag = 0;
    EXPECT_EQ(-1, GetRAW());
    EXPECT_STREQ(szStatus, "Timeout RS232-Line!");
    EXPECT_EQ(stop_flag, 1);
    comtype = 1;
    stop_flag = 0;
    ASSERT_EQ(sim.command("fault bad-data-crc"), "ok");
    EXPECT_EQ(-1, GetDATA(1));
    EXPECT_STREQ(szStatus, "TCP-Server-error!");
    EXPECT_EQ(stop_flag, 1);
}

TEST_F(OrdersTest, ShortAnswerStillFillsTheWholeRecordWithZeros)
{
    // 32 bytes announced of 40: the CRC fails on the short fault, so check the copy rule
    // with an answer that is short by nature: the hardware record read as a frame.
    std::memset(&raw, 0xEE, sizeof raw);
    ASSERT_EQ(1, IssueOrder(ORDER_HARDWARE_INFO, 0));
    CopyAnswerData(&raw, sizeof raw);
    const auto bytes = BytesOf(&raw, sizeof raw);
    for (size_t i = 32; i < 40; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
}

TEST_F(OrdersTest, ParameterSetReadIsNormalisedOnThePanel)
{
    ParameterSet zero;
    std::memset(&zero, 0, sizeof zero);
    ASSERT_EQ(1, IssueOrder(ORDER_WRITE_PARA_RAM, 0, &zero, sizeof zero));
    PushGET(RAM);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Parameter-frame received! - Line Ok!");
    EXPECT_EQ(pset.Upper_Tolerance, 1);
    EXPECT_EQ(pset.Eval_End, 256);
    int value = 0;
    GetCtrlVal(pPara1, PARA1_UPPER_TOL, &value);
    EXPECT_EQ(value, 1);
    GetCtrlVal(pPA, MAIN_EDGE_RIGHT, &value);
    EXPECT_EQ(value, 256);
    GetCtrlVal(pPara2, PARA2_VTHD, &value);
    EXPECT_EQ(value, 10);
    // Average 0 is not offered by its ring, yet the ring shows it and reads it back.
    GetCtrlVal(pPara1, PARA1_AVERAGE, &value);
    EXPECT_EQ(value, 0);
    double slope = -1;
    GetCtrlVal(pCal1, CAL1_SLOPE, &slope);
    EXPECT_EQ(slope, 0.0);

    // A failed GET leaves the set and the panel as they were.
    const ParameterSet before = pset;
    ASSERT_EQ(sim.command("fault silent"), "ok");
    PushGET(EEPROM);
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Timeout-RS-232...");
    EXPECT_EQ(0, std::memcmp(&before, &pset, sizeof pset));
}

TEST_F(OrdersTest, XflashEraseChecksThePageAddress)
{
    const int before = requests();
    EXPECT_EQ(-1, ClearXFLASHpage(0x1180));
    EXPECT_STREQ(szStatus, "Erase error: no valid XFLASH-Address");
    EXPECT_EQ(-1, ClearXFLASHpage(0x0F00));
    EXPECT_EQ(-1, ClearXFLASHpage(0x2000));
    EXPECT_EQ(requests(), before);

    EXPECT_EQ(0, ClearXFLASHpage(0x1F00));
    EXPECT_STREQ(szStatus, "Erase XFLASH-PAGE15 -> Ok!");
    EXPECT_EQ(0, ClearXFLASHpage(0x1000));
    EXPECT_STREQ(szStatus, "Erase XFLASH-PAGE0 -> Ok!");
    EXPECT_EQ(sim.command("xflash 0").substr(3, 8), "ffffffff");

    ASSERT_EQ(sim.command("fault silent"), "ok");
    EXPECT_EQ(-1, ClearXFLASHpage(0x1200));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "Erase-Error:Timeout TCP-Server-error!");
    EXPECT_STREQ(szStatus, "TIMEOUT!");
}

TEST_F(OrdersTest, XflashBlockWriteChecksTheRangeAndCutsTheLength)
{
    const int before = requests();
    std::vector<unsigned char> data(600, 0x0F);
    EXPECT_EQ(-2, WriteXFLASH(0x2000, data.data(), 600));
    EXPECT_EQ(-2, WriteXFLASH(0x0FFF, data.data(), 600));
    EXPECT_EQ(GetCtrlString(pPA, MAIN_STATUS), "XFLASH write-error -2:address out of range!");
    EXPECT_EQ(requests(), before);

    EXPECT_EQ(1, WriteXFLASH(0x1FFF, data.data(), 10));
    EXPECT_STREQ(szStatus, "Write XFLASH OK Addr=0x1fff");
    ClearXFLASHpage(0x1300);
    EXPECT_EQ(1, WriteXFLASH(0x1300, data.data(), 600));
    EXPECT_STREQ(szStatus, "Write XFLASH OK Addr=0x1300");
    EXPECT_EQ(last().size(), 520u * 2);
    std::string expectedPage;
    for (int i = 0; i < 512; ++i)
        expectedPage += "0f";
    EXPECT_EQ(sim.command("xflash 3").substr(3), expectedPage);

    ASSERT_EQ(sim.command("fault error-2"), "ok");
    EXPECT_EQ(-1, WriteXFLASH(0x1200, data.data(), 4));
    EXPECT_STREQ(szStatus, "Write XFLASH Error Addr=0x1200");
}

TEST_F(OrdersTest, CalibrationHeaderWriteAndReadBack)
{
    CalibrationHeader written{};
    written.HW_TYPE = 517437;
    written.SER_NO = 999;
    written.XF_DIVISOR = 3;
    written.XF_SIZE = 1024;
    written.reserved = 0x1234;
    written.UM_SLOPE = 163840;
    written.UM_OFFSET = -25;
    written.UM_RANGE = 40000;
    ASSERT_EQ(0, ClearXFLASHpage(kXflashHeaderAddress));
    ASSERT_EQ(1, WriteCalibDataToXF(&written, sizeof written));
    EXPECT_STREQ(szStatus, "WRITE calibration-data to XFLASH ... -> Ok!");

    std::memset(datbuf, 0xCC, sizeof datbuf);
    ASSERT_EQ(1, ReadCalibDataFromXF(datbuf, 24));
    EXPECT_STREQ(szStatus, "Read XFLASH-ADDR: 0x1100 ... Bytes OK: 24");
    EXPECT_EQ(0, std::memcmp(datbuf, &written, 24));
    // Exactly the asked-for bytes are copied.
    EXPECT_EQ(datbuf[24], 0xCC);

    ASSERT_EQ(sim.command("fault silent"), "ok");
    EXPECT_EQ(-1, ReadCalibDataFromXF(datbuf, 24));
    EXPECT_STREQ(szStatus, "XFlash-Read-Error:Timeout TCP-Server-error!");
    ASSERT_EQ(sim.command("fault error-1"), "ok");
    EXPECT_EQ(-1, WriteCalibDataToXF(&written, sizeof written));
    EXPECT_STREQ(szStatus, "CALIB-Write-Error:Timeout TCP-Server-error!");
}

} // namespace
