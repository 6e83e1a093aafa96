#pragma once
// The two links to the sensor (RS-232, or TCP/IP through a network-to-serial server)
// and one request/answer exchange over whichever is in use.

#include "app/state.h"

#include <cstdint>

extern std::uint16_t comtype;       // 0 RS-232, 1 TCP/IP
extern std::uint16_t rs232port;     // COM port number 1..256
extern std::uint16_t rs232baudrate; // baud-rate index 0..4
extern int rs232con;                // 1 open; 0 or a negative open code otherwise
extern int tcpcon;                  // 1 connected
extern unsigned tcp_hconversation;  // 0 when none
extern int tcpport;
extern int dataSizeRec;             // answer bytes received so far
extern char szIPhostName[kPathSize];
extern char szPortNum[kPathSize];

extern const double TIMEOUT;        // answer time-out, seconds
extern const int TCP_TIMEOUT;       // TCP write/read time-out, milliseconds

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
int GetHeaderFrame(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc);
int GetDataFrame(unsigned short length);

inline constexpr const char *kTextExchangeBusy = "EXCHANGE REFUSED - ANOTHER EXCHANGE IS WAITING!";
