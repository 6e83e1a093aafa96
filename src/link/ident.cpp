#include "link/ident.h"

#include "app/state.h"
#include "app/statusline.h"
#include "app/text.h"
#include "calib/calrec.h"
#include "display/buffers.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link/xflash.h"
#include "params/mapping.h"
#include "params/transfer.h"
#include "plant/plant_link.h"
#include "ui/popup.h"
#include "panels/resource.h"
#include "ui/runtime.h"

#include <cstring>
#include <string>

using namespace ui;
using namespace panels;

namespace {

struct ModelRow {
    std::uint32_t code;
    const char *title;
    std::uint16_t hwtype;
    double minItime;
    int resolution;
    const char *reference;
    const char *range;
};

const ModelRow kModels[] = {
    {517422, "-------- K-VOR-MQ-10-CL    --------", 1, 1.4, 10, "reference-distance\t= 33mm +/- 5mm", "measuring-range\t\t= 10mm"},
    {517311, "-------- K-VOR-MQ    --------", 2, 1.5, 10, "reference-distance\t= 33mm +/- 5mm", "measuring-range\t\t= 10mm"},
    {517465, "-------- K-VOR-MQ-14-CL    --------", 1, 1.4, 14, "reference-distance\t= 60mm +/- 5mm", "measuring-range\t\t= 14mm"},
    {517318, "-------- K-VOR-MQ-20-CL    --------", 1, 1.4, 20, "reference-distance\t= 55mm +/-5mm", "measuring-range\t\t= 20mm"},
    {517312, "-------- K-VOR-MQ-20    --------", 2, 1.5, 20, "reference-distance\t= 55mm +/-5mm", "measuring-range\t\t= 20mm"},
    {517204, "-------- K-VOR-MQ-30-CL    --------", 1, 1.4, 30, "reference-distance\t= 75mm +/- 5mm", "measuring-range\t\t= 30mm"},
    {517449, "-------- K-VOR-MQ-30    --------", 2, 1.5, 30, "reference-distance\t= 75mm +/- 5mm", "measuring-range\t\t= 30mm"},
    {517437, "-------- K-VOR-MQ-40-CL    --------", 1, 1.4, 40, "reference-distance\t= 100mm +/- 10mm", "measuring-range\t\t= 40mm"},
    {517314, "-------- K-VOR-MQ-40    --------", 2, 1.5, 40, "reference-distance\t= 100mm +/- 10mm", "measuring-range\t\t= 40mm"},
};

const int kSixMillimetreDisplays[][2] = {{0, MAIN_UPPER_TOL_MM}, {0, MAIN_LOWER_TOL_MM}, {0, MAIN_MVAL_MM},
                                         {1, PARA1_UPPER_TOL_MM}, {1, PARA1_LOWER_TOL_MM}, {1, PARA1_TEACH_MM}};

void twoDecimalsOnMillimetreDisplays()
{
    for (const auto &d : kSixMillimetreDisplays)
        SetCtrlPrecision(d[0] == 0 ? pPA : pPara1, d[1], 2);
}

void describeHardware(const std::string &text) { ResetTextBox(pCalib, CALIB_HW_DESC, text.c_str()); }

void applyModel(std::uint32_t hardwareType)
{
    for (const ModelRow &m : kModels) {
        if (m.code != hardwareType)
            continue;
        HWTYPE = m.hwtype;
        MIN_ITIME = m.minItime;
        PRECISION = 2;
        twoDecimalsOnMillimetreDisplays();
        char resolution[kTextSize];
        FormatResolutionLine(resolution, sizeof resolution, m.resolution);
        describeHardware(std::string(m.title) + "\n" + resolution + "\n" + m.reference + "\n" + m.range + "\n");
        return;
    }
}

void applyHwtypeStep()
{
    if (HWTYPE == 1) {
        ClearListCtrl(pPara3, PARA3_HW_MODE);
        InsertListItem(pPara3, PARA3_HW_MODE, -1, "DISABLE BTN", 0);
        InsertListItem(pPara3, PARA3_HW_MODE, -1, "ENABLE BTN", 2);
        SetCtrlDimmed(pPara3, PARA3_HW_MODE, false);
        SetCtrlDimmed(pPara1, PARA1_OUTPUT_MODE, false);
        SetCtrlDimmed(pPA, MAIN_BTN_LED, false);
    } else if (HWTYPE == 2) {
        SetCtrlDimmed(pPara3, PARA3_HW_MODE, true);
        SetCtrlDimmed(pPara1, PARA1_OUTPUT_MODE, true);
        SetCtrlDimmed(pPA, MAIN_BTN_LED, true);
    }
    SetCtrlVal(pPara2, PARA2_THD_TARGET, 0);  // RAM
    SetCtrlDimmed(pPara2, PARA2_THD_TARGET, false);
    SetCtrlDimmed(pPara3, PARA3_OP_MODE, hwinfo.firmwareNo <= 403);
}

// Firmware text tokens as the standard tokenizer splits them: up to ".", up to ".",
// up to " ", up to " "; a missing token is empty.
std::string shortVersion(const char *firmwareText)
{
    char copy[sizeof szFirmwareVersion];
    CopyText(copy, firmwareText);
    char *save = nullptr;
    const char *tokens[4];
    const char *delimiters[4] = {".", ".", " ", " "};
    char *cursor = copy;
    for (int i = 0; i < 4; ++i) {
        const char *t = strtok_r(cursor, delimiters[i], &save);
        tokens[i] = t ? t : "";
        cursor = nullptr;
        if (!t) {
            for (int j = i + 1; j < 4; ++j)
                tokens[j] = "";
            break;
        }
    }
    return std::string(tokens[0]) + "." + tokens[1] + "   " + tokens[3];
}

bool startsWith(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

void refuse(const char *popup, const char *status, int dim, std::string *log)
{
    DimmButtons(static_cast<std::uint16_t>(dim));
    MessagePopup("Attention !!!", popup);
    CopyText(szStatus, status);
    ShowStatus();
    LogStatusLine(szStatus);
    *log = szVersion;
}

} // namespace

std::string ShortFirmwareVersion(const char *firmwareText) { return shortVersion(firmwareText); }

int CheckComLine()
{
    int result;
    if (IssueOrder(ORDER_ECHO, 0) == 1) {
        hwinfo.serialNo = head.address;
        CopyText(szStatus, "Echo Check - Line Ok!");
        result = 1;
    } else {
        CopyText(szStatus, "read error - not sync byte 0x55!");
        result = 0;
    }
    ShowStatus();
    LogStatusLine(szStatus);
    return result;
}

int GetVERSIONInfo()
{
    ShowStatusText("Waiting for firmware info ...");
    LogStatusLine("Waiting for firmware info ...");
    if (IssueOrder(ORDER_FIRMWARE, 0) != 1) {
        CopyText(szStatus, "Timeout - reading firmware info!");
        return -1;
    }
    szFirmwareVersion[0] = szStatus[0] = szVersion[0] = '\0';
    std::memset(szFirmwareVersion, 0, sizeof szFirmwareVersion);
    CopyAnswerData(szFirmwareVersion, 72);
    hwinfo.serialNo = head.address;
    CopyText(szVersion, shortVersion(szFirmwareVersion).c_str());
    CopyText(szStatus, szVersion);
    SetCtrlTooltip(pPA, MAIN_STATUS, szFirmwareVersion);
    return head.length;
}

int GetHARDWAREInfo()
{
    int result;
    if (IssueOrder(ORDER_HARDWARE_INFO, 0) == 1) {
        CopyAnswerData(&hwinfo, sizeof hwinfo);
        result = 1;
    } else {
        CopyText(szStatus, "Timeout-RS-232...");
        result = 0;
    }
    if (hwinfo.pixelCount < 256)
        hwinfo.pixelCount = 256;
    if (result == 0 || head.order != ORDER_HARDWARE_INFO)
        return result;

    int step = 4;
    switch (hwinfo.pixelCount) {
    case 256: case 512: case 768: case 1024: case 1280: case 1536: case 2048:
    case 2560: case 3072: case 4096: case 6144: case 8192: case 16384:
        step = hwinfo.pixelCount / 256;
        break;
    default:
        hwinfo.pixelCount = 1024;
        break;
    }
    for (int i = 0; i < kVideoPoints; ++i)
        xArray_pi[i] = static_cast<double>(i) * step;

    const std::uint32_t receiver = hwinfo.receiverType;
    if (receiver == 736213) {
        describeHardware("-------- S9226  --------\n1024 pixel\n\n\n");
        ADCMAX = hwinfo.adcCode == 1024 ? 1024 : 256;
    } else if (receiver == kReceiverServedFamily) {
        MIN_ITIME = 1.4;
        applyModel(hwinfo.hardwareType);
        applyHwtypeStep();
        ADCMAX = hwinfo.adcCode == 256 ? 256 : 1024;
    } else if (receiver == 736215 || (receiver >= 101 && receiver <= 104)) {
        ADCMAX = hwinfo.adcCode == 256 ? 256 : 1024;
    } else {
        const std::string blanks(25, ' ');
        describeHardware("No information avialable!\n" + blanks + "\n" + blanks + "\n" + blanks + "\n");
        twoDecimalsOnMillimetreDisplays();
        PRECISION = 2;
        ADCMAX = 1024;
        HWTYPE = 0;
    }
    pixB = 1;
    pixE = PixelCount();

    MAXRANGE_MM = RecomputeMillimetrePoints();
    ApplyUnitScaling();
    return 1;
}

void ShowCalibrationHeader(double slopeShown)
{
    SetCtrlVal(pCal2, CAL2_SERNO, static_cast<int>(cal.SER_NO));
    SetCtrlVal(pCal2, CAL2_HWTYPE, static_cast<int>(cal.HW_TYPE));
    SetCtrlVal(pCal2, CAL2_OFFSET, static_cast<double>(cal.UM_OFFSET));
    SetCtrlVal(pCal2, CAL2_SLOPE, slopeShown);
    SetCtrlVal(pCal2, CAL2_RANGE, static_cast<double>(cal.UM_RANGE));
    SetCtrlVal(pCal2, CAL2_DIVISOR, static_cast<int>(cal.XF_DIVISOR));
    SetCtrlVal(pCal2, CAL2_SIZE, static_cast<int>(cal.XF_SIZE));
}

int InitDataExchange()
{
    int result = CheckComLine();
    std::string log;
    if (result != 1) {
        SetActiveTabPage(pPA, MAIN_TAB, 5);
        SetCtrlDimmed(pConn, CONN_ACCEPT, true);
        log = szStatus;
        DimmButtons(1);
        err_flag = 1;
        result = 0;
    } else {
        [&] {
            DelayWithEventProcessing(0.05);
            if (GetVERSIONInfo() < 72) {
                CopyText(szStatus, "Timeout/Error reading firmware-info!");
                result = 0;
                return;
            }
            if (startsWith(szVersion, "K-VOR-MQ") || startsWith(szVersion, "K-VOR-VUE")) {
                DimmButtons(0);
                err_flag = 0;
            } else {
                DimmButtons(1);
                err_flag = 1;
            }
            if (startsWith(szVersion, "K-VOR-NX"))
                refuse("Incompatible hardware detected!\nPlease use K-VOR-NX-Vista software version!",
                       "Please use K-VOR-NX-Vista software version!", 1, &log);
            if (startsWith(szVersion, "K-VOR-PZ"))
                refuse("Incompatible hardware detected!\nPlease use K-VOR-PZ-Vista software version!",
                       "Please use K-VOR-PZ-Vista software version!", 1, &log);
            if (startsWith(szVersion, "HJW12"))
                refuse("Nordal-Metrik HJW-TOOL firmware-version detected!\nPlease use HJW-TOOL-V4.x software!",
                       "Please use HJW-TOOL-V4.x software!", 0, &log);
            if (startsWith(szVersion, "QUARVIN"))
                refuse("Incompatible hardware detected!\nPlease use QUARVIN-Vista software version!",
                       "Please use QUARVIN-Vista software version!", 1, &log);
            if (err_flag == 1)
                return;

            if (GetHARDWAREInfo() == 0) {
                CopyText(szStatus, "Error reading HARDWARE-info!");
                err_flag = 1;
                result = 0;
                return;
            }
            if (hwinfo.firmwareNo < 400 || hwinfo.firmwareNo > 409) {
                if (hwinfo.firmwareNo < 400) {
                    MessagePopup("Attention !!!",
                                 "Incompatible firmware detected!\nPlease use K-VOR-MQ-Vista software version 3.xx !");
                    CopyText(szStatus, "Please use K-VOR-MQ-Vista Version 3.xx !");
                } else {
                    MessagePopup("Attention !!!", "Incompatible or newer firmware detected!\nPlease use "
                                                  "K-VOR-MQ-Vista software version newer than V4.09 !");
                    CopyText(szStatus, "Please use K-VOR-MQ-Vista Version newer than V4.0 !");
                }
                DimmButtons(1);
                err_flag = 1;
                log = szVersion;
                result = 0;
                return;
            }
            const int read = ReadCalibDataFromXF(datbuf, sizeof cal);
            if (read <= 0) {
                CopyText(szStatus, "Error reading Xflash-Data");
                result = read;
                return;
            }
            std::memcpy(&cal, datbuf, sizeof cal);
            DSLOPE_UM = cal.UM_SLOPE / 16384.0;
            ShowCalibrationHeader(DSLOPE_UM);
            PushGET(RAM);
            CopyText(szStatus, szVersion);
            // Unsigned, as the service page's SER-NO field and the plant link's topics show it.
            log = std::string(szVersion) + "\nSerial-No:" + std::to_string(hwinfo.serialNo) + "\n";
            result = 1;
            err_flag = 0;
            PlantPublishIdentity();
        }();
    }
    ShowStatus();
    LogStatusLine((log + "\n").c_str());
    return result;
}
