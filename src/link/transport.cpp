// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/transport.h"

#include "base/hooks.h"
#include "base/statusline.h"
#include "base/text.h"
#include "link/frame.h"
#include "platform/comm.h"
#include "platform/events.h"

#include <algorithm>
#include <cstring>

std::uint16_t comtype;
std::uint16_t rs232port = 1;
std::uint16_t rs232openport = 1;
std::uint16_t rs232baudrate = 4;
int rs232con;
int tcpcon;
int link_lost;
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
    case -1:
        return "Unknown system error";
    case -2:
        return "Invalid port number";
    case -3:
        return "Port is not open";
    case -4:
        return "Unknown I/0 error";
    case -6:
        return "No serial port found";
    case -7:
        return "Cannot open port";
    case -13:
        return "Invalid parameter";
    case -99:
        return "Timeout";
    default:
        return "RS-232 error!";
    }
}

const char *TCPErrorText(int code)
{
    static const char *const names[] = {"UnableToRegisterService",
                                        "UnableToEstablishConnection",
                                        "ExistingServer",
                                        "FailedToConnect",
                                        "ServerNotRegistered",
                                        "TooManyConversations",
                                        "ReadFailed",
                                        "WriteFailed",
                                        "InvalidParameter",
                                        "OutOfMemory",
                                        "TimeOutError",
                                        "NoConnectionEstablished",
                                        "GeneralIOErr",
                                        "ConnectionClosed",
                                        "UnableToLoadWinsockDLL",
                                        "IncorrectWinsockDLLVersion",
                                        "NetworkSubsystemNotReady",
                                        "ConnectionsStillOpen",
                                        "DisconnectPending",
                                        "InfoNotAvailable"};
    if (code <= -1 && code >= -20)
        return names[-code - 1];
    return "Connection to server failed";
}

void NoticeLostLink()
{
    const bool tcp = tcpcon > 0;
    CloseOpenLinks();
    CopyText(szStatus, tcp ? kTextServerClosed : kTextPortLost);
    SetStatusColor(0xFF0000);
    ShowAndLogStatus();
    NotifyLinkLost();
}

namespace {
// Counts the links opened, so that a loss reported for one link is not taken for the next.
std::uintptr_t linkGeneration = 0;

// The link's own signal reports the loss; closing it is left until that signal has returned.
void noticeLostLinkLater()
{
    ui::PostDeferredCall(
        [](void *generation) {
            if (reinterpret_cast<std::uintptr_t>(generation) == linkGeneration && (rs232con > 0 || tcpcon > 0)) {
                link_lost = 1;
                NoticeLostLink();
            }
        },
        reinterpret_cast<void *>(linkGeneration));
}
} // namespace

int InitRS232(int port, int baudIndex)
{
    NotifySerialPortOpening(port);
    const int code = OpenComConfig(port, "", BaudRateOfIndex(baudIndex), 0, 8, 1, 4096, 4096);
    int result;
    if (code >= 0) {
        SetComTime(port, TIMEOUT);
        FlushInQ(port);
        FlushOutQ(port);
        SetCTSMode(port, 0);
        CopyText(szStatus, "RS232 open-com-port: successful!");
        rs232con = 1;
        rs232openport = static_cast<std::uint16_t>(port);
        ++linkGeneration;
        link_lost = 0;
        SetComLostCallback([](int lost) {
            if (rs232con > 0 && lost == rs232openport)
                noticeLostLinkLater();
        });
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
        ++linkGeneration;
        link_lost = 0;
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
            const int n =
                ClientTCPRead(handle, szReadBuf + dataSizeRec, static_cast<unsigned>(kLinkBufferSize - dataSizeRec),
                              static_cast<unsigned>(TCP_TIMEOUT));
            if (n > 0)
                dataSizeRec += n;
        }
        break;
    case TCP_DISCONNECT:
        if (handle == tcp_hconversation && tcpcon > 0)
            noticeLostLinkLater();
        break;
    default:
        break;
    }
    return 0;
}

namespace {

// ---- The two link types --------------------------------------------------------------
// Each link type is one table of operations; the exchange, its waits and the close path
// are written once over whichever table comtype selects.

bool rs232IsOpen() { return rs232con > 0; }
int rs232Open() { return rs232con = InitRS232(rs232port, rs232baudrate); }
void rs232Close()
{
    if (GetOutQLen(rs232openport) > 0)
        FlushOutQ(rs232openport);
    if (GetInQLen(rs232openport) > 0)
        FlushInQ(rs232openport);
    CloseCom(rs232openport);
    rs232con = 0;
}
void rs232BeginRequest()
{
    FlushInQ(rs232openport);
    FlushOutQ(rs232openport);
}
void rs232Write(const unsigned char *data, int count)
{
    ComWrt(rs232openport, reinterpret_cast<const char *>(data), count);
}
// The count of bytes waiting in the port; with the port closed the last count stands.
void rs232Poll()
{
    if (rs232con > 0)
        dataSizeRec = GetInQLen(rs232openport);
}
// The port hands over the bytes of one part of the answer; the line errors seen so far go with them.
void rs232Fetch(int offset, int count, WaitResult &wait)
{
    if (rs232con <= 0)
        return;
    wait.lineStatus = GetComStat(rs232openport);
    ComRd(rs232openport, reinterpret_cast<char *>(szReadBuf) + offset, count);
}
// After the header was read from the port only the data bytes are counted.
int rs232DataTarget(int length) { return length; }

bool tcpIsOpen() { return tcpcon > 0; }
int tcpOpen() { return tcpcon = InitTCP_IP(); }
void tcpClose()
{
    DisconnectFromTCPServer(tcp_hconversation);
    tcp_hconversation = 0;
    tcpcon = 0;
}
void tcpBeginRequest()
{
    dataSizeRec = 0;
    // Bytes of an earlier, late answer must not be taken for this one.
    ClientTCPDiscardInput(tcp_hconversation);
}
void tcpWrite(const unsigned char *data, int count)
{
    ClientTCPWrite(tcp_hconversation, data, static_cast<unsigned>(count), static_cast<unsigned>(TCP_TIMEOUT));
}
// The conversation callback stores and counts the bytes while events are processed.
void tcpPoll() {}
void tcpFetch(int, int, WaitResult &) {}
// The conversation callback keeps header and data in one run from byte 0.
int tcpDataTarget(int length) { return length + kHeaderSize; }

const LinkOps kRS232Ops = {"RS-232",  rs232IsOpen, rs232Open,       rs232Close, rs232BeginRequest, rs232Write,
                           rs232Poll, rs232Fetch,  rs232DataTarget, TIMEOUT,    TIMEOUT,           true};
const LinkOps kTCPOps = {"TCP/IP", tcpIsOpen, tcpOpen,       tcpClose,      tcpBeginRequest,      tcpWrite,
                         tcpPoll,  tcpFetch,  tcpDataTarget, TIMEOUT + 0.5, TCP_TIMEOUT / 1000.0, false};

// Order code of a request whose answer did not come in time, -1 when none is outstanding.
int staleOrder = -1;

// Polls until `needed` bytes are there, the time-out passes, exit_flag is raised or the link
// is lost (an answer already whole is still taken).
WaitResult waitForBytes(const LinkOps &link, int needed, double timeout)
{
    WaitResult wait;
    const double start = ui::Timer();
    for (bool first = true;; first = false) {
        // Events are processed on every poll; the loop sleeps (about a millisecond at
        // most) only between polls that found the answer incomplete.
        if (!ui::ProcessPendingEvents() && !first && dataSizeRec < needed)
            ui::WaitForEvents();
        link.poll();
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
        // Nothing more can come: waiting on would only end in a time-out.
        if (link_lost == 1) {
            wait.abandoned = true;
            break;
        }
    }
    if (dataSizeRec >= needed)
        wait.timedOut = false;
    return wait;
}

} // namespace

const LinkOps &LinkOfType(int type) { return type == 0 ? kRS232Ops : kTCPOps; }

const LinkOps &CurrentLink() { return LinkOfType(comtype); }

void CloseOpenLinks()
{
    for (int type : {0, 1}) {
        const LinkOps &link = LinkOfType(type);
        if (link.isOpen())
            link.close();
    }
}

int GetHeaderFrame(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc)
{
    const LinkOps &link = CurrentLink();
    WaitResult wait = waitForBytes(link, kHeaderSize, link.headerTimeout);
    if (wait.abandoned)
        return -1;
    link.fetch(0, kHeaderSize, wait);
    return HeaderVerdict(wait, order, address, length, dataCrc);
}

int GetDataFrame(unsigned short length)
{
    if (length > kMaxFrameData) {
        CopyText(szStatus, kTextHeaderIncorrect);
        return -1;
    }
    const LinkOps &link = CurrentLink();
    WaitResult wait = waitForBytes(link, link.dataTarget(length), link.dataTimeout);
    if (wait.abandoned)
        return -1;
    link.fetch(kHeaderSize, length, wait);
    return DataVerdict(wait);
}

namespace {
// Order code of the request whose answer is awaited.
unsigned char pendingOrder = 0;

// After a damaged answer its rest is still on the line. The next request's flush would miss
// what arrives after it, and the next answer would then start with this one's tail; so wait
// until the line has been quiet for a while (at most as long as the longest answer takes).
void settleLine(const LinkOps &link)
{
    const double byteTime = 10.0 / static_cast<double>(BaudRateOfIndex(rs232baudrate));
    const double quiet = std::max(0.01, 20 * byteTime);
    const double longest = (2 * kHeaderSize + kMaxFrameData) * byteTime + quiet;
    const double start = ui::Timer();
    double lastArrival = start;
    int seen = dataSizeRec;
    while (exit_flag != 1) {
        if (!ui::ProcessPendingEvents())
            ui::WaitForEvents();
        link.poll();
        const double now = ui::Timer();
        if (dataSizeRec != seen) {
            seen = dataSizeRec;
            lastArrival = now;
        }
        if (now - lastArrival >= quiet || now - start >= longest)
            break;
    }
}
} // namespace

int BeginExchange(unsigned short count)
{
    if (exchange_busy) {
        CopyText(szStatus, kTextExchangeBusy);
        return -1;
    }
    exchange_busy = true;
    if (count > kLinkBufferSize)
        count = kLinkBufferSize;
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    const LinkOps &link = CurrentLink();
    link.beginRequest();
    link.write(szWriteBuf, count);
    pendingOrder = szWriteBuf[1];
    return 1;
}

int FinishExchange()
{
    if (!exchange_busy) {
        CopyText(szStatus, kTextNoAnswerAwaited);
        return -1;
    }
    int result = GetHeaderFrame(&head.order, &head.address, &head.length, &head.dataCrc);
    // Answers are taken whatever order code they carry, except the late answer to a request
    // that timed out: it would fill this request's record with another order's data.
    if (result == 1 && staleOrder >= 0 && head.order == staleOrder && head.order != pendingOrder) {
        CopyText(szStatus, kTextHeaderIncorrect);
        staleOrder = -1;
        result = -1;
    } else {
        if (result == 1 && head.length > 0)
            result = GetDataFrame(head.length);
        staleOrder = result == 1 ? -1 : pendingOrder;
    }
    if (const LinkOps &link = CurrentLink(); result != 1 && exit_flag != 1 && link.isOpen())
        settleLine(link);
    exchange_busy = false;
    return result;
}

void LetRequestThrough(double seconds)
{
    const LinkOps &link = CurrentLink();
    // A wait that runs out or is abandoned is the answer's business, not this one's.
    if (exchange_busy && link.deliversAfterWrite)
        waitForBytes(link, 1, seconds);
}

int DataExchange(unsigned short count)
{
    if (BeginExchange(count) != 1)
        return -1;
    return FinishExchange();
}
