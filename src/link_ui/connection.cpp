// SPDX-License-Identifier: GPL-3.0-or-later

#include "link_ui/connection.h"
#include "files/change_watch.h"
#include "link_ui/serial_devices.h"

#include "base/control_ids.h"
#include "base/hooks.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "files/hwinfofile.h"
#include "files/settings.h"
#include "link/frame.h"
#include "link/ident.h"
#include "link/orders.h"
#include "link/transport.h"
#include "link_ui/ident_page.h"
#include "params_ui/help.h"
#include "platform/comm.h"
#include "ui/runtime.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace ui;
using namespace panels;

namespace {

const char *helpText(int control)
{
    switch (control) {
    case CONN_COMTYPE:
        return "COMUNICATION PROTOCOL:\nSelect the type of the data-transfer:\nRS-232: 3-wire serial RS-232 interface. "
               "\nTCP/IP: data transfer via network protocol.";
    case CONN_BAUD:
        return "BAUDRATE:\nDrop-Down-List to set the baudrate \nof the RS-232 serial interface.";
    case CONN_COMPORT:
        return "SELECT-COM-PORT [1..256]:\nNumerical input to select a valid port number for the RS232 COM port.\n"
               "Valid COM: 1 ... 256";
    case CONN_IPADDR:
        return "IP ADDRESS:\nSet STATIC IP-Address\nFormat: xxx.xxx.xxx.xxx.\ne.g.  : 192.168.0.10";
    case CONN_CONNECT:
        return "CONNECT BUTTON:\nOutputs a serial data-frame to sensor and\nwaiting for an echo! The data-frame is sent\n"
               "with the preset baudrate or TCP/RS232 port number.";
    case CONN_DISCONNECT:
        return "DISCONNECT:\nCloses the RS232 or TCP port to the sensor.";
    case CONN_ACCEPT:
        return "ACCEPT COM SETTINGS BUTTON:\nExit the CONNECT-popup-window !\n"
               "Store actual settings for baudrate and com port number.";
    case CONN_CHANGE_BAUD:
        return "CHANGE BAUDRATE:\nChange baudrate at sensor hardware: \nATTENTION: Baudrate is stored in volatile RAM.\n"
               "Activate SEND + EEPROM for nonvolatile change!";
    case CONN_HWINFO:
        return "GENERATE HARDWARE INFO:\nGenerate a hardware-specific info-file of sensor settings: firwmware version, "
               "parameter settings, calibration data.";
    default:
        return nullptr;
    }
}

// The help pop-up sits right of the tab control, level with the control; the address
// box measures from the TCP-only control instead.
void showHelp(int control)
{
    const char *text = helpText(control);
    if (!text)
        return;
    if (control == CONN_IPADDR)
        ShowHelpRightOf(pConn, CONN_TCP_ONLY, pConn, control, text);
    else
        ShowParameterHelp(pConn, control, text);
}

void showAndLog(const char *text)
{
    ShowStatusText(text);
    LogStatusLine(text);
}

// A commit that arrives while an exchange waits (the measurement loop's, say) runs
// nested inside that wait; closing or reusing the link there would pull the link from
// under it. Such a commit is carried out once the exchange has returned.
struct DeferredCommit {
    int panel;
    int control;
};

void runDeferredCommit(void *data)
{
    auto *commit = static_cast<DeferredCommit *>(data);
    if (exchange_busy) {
        // Checked again a few milliseconds on; the wait lasts two seconds at most.
        PostDeferredCall(runDeferredCommit, data, 5);
        return;
    }
    const DeferredCommit copy = *commit;
    delete commit;
    if (pConn > 0)
        SimulateEvent(copy.panel, copy.control, EVENT_COMMIT);
}

bool deferWhileExchangeWaits(int panel, int control)
{
    if (!exchange_busy)
        return false;
    PostDeferredCall(runDeferredCommit, new DeferredCommit{panel, control});
    return true;
}

// Disconnect's press raises exit_flag to abandon a waiting exchange. A press released
// outside the button brings no commit, so the flag is dropped once no exchange waits.
bool g_disconnectRaisedExit = false;

void dropDisconnectExit(void *)
{
    if (!g_disconnectRaisedExit)
        return;
    if (exchange_busy) {
        PostDeferredCall(dropDisconnectExit, nullptr, 5);
        return;
    }
    g_disconnectRaisedExit = false;
    exit_flag = 0;
}

int ringValue(int control)
{
    int value = 0;
    GetCtrlVal(pConn, control, &value);
    return value;
}

} // namespace

void ApplyLinkLayout(int type, bool full)
{
    const bool rs232 = type == 0;
    SetCtrlVisible(pConn, CONN_BAUD, rs232);
    SetCtrlVisible(pConn, CONN_COMPORT, rs232);
    SetCtrlVisible(pConn, CONN_CHANGE_BAUD, rs232);
    SetCtrlVisible(pConn, CONN_IPADDR, !rs232);
    SetCtrlVisible(pConn, CONN_PORTNUM, !rs232);
    // Binding a device to a COM port means nothing to a TCP/IP link.
    SetCtrlVisible(pConn, CONN_SERIAL_DEVICES, rs232);
    SetCtrlVisible(pConn, CONN_BIND_DEVICE, rs232);
    if (full)
        SetCtrlVisible(pConn, CONN_TCP_ONLY, !rs232);
    SetCtrlVisible(pPA, MAIN_COMPORT, rs232);
    SetCtrlVisible(pPA, MAIN_IPHOST, !rs232);
    SetCtrlVal(pPA, MAIN_COMPORT, static_cast<int>(rs232port));
    SetCtrlVal(pPA, MAIN_IPHOST, szIPhostName);
}

void ShowConnectionSettings()
{
    SetCtrlVal(pConn, CONN_COMTYPE, static_cast<int>(comtype));
    SetCtrlVal(pConn, CONN_COMPORT, static_cast<int>(rs232port));
    SetCtrlVal(pConn, CONN_BAUD, static_cast<int>(rs232baudrate));
    SetCtrlVal(pConn, CONN_IPADDR, szIPhostName);
    SetCtrlVal(pConn, CONN_PORTNUM, szPortNum);
    // The ring now shows this link type; its caption line must not say otherwise.
    SetCtrlVisible(pConn, CONN_TCP_ONLY, comtype == 1);
}

void TakeConnectionSettings()
{
    comtype = static_cast<std::uint16_t>(ringValue(CONN_COMTYPE) == 1 ? 1 : 0);
    const int port = ringValue(CONN_COMPORT);
    rs232port = static_cast<std::uint16_t>(port >= 1 && port <= 256 ? port : 1);
    const int baud = ringValue(CONN_BAUD);
    rs232baudrate = static_cast<std::uint16_t>(baud >= 0 && baud <= 4 ? baud : 4);
    GetCtrlVal(pConn, CONN_IPADDR, szIPhostName, sizeof szIPhostName);
    GetCtrlVal(pConn, CONN_PORTNUM, szPortNum, sizeof szPortNum);
    // A port text that is no number gives 0, which the connect refuses with its own text.
    char *end = nullptr;
    const long number = std::strtol(szPortNum, &end, 10);
    tcpport = end != szPortNum && number > 0 && number <= 65535 ? static_cast<int>(number) : 0;
}

void KeepExitFlag() { g_disconnectRaisedExit = false; }

void DimAfterLostLink()
{
    DimExchangeControls(1);
    SetCtrlDimmed(pPA, MAIN_RESET, true);
    // Connect stays usable to restore the link.
    SetCtrlDimmed(pConn, CONN_CONNECT, false);
}

void DimExchangeControls(int dim)
{
    const bool dimmed = dim != 0;
    for (int id : {MAIN_VIDEO, MAIN_RUN, MAIN_STOP, MAIN_SEND, MAIN_GET})
        SetCtrlDimmed(pPA, id, dimmed);
    SetCtrlDimmed(pRec, REC_START, dimmed);
    SetCtrlDimmed(pPara1, PARA1_TEACH, dimmed);
    SetCtrlDimmed(pConn, CONN_ACCEPT, dimmed);
}

int CC_DROPComType(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        showHelp(control);
    } else if (event == EVENT_COMMIT) {
        const int type = ringValue(control) == 1 ? 1 : 0;
        ApplyLinkLayout(type, true);
        comtype = static_cast<std::uint16_t>(type);
    }
    (void)panel;
    return 0;
}

int CC_DROPBaudRate(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control);
    return 0;
}

int CC_NUMrs232comport(int, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK)
        showHelp(control);
    return 0;
}

int CC_STRINGipAddress(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_RIGHT_CLICK) {
        showHelp(control);
    } else if (event == EVENT_COMMIT) {
        SetCtrlDimmed(pConn, CONN_ACCEPT, true);
        GetCtrlVal(panel, control, szIPhostName, sizeof szIPhostName);
        const int existing = FindListItem(panel, control, szIPhostName);
        if (existing >= 0)
            DeleteListItem(panel, control, existing, 1);
        InsertListItem(panel, control, 0, szIPhostName, 0);
        int count = 0;
        GetNumListItems(panel, control, &count);
        if (count > kMaxIpAddresses)
            DeleteListItem(panel, control, kMaxIpAddresses, count - kMaxIpAddresses);
    }
    return 0;
}

int CBF_StringPortNumber(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        SetCtrlDimmed(pConn, CONN_ACCEPT, true);
    return 0;
}

int CC_CBTNTryToConnect(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        showHelp(control);
        break;
    case EVENT_LEFT_CLICK:
        stop_flag = 1;
        break;
    case EVENT_COMMIT: {
        stop_flag = 1;
        if (deferWhileExchangeWaits(panel, control))
            break;
        SetStatusColor(VAL_BLACK);
        showAndLog(kTextTryToConnect);
        TakeConnectionSettings();
        // A bound adapter that is unplugged is named, not reported as a bare open error.
        if (comtype == 0) {
            if (const std::string missing = MissingBoundDeviceText(rs232port); !missing.empty()) {
                CloseOpenLinks();
                showAndLog(missing.c_str());
                SetStatusColor(VAL_RED);
                DimExchangeControls(1);
                err_flag = 1;
                break;
            }
        }
        DelayWithEventProcessing(0.2);
        CloseOpenLinks();
        ApplyLinkLayout(comtype, false);
        const LinkOps &link = CurrentLink();
        if (link.open() == 1) {
            if (InitDataExchange() == 1) {
                DimExchangeControls(0);
                NotifySensorReconnected();
                err_flag = 0;
            }
        } else {
            SetCtrlDimmed(pConn, CONN_ACCEPT, true);
            err_flag = 1;
        }
        break;
    }
    default:
        break;
    }
    return 0;
}

int CC_CBTNDisconnect(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        showHelp(control);
        break;
    case EVENT_LEFT_CLICK:
        ShowStatusText(kTextDisconnecting);
        if (rs232con > 0 || tcpcon > 0) {
            stop_flag = 1;
            exit_flag = 1;
            g_disconnectRaisedExit = true;
            PostDeferredCall(dropDisconnectExit, nullptr, 5);
        }
        break;
    case EVENT_COMMIT:
        if (deferWhileExchangeWaits(panel, control))
            break;
        DelayWithEventProcessing(0.1);
        if (rs232con > 0) {
            // The port that is open is closed, whatever number the field shows now.
            LinkOfType(0).close();
            rs232port = static_cast<std::uint16_t>(ringValue(CONN_COMPORT));
            exit_flag = 0;
        }
        if (tcpcon > 0) {
            LinkOfType(1).close();
            exit_flag = 0;
        }
        showAndLog(kTextDisconnected);
        DimExchangeControls(1);
        break;
    default:
        break;
    }
    return 0;
}

int CC_CBTNAcceptComSetting(int, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        showHelp(control);
        break;
    case EVENT_LEFT_CLICK:
        stop_flag = 1;
        break;
    case EVENT_COMMIT:
        comtype = static_cast<std::uint16_t>(ringValue(CONN_COMTYPE) == 1 ? 1 : 0);
        rs232port = static_cast<std::uint16_t>(ringValue(CONN_COMPORT));
        rs232baudrate = static_cast<std::uint16_t>(ringValue(CONN_BAUD));
        ForgetRunOnlyLink(); // the operator takes the link in use for good
        WriteIniFile(appini_pathname);
        SetActiveTabPage(pPA, MAIN_TAB, 0);
        break;
    default:
        break;
    }
    return 0;
}

int CC_CBTNChangeBaudRate(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        showHelp(control);
        break;
    case EVENT_LEFT_CLICK:
        stop_flag = 1;
        showAndLog(kTextTryBaudChange);
        break;
    case EVENT_COMMIT: {
        if (deferWhileExchangeWaits(panel, control))
            break;
        rs232baudrate = static_cast<std::uint16_t>(ringValue(CONN_BAUD));
        // The sensor whose rate changes is on the open port: that port is reopened, and a
        // number edited in the field waits for the next Connect.
        const int port = rs232openport;
        ChangeAction action("SET BAUD");
        if (IssueOrder(ORDER_CHANGE_BAUDRATE, rs232baudrate) == 1) {
            showAndLog(kTextBaudChangeOk);
            // The open reports (and logs) its own outcome; the line feed it adds is not shown.
            InitRS232(port, rs232baudrate);
            if (const std::size_t n = std::strlen(szStatus); n > 0 && szStatus[n - 1] == '\n')
                szStatus[n - 1] = '\0';
            FlushInQ(port);
            FlushOutQ(port);
            CloseCom(port);
            const int code = OpenComConfig(port, "", BaudRateOfIndex(rs232baudrate), 0, 8, 1, 4096, 4096);
            if (code < 0) {
                CopyText(szStatus, RS232ErrorText(code));
                // The port is closed now; exchanges must not take it for open.
                rs232con = 0;
                ShowAndLogStatus();
            } else {
                SetComTime(port, TIMEOUT);
                FlushInQ(port);
                FlushOutQ(port);
                SetCTSMode(port, 0);
                rs232con = 1;
                SetCtrlDimmed(pConn, CONN_CONNECT, false);
                ShowStatus();
            }
        } else {
            CopyText(szStatus, kTextBaudChangeTimeout);
            ShowAndLogStatus();
        }
        break;
    }
    default:
        break;
    }
    return 0;
}

int CC_CBTNGenerateHWInfoFile(int panel, int control, int event, void *, int, int)
{
    switch (event) {
    case EVENT_RIGHT_CLICK:
        showHelp(control);
        break;
    case EVENT_LEFT_CLICK:
        stop_flag = 1;
        break;
    case EVENT_COMMIT:
        if (deferWhileExchangeWaits(panel, control))
            break;
        GenerateHardwareInfoFile();
        break;
    default:
        break;
    }
    return 0;
}
