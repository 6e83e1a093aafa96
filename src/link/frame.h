// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Request and answer frames: 8-byte header (sync, order, address, length, data CRC,
// header CRC) followed by the data, built in and checked in the two link buffers.

#include "link/crc8.h"

#include <cstddef>
#include <cstdint>

struct FrameHeader {
    std::uint8_t sync;
    std::uint8_t order;
    std::uint16_t address;
    std::uint16_t length;
    std::uint8_t dataCrc;
    std::uint8_t headerCrc;
};
static_assert(sizeof(FrameHeader) == 8);
static_assert(offsetof(FrameHeader, address) == 2 && offsetof(FrameHeader, length) == 4);
static_assert(offsetof(FrameHeader, dataCrc) == 6 && offsetof(FrameHeader, headerCrc) == 7);

constexpr std::uint8_t kSyncByte = 0x55;
constexpr int kHeaderSize = 8;
constexpr int kLinkBufferSize = 4096;
// The most data an answer may announce and still fit behind its header.
constexpr int kMaxFrameData = kLinkBufferSize - kHeaderSize;

extern FrameHeader head;
extern unsigned char szWriteBuf[kLinkBufferSize];
extern unsigned char szReadBuf[kLinkBufferSize];

// True while an exchange waits for its answer: the buffers and head then belong to it.
extern bool exchange_busy;

// Builds the request in szWriteBuf and fills head. Does nothing while an exchange is
// waiting, so a callback run from inside the wait cannot overwrite that exchange's
// request and header. Data beyond the buffer is cut.
void FillTxBuf(unsigned char order, unsigned short address, const void *data, unsigned short length);

// Header check of szReadBuf[0..7]: 1 and the fields, or -1 with the header text.
// A header announcing more data than the receive buffer holds is refused too.
int CheckHeaderCRC(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc);
// Data check of szReadBuf[8..] against head's length and data CRC: 1, or -1 with the text.
int CheckDataCRC();

// How a wait for answer bytes ended.
struct WaitResult {
    bool abandoned = false; // exit_flag was raised, or the link was lost
    bool timedOut = false;
    int lineStatus = 0; // line-error bits of the port, RS-232 only
};

// Verdicts on an answer header (fields written only on success) and data block.
int HeaderVerdict(const WaitResult &wait, unsigned char *order, unsigned short *address, unsigned short *length,
                  unsigned char *dataCrc);
int DataVerdict(const WaitResult &wait);

// Status texts.
inline constexpr const char *kTextHeaderIncorrect = "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!";
inline constexpr const char *kTextDataIncorrect = "ATTENTION! RECEIVED DATA FRAME IS INCORRECT!";
inline constexpr const char *kTextTimeout = "TIMEOUT!";
inline constexpr const char *kTextInvalidOrder = "INVALIDE ORDER NUMBER!";
inline constexpr const char *kTextReduceBaudrate = "COMM ERROR! YOU MAY REDUCE BAUDRATE!";
