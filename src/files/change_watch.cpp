// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/change_watch.h"

#include "base/hooks.h"
#include "base/popups.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "files/change_log.h"
#include "link/hwinfo.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link/xflash.h"
#include "params/parafile.h"

#include <QDateTime>
#include <QSysInfo>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

const char *g_action = nullptr;
std::string g_logFile;
std::string g_program = "K-VOR-MQ-Vista";
int g_missed = 0;
std::vector<ChangeRow> g_pending;

// What was last read from (or written to) each target of the sensor on this link.
struct Known {
    std::string sensor; // link address and serial number the values belong to
    std::optional<ParameterSet> ram, eeprom;
    std::optional<CalibrationHeader> header;
};
Known g_known;

// The request waiting for its answer.
struct Request {
    unsigned char order = 0;
    unsigned short address = 0;
    std::vector<unsigned char> data;
};
std::optional<Request> g_request;

std::string linkAddress()
{
    if (comtype == 1)
        return std::string(szIPhostName) + ":" + std::to_string(tcpport);
    return "COM" + std::to_string(rs232openport) + " @ " + std::to_string(BaudRateOfIndex(rs232baudrate));
}

std::string sensorIdentity() { return linkAddress() + "#" + std::to_string(hwinfo.serialNo); }

// The values known belong to the sensor now on the link, or are forgotten.
Known &known()
{
    if (g_known.sensor != sensorIdentity())
        g_known = Known{sensorIdentity(), {}, {}, {}};
    return g_known;
}

std::string userName()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"})
        if (const char *v = std::getenv(name); v && *v)
            return v;
    // Started without a login's environment (a service, a test runner): the account itself.
    if (const passwd *account = getpwuid(geteuid()); account && account->pw_name)
        return account->pw_name;
    return "uid " + std::to_string(geteuid());
}

ChangeRow rowFor(const char *targetName, const std::string &key, std::optional<long long> oldValue, long long newValue,
                 bool written)
{
    ChangeRow r;
    r.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
    r.user = userName();
    r.host = QSysInfo::machineHostName().toStdString();
    r.program = g_program;
    r.serial = std::to_string(hwinfo.serialNo);
    r.hardwareType = std::to_string(hwinfo.hardwareType);
    r.firmware = szFirmwareVersion;
    r.address = linkAddress();
    r.action = g_action ? g_action : "WRITE";
    r.target = targetName;
    r.key = key;
    r.oldValue = oldValue;
    r.newValue = newValue;
    r.written = written;
    return r;
}

template <typename T> T recordFrom(const std::vector<unsigned char> &bytes, const T *base)
{
    // A short request changes only its first bytes; the rest is what was known (or zero).
    T record{};
    if (base)
        record = *base;
    std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
    return record;
}

void setRows(const char *targetName, std::optional<ParameterSet> &known, const std::vector<unsigned char> &data,
             bool ok)
{
    const ParameterSet sent = recordFrom<ParameterSet>(data, nullptr);
    auto add = [&](const char *key, long long before, long long after) {
        if (!known || before != after)
            g_pending.push_back(
                rowFor(targetName, key, known ? std::optional<long long>(before) : std::nullopt, after, ok));
    };
    for (int i = 0; i < kParaKeyCount; ++i)
        add(kParaKeys[i].name, known ? (*known).*kParaKeys[i].field : 0, sent.*kParaKeys[i].field);
    add("um-Slope", known ? known->um_Slope : 0, sent.um_Slope);
    if (ok)
        known = sent;
    else
        known.reset(); // a write that failed may have changed some of it
}

void headerRows(const std::vector<unsigned char> &data, bool ok)
{
    std::optional<CalibrationHeader> &header = known().header;
    const CalibrationHeader sent = recordFrom<CalibrationHeader>(data, header ? &*header : nullptr);
    struct Field {
        const char *name;
        long long value;
        long long before;
    };
    const CalibrationHeader b = header.value_or(CalibrationHeader{});
    const Field fields[] = {
        {"HW-TYPE", sent.HW_TYPE, b.HW_TYPE},          {"SER-NO", sent.SER_NO, b.SER_NO},
        {"XF-DIVISOR", sent.XF_DIVISOR, b.XF_DIVISOR}, {"XF-SIZE", sent.XF_SIZE, b.XF_SIZE},
        {"UM-SLOPE", sent.UM_SLOPE, b.UM_SLOPE},       {"UM-OFFSET", sent.UM_OFFSET, b.UM_OFFSET},
        {"UM-RANGE", sent.UM_RANGE, b.UM_RANGE},
    };
    for (const Field &f : fields)
        if (!header || f.before != f.value)
            g_pending.push_back(
                rowFor("XFLASH", f.name, header ? std::optional<long long>(f.before) : std::nullopt, f.value, ok));
    if (ok)
        header = sent;
    else
        header.reset();
}

std::uint32_t crc32(const std::vector<unsigned char> &bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

int xflashPage(unsigned short address) { return (address - kXflashFirstPage) / kXflashPageStep; }

// One field of a set the sensor keeps: the old value from the set known, which follows.
void fieldRow(const char *targetName, std::optional<ParameterSet> &set, const char *key,
              std::uint16_t ParameterSet::*field, long long value, bool ok)
{
    g_pending.push_back(
        rowFor(targetName, key, set ? std::optional<long long>((*set).*field) : std::nullopt, value, ok));
    if (set && ok)
        (*set).*field = static_cast<std::uint16_t>(value);
    else if (!ok)
        set.reset();
}

void rowsOf(const Request &request, bool ok, const void *answer, unsigned answerLength)
{
    Known &k = known();
    switch (request.order) {
    case ORDER_WRITE_PARA_RAM:
        setRows("RAM", k.ram, request.data, ok);
        break;
    case ORDER_WRITE_PARA_EE:
        setRows("EEPROM", k.eeprom, request.data, ok);
        break;
    case ORDER_TEACH: {
        std::uint16_t teach = 0;
        if (ok && answer && answerLength >= sizeof teach)
            std::memcpy(&teach, answer, sizeof teach);
        fieldRow("RAM", k.ram, "Teach-Value", &ParameterSet::Teach_Value, teach, ok);
        break;
    }
    case ORDER_VTHD_RAM:
        fieldRow("RAM", k.ram, "Video-Thd-Auto", &ParameterSet::Video_Thd_Auto, request.address, ok);
        break;
    case ORDER_VTHD_EE:
        fieldRow("EEPROM", k.eeprom, "Video-Thd-Auto", &ParameterSet::Video_Thd_Auto, request.address, ok);
        break;
    case ORDER_CALIBRATION: {
        if (request.address != 2) // start and stop change nothing kept
            break;
        std::uint32_t value = 0;
        std::memcpy(&value, request.data.data(), std::min(request.data.size(), sizeof value));
        g_pending.push_back(
            rowFor("RAM", "um-Slope", k.ram ? std::optional<long long>(k.ram->um_Slope) : std::nullopt, value, ok));
        if (k.ram && ok)
            k.ram->um_Slope = value;
        else if (!ok)
            k.ram.reset();
        break;
    }
    case ORDER_CHANGE_BAUDRATE:
        fieldRow("RAM", k.ram, "RS-232-Baudrate", &ParameterSet::RS_232_Baudrate, request.address, ok);
        break;
    case ORDER_WRITE_CAL_HEADER:
        headerRows(request.data, ok);
        break;
    case ORDER_ERASE_XFLASH:
        // An erased page reads 0xFF in every byte.
        g_pending.push_back(rowFor("XFLASH", "PAGE" + std::to_string(xflashPage(request.address)) + "-ERASE",
                                   std::nullopt, 0xFFFF, ok));
        break;
    case ORDER_WRITE_XFLASH: {
        char key[48];
        std::snprintf(key, sizeof key, "PAGE%d-CRC32@0x%04X+%zu", xflashPage(request.address), request.address,
                      request.data.size());
        g_pending.push_back(rowFor("XFLASH", key, std::nullopt, crc32(request.data), ok));
        break;
    }
    default:
        break;
    }
}

void reportNotWritten(const std::string &reason)
{
    const std::string text = "CHANGE LOG NOT WRITTEN: " + reason;
    ShowStatusText(text.c_str());
    LogStatusLine(text.c_str());
}

} // namespace

ChangeAction::ChangeAction(const char *name) : previous_(g_action)
{
    FlushChangeRows();
    g_action = name;
}

ChangeAction::~ChangeAction()
{
    FlushChangeRows();
    g_action = previous_;
}

void SetChangeLogFile(const std::string &path)
{
    g_logFile = path;
    programHooks.orderRequested = NoteOrderRequest;
    programHooks.orderAnswered = NoteOrderAnswer;
}
const std::string &ChangeLogFile() { return g_logFile; }
void SetChangeLogProgram(const std::string &program) { g_program = program; }
int ChangeLogMissed() { return g_missed; }

namespace {

// The orders that change what a sensor keeps, and the reads that tell what it keeps.
bool watched(unsigned char order)
{
    switch (order) {
    case ORDER_WRITE_PARA_RAM:
    case ORDER_READ_PARA_RAM:
    case ORDER_WRITE_PARA_EE:
    case ORDER_READ_PARA_EE:
    case ORDER_TEACH:
    case ORDER_VTHD_RAM:
    case ORDER_VTHD_EE:
    case ORDER_CALIBRATION:
    case ORDER_CHANGE_BAUDRATE:
    case ORDER_WRITE_CAL_HEADER:
    case ORDER_READ_CAL_HEADER:
    case ORDER_ERASE_XFLASH:
    case ORDER_WRITE_XFLASH:
        return true;
    default:
        return false;
    }
}

} // namespace

void NoteOrderRequest(unsigned char order, unsigned short address, const void *data, unsigned short length, bool sent)
{
    FlushChangeRows();
    // A measurement loop's orders pass by untouched.
    if (!watched(order))
        return;
    Request r;
    r.order = order;
    r.address = address;
    if (data && length > 0)
        r.data.assign(static_cast<const unsigned char *>(data), static_cast<const unsigned char *>(data) + length);
    g_request = std::move(r);
    if (!sent)
        NoteOrderAnswer(false, nullptr, 0);
}

void NoteOrderAnswer(bool ok, const void *answerData, unsigned answerLength)
{
    if (!g_request)
        return;
    const Request request = std::move(*g_request);
    g_request.reset();
    if (ok && (request.order == ORDER_READ_PARA_RAM || request.order == ORDER_READ_PARA_EE) &&
        answerLength >= sizeof(ParameterSet)) {
        ParameterSet read;
        std::memcpy(&read, answerData, sizeof read);
        (request.order == ORDER_READ_PARA_RAM ? known().ram : known().eeprom) = read;
        return;
    }
    if (ok && request.order == ORDER_READ_CAL_HEADER && answerLength >= sizeof(CalibrationHeader)) {
        CalibrationHeader read;
        std::memcpy(&read, answerData, sizeof read);
        known().header = read;
        return;
    }
    rowsOf(request, ok, answerData, answerLength);
    // Without a named action nothing says when the status text is final: written at once.
    if (!g_action)
        FlushChangeRows();
}

void FlushChangeRows()
{
    if (g_pending.empty())
        return;
    std::vector<ChangeRow> rows;
    rows.swap(g_pending);
    if (g_logFile.empty())
        return;
    for (ChangeRow &r : rows)
        r.status = szStatus;
    if (g_missed > 0)
        rows.front().status += " (" + std::to_string(g_missed) + " earlier change rows not logged)";
    const AppendOutcome outcome = AppendChangeRows(g_logFile, rows);
    if (!outcome.setAside.empty()) {
        const std::string text = "The change log " + g_logFile + " is not a database.\nIt was renamed to " +
                                 outcome.setAside + " and a new change log started.";
        LogStatusLine(text.c_str());
        ui::MessagePopup("ATTENTION!", text.c_str());
    }
    if (!outcome.ok) {
        g_missed += static_cast<int>(rows.size());
        reportNotWritten(outcome.reason);
        return;
    }
    g_missed = 0;
    for (const ChangeRow &r : rows)
        NotifyChangeLogged(r.serial.c_str(), ChangeRowJson(r).c_str());
}
