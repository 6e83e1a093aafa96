// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/frame.h"

#include "base/state.h"
#include "base/text.h"

#include <cstring>

FrameHeader head;
unsigned char szWriteBuf[kLinkBufferSize];
unsigned char szReadBuf[kLinkBufferSize];
bool exchange_busy = false;

void FillTxBuf(unsigned char order, unsigned short address, const void *data, unsigned short length)
{
    if (exchange_busy)
        return;
    if (length > kMaxFrameData)
        length = kMaxFrameData;
    szWriteBuf[0] = kSyncByte;
    szWriteBuf[1] = order;
    szWriteBuf[2] = static_cast<unsigned char>(address & 0xFF);
    szWriteBuf[3] = static_cast<unsigned char>(address >> 8);
    szWriteBuf[4] = static_cast<unsigned char>(length & 0xFF);
    szWriteBuf[5] = static_cast<unsigned char>(length >> 8);
    szWriteBuf[6] = 0xAA;
    if (length > 0 && data) {
        std::memmove(szWriteBuf + kHeaderSize, data, length);
        szWriteBuf[6] = crc8Update(szWriteBuf, kHeaderSize, length, crc8Array);
    }
    szWriteBuf[7] = crc8Update(szWriteBuf, 0, 7, crc8Array);
    head = {kSyncByte, order, address, length, szWriteBuf[6], szWriteBuf[7]};
}

int CheckHeaderCRC(unsigned char *order, unsigned short *address, unsigned short *length, unsigned char *dataCrc)
{
    const unsigned short announced = static_cast<unsigned short>(szReadBuf[4] | (szReadBuf[5] << 8));
    if (crc8Update(szReadBuf, 0, kHeaderSize, crc8Array) != 0 || szReadBuf[0] != kSyncByte ||
        announced > kMaxFrameData) {
        CopyText(szStatus, kTextHeaderIncorrect);
        return -1;
    }
    *order = szReadBuf[1];
    *address = static_cast<unsigned short>(szReadBuf[2] | (szReadBuf[3] << 8));
    *length = announced;
    *dataCrc = szReadBuf[6];
    return 1;
}

int CheckDataCRC()
{
    const unsigned length = head.length > kMaxFrameData ? kMaxFrameData : head.length;
    if (crc8Update(szReadBuf, kHeaderSize, length, crc8Array) == head.dataCrc)
        return 1;
    CopyText(szStatus, kTextDataIncorrect);
    return -1;
}

namespace {
// Time-out and line-error texts; true when the wait failed.
bool waitFailed(const WaitResult &wait)
{
    if (!wait.timedOut && wait.lineStatus <= 0)
        return false;
    if (wait.timedOut)
        CopyText(szStatus, kTextTimeout);
    if (wait.lineStatus > 0) {
        if (wait.lineStatus & 0x0001)
            AppendText(szStatus, " COMM ERROR: INPUT LOST!");
        if (wait.lineStatus & 0x0010)
            AppendText(szStatus, " COMM ERROR: PARITY!");
        if (wait.lineStatus & 0x0040)
            AppendText(szStatus, " COMM ERROR: FRAMING!");
    }
    return true;
}
} // namespace

int HeaderVerdict(const WaitResult &wait, unsigned char *order, unsigned short *address, unsigned short *length,
                  unsigned char *dataCrc)
{
    if (wait.abandoned)
        return -1;
    if (waitFailed(wait))
        return -1;
    int result = CheckHeaderCRC(order, address, length, dataCrc);
    if (*order == 0) {
        result = -1;
        if (*address == 1)
            CopyText(szStatus, kTextInvalidOrder);
        else if (*address == 2)
            CopyText(szStatus, kTextReduceBaudrate);
    }
    return result;
}

int DataVerdict(const WaitResult &wait)
{
    if (wait.abandoned)
        return -1;
    if (waitFailed(wait))
        return -1;
    return CheckDataCRC();
}
