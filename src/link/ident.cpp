// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/ident.h"

#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "calib/calrec.h"
#include "link/frame.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link/xflash.h"
#include "platform/events.h"

#include <cstring>
#include <string>

ReceiverView receiverView;

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
    {517422, "-------- K-VOR-MQ-10-CL    --------", 1, 1.4, 10, "reference-distance\t= 33mm +/- 5mm",
     "measuring-range\t\t= 10mm"},
    {517311, "-------- K-VOR-MQ    --------", 2, 1.5, 10, "reference-distance\t= 33mm +/- 5mm",
     "measuring-range\t\t= 10mm"},
    {517465, "-------- K-VOR-MQ-14-CL    --------", 1, 1.4, 14, "reference-distance\t= 60mm +/- 5mm",
     "measuring-range\t\t= 14mm"},
    {517318, "-------- K-VOR-MQ-20-CL    --------", 1, 1.4, 20, "reference-distance\t= 55mm +/-5mm",
     "measuring-range\t\t= 20mm"},
    {517312, "-------- K-VOR-MQ-20    --------", 2, 1.5, 20, "reference-distance\t= 55mm +/-5mm",
     "measuring-range\t\t= 20mm"},
    {517204, "-------- K-VOR-MQ-30-CL    --------", 1, 1.4, 30, "reference-distance\t= 75mm +/- 5mm",
     "measuring-range\t\t= 30mm"},
    {517449, "-------- K-VOR-MQ-30    --------", 2, 1.5, 30, "reference-distance\t= 75mm +/- 5mm",
     "measuring-range\t\t= 30mm"},
    {517437, "-------- K-VOR-MQ-40-CL    --------", 1, 1.4, 40, "reference-distance\t= 100mm +/- 10mm",
     "measuring-range\t\t= 40mm"},
    {517314, "-------- K-VOR-MQ-40    --------", 2, 1.5, 40, "reference-distance\t= 100mm +/- 10mm",
     "measuring-range\t\t= 40mm"},
};

void describeHardware(const std::string &text)
{
    receiverView.described = true;
    receiverView.description = text;
}

void applyModel(std::uint32_t hardwareType)
{
    for (const ModelRow &m : kModels) {
        if (m.code != hardwareType)
            continue;
        HWTYPE = m.hwtype;
        MIN_ITIME = m.minItime;
        PRECISION = 2;
        receiverView.twoDecimals = true;
        char resolution[kTextSize];
        FormatResolutionLine(resolution, sizeof resolution, m.resolution);
        describeHardware(std::string(m.title) + "\n" + resolution + "\n" + m.reference + "\n" + m.range + "\n");
        return;
    }
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

// Sensors of other families answer the same protocol; each is refused with the program
// its operator needs instead. dim: whether the exchange buttons stay dimmed.
struct Refusal {
    const char *prefix;
    const char *popup;
    const char *status;
    int dim;
};
const Refusal kRefusals[] = {
    {"K-VOR-NX", "Incompatible hardware detected!\nPlease use K-VOR-NX-Vista software version!",
     "Please use K-VOR-NX-Vista software version!", 1},
    {"K-VOR-PZ", "Incompatible hardware detected!\nPlease use K-VOR-PZ-Vista software version!",
     "Please use K-VOR-PZ-Vista software version!", 1},
    {"HJW12", "Nordal-Metrik HJW-TOOL firmware-version detected!\nPlease use HJW-TOOL-V4.x software!",
     "Please use HJW-TOOL-V4.x software!", 0},
    {"QUARVIN", "Incompatible hardware detected!\nPlease use QUARVIN-Vista software version!",
     "Please use QUARVIN-Vista software version!", 1},
};

const Refusal *refusalOf(const char *version)
{
    for (const Refusal &r : kRefusals)
        if (startsWith(version, r.prefix))
            return &r;
    return nullptr;
}

bool servedFamily(const char *version) { return startsWith(version, "K-VOR-MQ") || startsWith(version, "K-VOR-VUE"); }

void refuse(IdentifyOutcome &outcome, const char *popup, const char *status, int dim)
{
    outcome.dim = dim;
    outcome.refusal = popup;
    CopyText(szStatus, status);
    ShowStatus();
    LogStatusLine(szStatus);
    outcome.log = szVersion;
}

// The firmware generation this program serves: V4.00 to V4.09.
bool refuseFirmwareGeneration(IdentifyOutcome &outcome)
{
    if (hwinfo.firmwareNo >= 400 && hwinfo.firmwareNo <= 409)
        return false;
    if (hwinfo.firmwareNo < 400) {
        outcome.refusal = "Incompatible firmware detected!\nPlease use K-VOR-MQ-Vista software version 3.xx !";
        CopyText(szStatus, "Please use K-VOR-MQ-Vista Version 3.xx !");
    } else {
        outcome.refusal = "Incompatible or newer firmware detected!\nPlease use "
                          "K-VOR-MQ-Vista software version newer than V4.09 !";
        CopyText(szStatus, "Please use K-VOR-MQ-Vista Version newer than V4.0 !");
    }
    outcome.dim = 1;
    err_flag = 1;
    outcome.log = szVersion;
    return true;
}

// After the echo: firmware text, family, hardware information, firmware generation and
// the calibration header. Returns the InitDataExchange result.
int identifyAnsweringSensor(IdentifyOutcome &outcome)
{
    ui::DelayWithEventProcessing(0.05);
    if (GetVERSIONInfo() < 72) {
        CopyText(szStatus, "Timeout/Error reading firmware-info!");
        return 0;
    }
    const bool served = servedFamily(szVersion);
    outcome.dim = served ? 0 : 1;
    err_flag = served ? 0 : 1;
    if (const Refusal *r = refusalOf(szVersion))
        refuse(outcome, r->popup, r->status, r->dim);
    if (err_flag == 1)
        return 1; // answered, but not a sensor this program serves

    if (GetHARDWAREInfo() == 0) {
        CopyText(szStatus, "Error reading HARDWARE-info!");
        err_flag = 1;
        return 0;
    }
    outcome.hardwareRead = true;
    if (refuseFirmwareGeneration(outcome))
        return 0;
    const int read = ReadCalibDataFromXF(datbuf, sizeof cal);
    if (read <= 0) {
        CopyText(szStatus, "Error reading Xflash-Data");
        return read;
    }
    std::memcpy(&cal, datbuf, sizeof cal);
    DSLOPE_UM = cal.UM_SLOPE / 16384.0;
    CopyText(szStatus, szVersion);
    // Unsigned, as the service page's SER-NO field and the plant link's topics show it.
    outcome.log = std::string(szVersion) + "\nSerial-No:" + std::to_string(hwinfo.serialNo) + "\n";
    err_flag = 0;
    outcome.served = true;
    return 1;
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
    return head.length;
}

int GetHARDWAREInfo()
{
    receiverView = {};
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
    case 256:
    case 512:
    case 768:
    case 1024:
    case 1280:
    case 1536:
    case 2048:
    case 2560:
    case 3072:
    case 4096:
    case 6144:
    case 8192:
    case 16384:
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
        receiverView.hardwareTypeStep = true;
        ADCMAX = hwinfo.adcCode == 256 ? 256 : 1024;
    } else if (receiver == 736215 || (receiver >= 101 && receiver <= 104)) {
        ADCMAX = hwinfo.adcCode == 256 ? 256 : 1024;
    } else {
        const std::string blanks(25, ' ');
        describeHardware("No information avialable!\n" + blanks + "\n" + blanks + "\n" + blanks + "\n");
        receiverView.twoDecimals = true;
        PRECISION = 2;
        ADCMAX = 1024;
        HWTYPE = 0;
    }
    pixB = 1;
    pixE = PixelCount();

    MAXRANGE_MM = RecomputeMillimetrePoints();
    receiverView.unitScaling = true;
    return 1;
}

IdentifyOutcome IdentifySensor()
{
    IdentifyOutcome outcome;
    receiverView = {};
    if (CheckComLine() != 1) {
        outcome.log = szStatus;
        outcome.dim = 1;
        err_flag = 1;
        outcome.result = 0;
        return outcome;
    }
    outcome.echoed = true;
    outcome.result = identifyAnsweringSensor(outcome);
    return outcome;
}
