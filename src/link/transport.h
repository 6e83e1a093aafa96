// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The two links to the sensor (RS-232, or TCP/IP through a network-to-serial server)
// and one request/answer exchange over whichever is in use.

#include "base/state.h"

#include <cstdint>

extern std::uint16_t comtype;       // 0 RS-232, 1 TCP/IP
extern std::uint16_t rs232port;     // COM port number 1..256 chosen for the next open
extern std::uint16_t rs232openport; // the COM port that is open while rs232con > 0
extern std::uint16_t rs232baudrate; // baud-rate index 0..4
extern int rs232con;                // 1 open; 0 or a negative open code otherwise
extern int tcpcon;                  // 1 connected
// 1 once the open link went away (server closed, serial device failed) until the next successful
// open: set when the loss is noticed, read by the waits for an answer, which give up at once,
// and by the loops, which end on it as "connection lost".
extern int link_lost;
extern unsigned tcp_hconversation; // 0 when none
extern int tcpport;
extern int dataSizeRec; // answer bytes received so far
extern char szIPhostName[kPathSize];
extern char szPortNum[kPathSize];

extern const double TIMEOUT;  // answer time-out, seconds
extern const int TCP_TIMEOUT; // TCP write/read time-out, milliseconds

// Baud rate of an index; any index outside 0..4 means 115200.
long BaudRateOfIndex(int index);
const char *RS232ErrorText(int code);
const char *TCPErrorText(int code);

int InitRS232(int port, int baudIndex);
int InitTCP_IP();
int CC_ClientTCP(unsigned handle, int event, int error, void *callbackData);

// Sends the first count bytes of szWriteBuf and receives the answer into szReadBuf.
// 1 when header and data passed their checks, -1 with the reason in szStatus.
int DataExchange(unsigned short count);
// The exchange in two halves, so that work can be done while the answer is on its way:
// BeginExchange sends (1, or -1 when another exchange waits for its answer) and
// FinishExchange receives as DataExchange does. Nothing else may be exchanged in between.
int BeginExchange(unsigned short count);
int FinishExchange();
// Leaves the processor to the link until the request sent is through: on a link that
// delivers after the write, until the answer begins (processing events, at most `seconds`).
// Work meant to overlap an answer calls this first, so that the request reaches the sensor
// before the work takes the processor.
void LetRequestThrough(double seconds);
int GetHeaderFrame(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc);
int GetDataFrame(unsigned short length);

// One link type: how it is opened, closed and spoken over. The exchange uses the table of
// the link in use, so a further link type is added here and nowhere else.
struct WaitResult;
struct LinkOps {
    const char *name;
    bool (*isOpen)();
    int (*open)();          // with the state's settings; the new state flag
    void (*close)();        // empties the queues where there are any
    void (*beginRequest)(); // drops what an earlier answer left behind
    void (*write)(const unsigned char *data, int count);
    void (*poll)();                                         // brings dataSizeRec up to date
    void (*fetch)(int offset, int count, WaitResult &wait); // answer bytes into szReadBuf
    int (*dataTarget)(int length);                          // dataSizeRec that completes a data block
    double headerTimeout;                                   // seconds
    double dataTimeout;
    // Written bytes are passed on by a kernel worker after the write returns (serial ports
    // and ptys), which competes with this program for the processor.
    bool deliversAfterWrite;
};
const LinkOps &LinkOfType(int type); // 0 RS-232, anything else TCP/IP
const LinkOps &CurrentLink();        // the one comtype names
// Closes whichever link is open (both, should both be).
void CloseOpenLinks();
// The link went away (the server closed the connection, the serial device failed): it is
// closed, the loss is shown and logged, and whoever needs to know is told (NotifyLinkLost).
void NoticeLostLink();

inline constexpr const char *kTextExchangeBusy = "EXCHANGE REFUSED - ANOTHER EXCHANGE IS WAITING!";
inline constexpr const char *kTextNoAnswerAwaited = "NO REQUEST IS WAITING FOR AN ANSWER!";
inline constexpr const char *kTextServerClosed = "SERVER HAS CLOSED CONNECTION! - connection lost";
inline constexpr const char *kTextPortLost = "COM-PORT ERROR! - connection lost";
