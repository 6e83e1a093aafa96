// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/orders.h"

#include "base/hooks.h"
#include "base/records.h"
#include "base/state.h"
#include "base/statusline.h"
#include "base/text.h"
#include "link/frame.h"
#include "link/transport.h"

#include <algorithm>
#include <cstring>

int IssueOrder(unsigned char order, unsigned short address, const void *data, unsigned short length)
{
    if (SendOrder(order, address, data, length) != 1)
        return -1;
    return AwaitAnswer();
}

int SendOrder(unsigned char order, unsigned short address, const void *data, unsigned short length)
{
    // While another exchange waits, FillTxBuf leaves its request alone and BeginExchange refuses.
    FillTxBuf(order, address, data, length);
    const int sent =
        BeginExchange(static_cast<unsigned short>(kHeaderSize + std::min<unsigned>(length, kMaxFrameData)));
    if (programHooks.orderRequested)
        programHooks.orderRequested(order, address, data, length, sent == 1);
    return sent;
}

int AwaitAnswer()
{
    const int result = FinishExchange();
    // What a write changed, and what a read showed of the sensor's sets, for the change log.
    if (programHooks.orderAnswered) {
        std::uint16_t answerLength = 0;
        std::memcpy(&answerLength, szReadBuf + 4, sizeof answerLength);
        programHooks.orderAnswered(result == 1, szReadBuf + kHeaderSize,
                                   std::min<unsigned>(answerLength, kMaxFrameData));
    }
    return result;
}

void CopyAnswerData(void *destination, unsigned count)
{
    std::memcpy(destination, szReadBuf + kHeaderSize, std::min<unsigned>(count, kMaxFrameData));
}

const char *LinkFailureText(const char *rs232Text, const char *tcpText) { return comtype == 0 ? rs232Text : tcpText; }

namespace {

int fetchInto(unsigned char order, unsigned short address, const char *successText, void *destination, unsigned count)
{
    if (IssueOrder(order, address) == 1) {
        CopyText(szStatus, successText);
        CopyAnswerData(destination, count);
        return 1;
    }
    CopyText(szStatus, LinkFailureText("Timeout RS232-Line!", "TCP-Server-error!"));
    stop_flag = 1;
    return -1;
}

struct CommandTexts {
    const char *operation;
    const char *rs232Error;
    const char *tcpError;
};

// Sends a command without data; on success the caller's extra step runs before the
// status line is shown.
template <typename OnSuccess>
int sendCommand(unsigned char order, unsigned short address, const CommandTexts &texts, OnSuccess onSuccess)
{
    CopyText(szStatus, texts.operation);
    int result;
    if (IssueOrder(order, address) == 1) {
        AppendText(szStatus, " -> Ok!");
        onSuccess();
        result = 0;
    } else {
        CopyText(szStatus, LinkFailureText(texts.rs232Error, texts.tcpError));
        result = -1;
    }
    ShowStatus();
    return result;
}

int sendCommand(unsigned char order, unsigned short address, const CommandTexts &texts)
{
    return sendCommand(order, address, texts, [] {});
}

} // namespace

int GetRAW() { return fetchInto(ORDER_MEASUREMENT, 0, "Transmission successful - Line Ok!", &raw, sizeof raw); }

int GetDATA(std::uint16_t selector)
{
    return fetchInto(ORDER_CURVE, selector, "Transmission successful  - Line Ok!", selector == 0 ? adbuf : vtbuf,
                     sizeof adbuf);
}

int TeachSetPoint()
{
    return sendCommand(ORDER_TEACH, 0,
                       {"TEACH new setpoint value ...", "Teach-Error:Timeout RS232-Line!",
                        "Teach-Error:Timeout TCP-Server-error!"},
                       [] {
                           std::uint16_t teach = 0;
                           CopyAnswerData(&teach, sizeof teach);
                           pset.Teach_Value = teach;
                       });
}

int PushRESET()
{
    return sendCommand(ORDER_RESET_OUTPUT, 0,
                       {"RESET analog/digital output ...", "Reset-Error:Timeout RS232-Line!",
                        "Reset-Error:Timeout TCP-Server-error!"});
}

int WriteVideoDataToRAM(std::uint16_t threshold)
{
    return sendCommand(ORDER_VTHD_RAM, threshold,
                       {"SAVE video-threshold to RAM ...", "VTHD-Write-Error:Timeout RS232-Line!",
                        "VTHD-Write-Error:Timeout TCP-Server-error!"});
}

int WriteVideoDataToEE(std::uint16_t threshold)
{
    return sendCommand(ORDER_VTHD_EE, threshold,
                       {"SAVE video-threshold to EEPROM ...", "VTHD-Write-Error:Timeout RS232-Line!",
                        "VTHD-Write-Error:Timeout TCP-Server-error!"});
}
