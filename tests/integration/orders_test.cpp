// SPDX-License-Identifier: GPL-3.0-or-later
// Every order of the catalogue as the simulator receives it, what each routine takes
// from the answer, the routines' status texts, and the XFLASH primitives.

#include "base/text.h"
#include "calib/calrec.h"
#include "link/hwinfo.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link/xflash.h"
#include "params/pset.h"
#include "params_ui/para_callbacks.h"
#include "params_ui/transfer.h"
#include "support/byte_lines.h"
#include "support/integration_helpers.h"
#include "support/reference_frames.h"
#include "support/sim_fixture.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

using namespace ui;
using namespace panels;

namespace {

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

TEST_F(OrdersTest, EveryOrderGoesOutWithItsExactBytesAndItsText)
{
    EXPECT_EQ(1, CheckComLine());
    EXPECT_EQ(std::pair(last(), hwinfo.serialNo), std::pair(std::string("550500000000aa3c"), std::uint16_t{777}));
    // Requests carrying data first, before a GET or TEACH changes the set they carry.
    const std::vector<unsigned char> block(512, 0x5A);
    const auto set = BytesOf(&pset, sizeof pset);
    const auto slope = BytesOf(&pset.um_Slope, 4);
    std::memset(datbuf, 0xCC, sizeof datbuf);
    const struct {
        std::function<void()> call;
        int order, address;
        std::vector<unsigned char> data; // carried with the request
        const char *status = nullptr;    // szStatus afterwards
    } routines[] = {
        {[] { IssueOrder(ORDER_WRITE_PARA_RAM, 0, &pset, sizeof pset); }, 1, 0, set},
        {[] { IssueOrder(ORDER_WRITE_PARA_EE, 0, &pset, sizeof pset); }, 3, 0, set},
        {[] { IssueOrder(ORDER_CALIBRATION, 1); }, 12, 1, {}},
        {[] { IssueOrder(ORDER_CALIBRATION, 2, &pset.um_Slope, 4); }, 12, 2, slope},
        {[] { IssueOrder(ORDER_CHANGE_BAUDRATE, 4); }, 0xBE, 4, {}},
        {[] { IssueOrder(ORDER_HARDWARE_DUMP, kHardwareDumpAddress); }, 0xC2, 0x2BAD, {}},
        {[] { ClearXFLASHpage(0x1100); }, 0xB4, 0x1100, {}, "Erase XFLASH-PAGE1 -> Ok!"},
        {[] { WriteCalibDataToXF(&cal, sizeof cal); }, 0x17, 0x1100, BytesOf(&cal, sizeof cal),
         "WRITE calibration-data to XFLASH ... -> Ok!"},
        {[] { ReadCalibDataFromXF(datbuf, 24); }, 0x18, 0x1100, {}, "Read XFLASH-ADDR: 0x1100 ... Bytes OK: 24"},
        {[&] { WriteXFLASH(0x1200, block.data(), 512); }, 0xB6, 0x1200, block, "Write XFLASH OK Addr=0x1200"},
        {GetVERSIONInfo, 7, 0, {}},
        {GetHARDWAREInfo, 10, 0, {}},
        {[] { PushGET(RAM); }, 2, 0, {}, "Parameter-frame received! - Line Ok!"},
        {[] { PushGET(EEPROM); }, 4, 0, {}},
        {GetRAW, 8, 0, {}, "Transmission successful - Line Ok!"},
        {[] { GetDATA(0); }, 9, 0, {}, "Transmission successful  - Line Ok!"},
        {[] { GetDATA(2); }, 9, 2, {}},
        {PushTEACH, 6, 0, {}, "TEACH new setpoint value ... -> Ok!"},
        {PushRESET, 11, 0, {}, "RESET analog/digital output ... -> Ok!"},
        {[] { WriteVideoDataToRAM(70); }, 13, 70, {}},
        {[] { WriteVideoDataToEE(65); }, 14, 65, {}},
    };
    for (const auto &r : routines) {
        SCOPED_TRACE(r.order);
        CopyText(szStatus, "");
        r.call();
        EXPECT_EQ(last(), ReferenceRequest(r.order, r.address, r.data));
        if (r.status) {
            EXPECT_STREQ(szStatus, r.status);
        }
    }
    EXPECT_EQ(hwinfo.serialNo, 777) << "taken from the firmware answer too";
    // Exactly the asked-for bytes of the header were copied.
    EXPECT_TRUE(SameBytes(datbuf, &cal, 24)) << "the header's bytes";
    EXPECT_EQ(int{datbuf[24]}, 0xCC) << "the byte after the header was overwritten";
}

TEST_F(OrdersTest, CurveSelectorChoosesTheVideoOrTheThresholdProfile)
{
    ASSERT_EQ(1, GetDATA(0));
    std::uint16_t video[256];
    std::memcpy(video, adbuf, sizeof video);
    std::memset(vtbuf, 0, sizeof vtbuf);
    ASSERT_EQ(1, GetDATA(2)); // any selector but 0 is the threshold profile
    EXPECT_TRUE(SameBytes(adbuf, video, sizeof video)) << "the threshold profile overwrote the video";
    EXPECT_GT(std::count_if(std::begin(vtbuf), std::end(vtbuf), [](std::uint16_t v) { return v != 0; }), 0);
}

TEST_F(OrdersTest, TeachTakesTheSensorsNewSetPoint)
{
    pset.um_Slope = 81920;
    pset.Teach_Value = 1;
    ASSERT_EQ(0, PushTEACH());
    EXPECT_EQ(MainStatus(), "TEACH new setpoint value ... -> Ok!");
    // The simulator's RAM set now holds the taught value (bytes 14..15).
    const int taught = FromHex<ParameterSet>(sim.command("ram").substr(3)).Teach_Value;
    double x = 0, y = 0;
    ASSERT_EQ(0, GetGraphCursor(pPA, MAIN_BAR_GRAPH, 1, &x, &y));
    EXPECT_EQ(pset.Teach_Value, taught);
    EXPECT_EQ(intOf(pPara1, PARA1_TEACH_VALUE), taught) << "the teach value control";
    EXPECT_EQ(x, 1.0 * taught) << "the teach cursor's x";
    EXPECT_EQ(y, 0.75) << "the teach cursor's y";

    EXPECT_NEAR(doubleOf(pPara1, PARA1_TEACH_MM), taught * 81920.0 / 16384000.0, 0.05);
    // The measurement record reports the same set point.
    ASSERT_EQ(1, GetRAW());
    EXPECT_EQ(raw.SETPOINT, taught);
}

TEST_F(OrdersTest, FailedCommandsNameTheOperationAndTheLink)
{
    // Each text is its operation's, then the link's: "TCP-Server-error!" or "RS232-Line!".
    const struct {
        std::function<int()> routine;
        const char *operation;
        bool inStatusText; // also left in szStatus, not only on the status line
        // clang-format off
    } cases[] = {
        {PushTEACH, "Teach-Error:Timeout ", true},
        {PushRESET, "Reset-Error:Timeout ", true},
        {[] { return WriteVideoDataToRAM(50); }, "VTHD-Write-Error:Timeout ", true},
        {[] { return WriteVideoDataToEE(50); }, "VTHD-Write-Error:Timeout ", true},
        {[] { return ClearXFLASHpage(0x1200); }, "Erase-Error:Timeout ", false},
        {[] { return WriteCalibDataToXF(&cal, sizeof cal); }, "CALIB-Write-Error:Timeout ", true},
        {[] { return ReadCalibDataFromXF(datbuf, 24); }, "XFlash-Read-Error:Timeout ", true},
    };
    // clang-format on
    pset.Teach_Value = 123;
    for (const bool tcp : {true, false}) {
        if (!tcp) {
            // The RS-232 wording, on a closed port that fails at once.
            comtype = 0;
            rs232con = 0;
        }
        for (const auto &c : cases) {
            const std::string text = std::string(c.operation) + (tcp ? "TCP-Server-error!" : "RS232-Line!");
            SCOPED_TRACE(text);
            // Whatever the cause: an error answer here, or no port at all.
            if (tcp) {
                ASSERT_EQ(sim.command("fault error-1"), "ok");
            } else {
                dataSizeRec = 8;
            }
            EXPECT_EQ(-1, c.routine());
            EXPECT_EQ(MainStatus(), text);
            if (c.inStatusText) {
                EXPECT_EQ(szStatus, text);
            }
        }
    }
    EXPECT_EQ(pset.Teach_Value, 123);
    dataSizeRec = 8;
    stop_flag = 0;
    EXPECT_EQ(-1, GetRAW());
    EXPECT_EQ(std::pair(std::string(szStatus), stop_flag), std::pair(std::string("Timeout RS232-Line!"), 1));
    comtype = 1;
    stop_flag = 0;
    ASSERT_EQ(sim.command("fault bad-data-crc"), "ok");
    EXPECT_EQ(-1, GetDATA(1));
    EXPECT_EQ(std::pair(std::string(szStatus), stop_flag), std::pair(std::string("TCP-Server-error!"), 1));
}

TEST_F(OrdersTest, ShortAnswerStillFillsTheWholeRecordWithZeros)
{
    // 32 bytes announced of 40: the CRC fails on the short fault, so check the copy rule
    // with an answer that is short by nature: the hardware record read as a frame.
    std::memset(&raw, 0xEE, sizeof raw);
    ASSERT_EQ(1, IssueOrder(ORDER_HARDWARE_INFO, 0));
    CopyAnswerData(&raw, sizeof raw);
    EXPECT_EQ(ToHex(&raw, sizeof raw).substr(64), std::string(16, '0')) << "bytes 32..39";
}

TEST_F(OrdersTest, XflashAddressesAreCheckedAndBlocksCutToAPage)
{
    // Pages are erased at 0x1000..0x1F00 only, blocks written at 0x1000..0x1FFF and cut to
    // 512 bytes; a refused address sends nothing.
    const char *const kNoPage = "Erase error: no valid XFLASH-Address";
    const char *const kOutOfRange = "XFLASH write-error -2:address out of range!";
    const std::vector<unsigned char> data(600, 0x0F);
    const struct {
        std::function<int()> call;
        int result;
        const char *text;
        bool shown; // on the status line; else in szStatus
        // clang-format off
    } cases[] = {
        {[] { return ClearXFLASHpage(0x1180); }, -1, kNoPage, false},
        {[] { return ClearXFLASHpage(0x0F00); }, -1, kNoPage, false},
        {[] { return ClearXFLASHpage(0x2000); }, -1, kNoPage, false},
        {[] { return ClearXFLASHpage(0x1F00); }, 0, "Erase XFLASH-PAGE15 -> Ok!", false},
        {[] { return ClearXFLASHpage(0x1000); }, 0, "Erase XFLASH-PAGE0 -> Ok!", false},
        {[&] { return WriteXFLASH(0x2000, data.data(), 600); }, -2, kOutOfRange, true},
        {[&] { return WriteXFLASH(0x0FFF, data.data(), 600); }, -2, kOutOfRange, true},
        {[&] { return WriteXFLASH(0x1FFF, data.data(), 10); }, 1, "Write XFLASH OK Addr=0x1fff", true},
        {[] { return ClearXFLASHpage(0x1300); }, 0, "Erase XFLASH-PAGE3 -> Ok!", false},
        {[&] { return WriteXFLASH(0x1300, data.data(), 600); }, 1, "Write XFLASH OK Addr=0x1300", true},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const int before = requests();
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(c.shown ? MainStatus() : std::string(szStatus), c.text);
        EXPECT_EQ(requests(), before + (c.result >= 0 ? 1 : 0));
    }
    EXPECT_EQ(sim.command("xflash 0").substr(3, 8), "ffffffff");
    EXPECT_EQ(last().size(), 520u * 2);
    EXPECT_EQ(sim.command("xflash 3").substr(3), ToHex(data.data(), 512));
    ASSERT_EQ(sim.command("fault error-1"), "ok");
    EXPECT_EQ(-1, WriteXFLASH(0x1200, data.data(), 4));
    EXPECT_EQ(MainStatus(), "Write XFLASH Error Addr=0x1200");
}

} // namespace
