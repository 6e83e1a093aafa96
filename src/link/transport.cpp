#include "link/transport.h"

#include "app/statusline.h"
#include "app/text.h"
#include "link/frame.h"
#include "ui/comm.h"
#include "ui/resource.h"
#include "ui/runtime.h"

#include <cstring>

std::uint16_t comtype;
std::uint16_t rs232port = 1;
std::uint16_t rs232baudrate = 4;
int rs232con;
int tcpcon;
unsigned tcp_hconversation;
int tcpport = 10001;
int dataSizeRec;
char szIPhostName[kPathSize];
char szPortNum[kPathSize];

const double TIMEOUT = 1.5;
const int TCP_TIMEOUT = 2000;

long BaudRateOfIndex(int index)
{
    static const long rates[] = {9600, 19200, 38400, 57600, 115200};
    return index >= 0 && index <= 4 ? rates[index] : 115200;
}

const char *RS232ErrorText(int code)
{
    switch (code) {
    case -1: return "Unknown system error";
    case -2: return "Invalid port number";
    case -3: return "Port is not open";
    case -4: return "Unknown I/0 error";
    case -6: return "No serial port found";
    case -7: return "Cannot open port";
    case -13: return "Invalid parameter";
    case -99: return "Timeout";
    default: return "RS-232 error!";
    }
}

const char *TCPErrorText(int code)
{
    static const char *const names[] = {
        "UnableToRegisterService", "UnableToEstablishConnection", "ExistingServer", "FailedToConnect",
        "ServerNotRegistered", "TooManyConversations", "ReadFailed", "WriteFailed", "InvalidParameter",
        "OutOfMemory", "TimeOutError", "NoConnectionEstablished", "GeneralIOErr", "ConnectionClosed",
        "UnableToLoadWinsockDLL", "IncorrectWinsockDLLVersion", "NetworkSubsystemNotReady",
        "ConnectionsStillOpen", "DisconnectPending", "InfoNotAvailable"};
    if (code <= -1 && code >= -20)
        return names[-code - 1];
    return "Connection to server failed";
}

int InitRS232(int port, int baudIndex)
{
    ui::SetCtrlVal(pPA, ui::MAIN_COMPORT, port);
    const int code = OpenComConfig(port, "", BaudRateOfIndex(baudIndex), 0, 8, 1, 4096, 4096);
    int result;
    if (code >= 0) {
        SetComTime(port, TIMEOUT);
        FlushInQ(port);
        FlushOutQ(port);
        SetCTSMode(port, 0);
        CopyText(szStatus, "RS232 open-com-port: successful!");
        rs232con = 1;
        result = 1;
    } else {
        CopyText(szStatus, RS232ErrorText(code));
        rs232con = 0;
        result = code;
    }
    ShowAndLogStatus();
    return result;
}

int InitTCP_IP()
{
    if (tcpcon > 0) {
        DisconnectFromTCPServer(tcp_hconversation);
        tcp_hconversation = 0;
        tcpcon = 0;
    }
    ui::SetWaitCursor(true);
    const int code = ConnectToTCPServer(&tcp_hconversation, static_cast<unsigned>(tcpport), szIPhostName, CC_ClientTCP,
                                        nullptr, static_cast<unsigned>(2 * TCP_TIMEOUT));
    ui::SetWaitCursor(false);
    if (code >= 0) {
        CopyText(szStatus, "TCP-server-connect successful!");
        tcpcon = 1;
    } else {
        CopyText(szStatus, TCPErrorText(code));
        tcp_hconversation = 0;
        tcpcon = 0;
    }
    ShowAndLogStatus();
    return tcpcon;
}

int CC_ClientTCP(unsigned handle, int event, int /*error*/, void * /*callbackData*/)
{
    switch (event) {
    case TCP_DATAREADY:
        if (dataSizeRec >= 0 && dataSizeRec < kLinkBufferSize) {
            const int n = ClientTCPRead(handle, szReadBuf + dataSizeRec,
                                        static_cast<unsigned>(kLinkBufferSize - dataSizeRec),
                                        static_cast<unsigned>(TCP_TIMEOUT));
            if (n > 0)
                dataSizeRec += n;
        }
        break;
    case TCP_DISCONNECT:
        CopyText(szStatus, "SERVER HAS CLOSED CONNECTION!");
        tcp_hconversation = 0;
        tcpcon = 0;
        break;
    default:
        break;
    }
    return 0;
}

namespace {

// Polls until `needed` bytes are there, the time-out passes or exit_flag is raised.
WaitResult waitForBytes(int needed, double timeout)
{
    WaitResult wait;
    const double start = ui::Timer();
    for (bool first = true;; first = false) {
        // Events are processed on every poll; the loop sleeps (about a millisecond at
        // most) only between polls that found the answer incomplete.
        if (!ui::ProcessPendingEvents() && !first && dataSizeRec < needed)
            ui::WaitForEvents();
        if (comtype == 0 && rs232con > 0)
            dataSizeRec = GetInQLen(rs232port);
        if (ui::Timer() - start > timeout) {
            wait.timedOut = true;
            break;
        }
        if (exit_flag == 1) {
            wait.abandoned = true;
            break;
        }
        if (dataSizeRec >= needed)
            break;
    }
    if (dataSizeRec >= needed)
        wait.timedOut = false;
    return wait;
}

} // namespace

int GetHeaderFrame(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc)
{
    WaitResult wait = waitForBytes(kHeaderSize, comtype == 0 ? TIMEOUT : TIMEOUT + 0.5);
    if (wait.abandoned)
        return -1;
    if (comtype == 0 && rs232con > 0) {
        wait.lineStatus = GetComStat(rs232port);
        ComRd(rs232port, reinterpret_cast<char *>(szReadBuf), kHeaderSize);
    }
    return HeaderVerdict(wait, order, address, length, dataCrc);
}

int GetDataFrame(unsigned short length)
{
    if (length > kMaxFrameData) {
        CopyText(szStatus, kTextHeaderIncorrect);
        return -1;
    }
    WaitResult wait;
    if (comtype == 0) {
        wait = waitForBytes(length, TIMEOUT);
        if (wait.abandoned)
            return -1;
        if (rs232con > 0) {
            wait.lineStatus = GetComStat(rs232port);
            ComRd(rs232port, reinterpret_cast<char *>(szReadBuf) + kHeaderSize, length);
        }
    } else {
        wait = waitForBytes(length + kHeaderSize, TCP_TIMEOUT / 1000.0);
        if (wait.abandoned)
            return -1;
    }
    return DataVerdict(wait);
}

int DataExchange(unsigned short count)
{
    if (exchange_busy) {
        CopyText(szStatus, kTextExchangeBusy);
        return -1;
    }
    exchange_busy = true;
    if (count > kLinkBufferSize)
        count = kLinkBufferSize;
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    if (comtype == 0) {
        FlushInQ(rs232port);
        FlushOutQ(rs232port);
        ComWrt(rs232port, reinterpret_cast<const char *>(szWriteBuf), count);
    } else {
        dataSizeRec = 0;
        // Bytes of an earlier, late answer must not be taken for this one.
        ClientTCPDiscardInput(tcp_hconversation);
        ClientTCPWrite(tcp_hconversation, szWriteBuf, count, static_cast<unsigned>(TCP_TIMEOUT));
    }
    const unsigned char requestOrder = szWriteBuf[1];
    int result = GetHeaderFrame(&head.order, &head.address, &head.length, &head.dataCrc);
    // The sensor echoes the order; an answer to another order (a late answer to an
    // earlier request, say) would fill the wrong record.
    if (result == 1 && head.order != requestOrder) {
        CopyText(szStatus, kTextHeaderIncorrect);
        result = -1;
    }
    if (result == 1 && head.length > 0)
        result = GetDataFrame(head.length);
    exchange_busy = false;
    return result;
}
