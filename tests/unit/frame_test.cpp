// SPDX-License-Identifier: GPL-3.0-or-later
// Frame codec and the verdicts on received headers and data.

#include "base/state.h"
#include "base/text.h"
#include "link/frame.h"
#include "link/transport.h"
#include "support/reference_frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<unsigned char> written(int count) { return {szWriteBuf, szWriteBuf + count}; }

// Puts a well-formed answer into the receive buffer.
void receive(unsigned char order, unsigned short address, const std::vector<unsigned char> &data)
{
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    const std::vector<unsigned char> f = ReferenceFrame(order, address, data);
    std::memcpy(szReadBuf, f.data(), f.size());
}

void resealHeader() { szReadBuf[7] = crc8Update(szReadBuf, 0, 7, crc8Array); }

int headerVerdict(const WaitResult &wait = {})
{
    return HeaderVerdict(wait, &head.order, &head.address, &head.length, &head.dataCrc);
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { exchange_busy = false; }
};

// The bytes of every request and their CRCs are compared with independently built frames in
// the order tests against the simulator; here what those cannot reach.
TEST_F(FrameTest, RequestIsNotBuiltWhileAnExchangeWaitsAndIsCutToTheBuffer)
{
    FillTxBuf(8, 0, nullptr, 0);
    const auto before = written(8);
    const FrameHeader headBefore = head;
    exchange_busy = true;
    FillTxBuf(2, 7, nullptr, 0);
    exchange_busy = false;
    EXPECT_EQ(std::tuple(written(8), head.order, head.address),
              std::tuple(before, headBefore.order, headBefore.address));

    std::vector<unsigned char> data(5000, 0x11);
    FillTxBuf(0xB6, 0x1000, data.data(), 5000);
    EXPECT_EQ(head.length, kMaxFrameData);
}

void announce(int length)
{
    szReadBuf[4] = length & 0xFF;
    szReadBuf[5] = (length >> 8) & 0xFF;
    resealHeader();
}

TEST_F(FrameTest, HeaderVerdictsAndTheTimeOutAndLineErrorTexts)
{
    struct Row {
        const char *name;
        unsigned char order;
        unsigned short address;
        void (*spoil)();
        int verdict;
        const char *status;
    };
    // clang-format off
    const Row rows[] = {
        {"a good answer", 8, 3, [] {}, 1, "previous"},
        {"wrong header CRC", 8, 3, [] { szReadBuf[7] ^= 1; }, -1, kTextHeaderIncorrect},
        {"wrong sync, matching CRC", 8, 3, [] { szReadBuf[0] = 0x54; resealHeader(); }, -1, kTextHeaderIncorrect},
        // Its CRC over all eight bytes is not 0.
        {"all-zero header", 8, 3, [] { std::memset(szReadBuf, 0, 8); }, -1, kTextHeaderIncorrect},
        {"more data than the buffer", 9, 0, [] { announce(kMaxFrameData + 1); }, -1, kTextHeaderIncorrect},
        {"data filling the buffer", 9, 0, [] { announce(kMaxFrameData); }, 1, "previous"},
        {"error answer 2", 0, 2, [] {}, -1, kTextReduceBaudrate},
        {"error answer 1", 0, 1, [] {}, -1, kTextInvalidOrder},
        {"other error answer", 0, 9, [] {}, -1, "previous"},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CopyText(szStatus, "previous");
        receive(row.order, row.address, std::vector<unsigned char>(40, 1));
        row.spoil();
        head.order = 7; // what a refused header must leave alone
        head.length = 0;
        EXPECT_EQ(headerVerdict(), row.verdict);
        EXPECT_STREQ(szStatus, row.status);
        if (row.verdict == 1) {
            EXPECT_EQ(std::tuple(int{head.order}, head.address, int{head.length}),
                      std::tuple(int{row.order}, row.address, szReadBuf[4] | szReadBuf[5] << 8));
        } else if (row.order != 0) {
            EXPECT_EQ(std::tuple(int{head.order}, int{head.length}), std::tuple(7, 0));
        }
    }

    struct WaitRow {
        const char *name;
        bool header;
        WaitResult wait; // abandoned, timed out, line status
        const char *before, *after;
    };
    const WaitRow waits[] = {
        {"time-out and parity", true, {false, true, 0x0010}, "previous", "TIMEOUT! COMM ERROR: PARITY!"},
        {"line errors append to the status line",
         false,
         {false, false, 0x0001 | 0x0040 | 0x0100},
         "abc",
         "abc COMM ERROR: INPUT LOST! COMM ERROR: FRAMING!"},
        {"an abandoned wait leaves it alone", true, {true, true, 0}, "kept", "kept"},
        // Longer than the 72-byte status line: the sanitizer build catches any write past it.
        {"every text after a time-out",
         false,
         {false, true, 0x0051},
         "",
         "TIMEOUT! COMM ERROR: INPUT LOST! COMM ERROR: PARITY! COMM ERROR: FRAMIN"},
    };
    for (const WaitRow &row : waits) {
        SCOPED_TRACE(row.name);
        CopyText(szStatus, row.before);
        EXPECT_EQ(-1, row.header ? headerVerdict(row.wait) : DataVerdict(row.wait));
        EXPECT_STREQ(szStatus, row.after);
    }
}

TEST(BoundedText, CopyAppendAndFormatNeverOverrun)
{
    struct {
        char text[8];
        char after[8];
    } s;
    std::memset(&s, 'x', sizeof s);
    CopyText(s.text, "0123456789");
    EXPECT_STREQ(s.text, "0123456");
    AppendText(s.text, "abc");
    EXPECT_STREQ(s.text, "0123456");
    CopyText(s.text, "ab");
    AppendText(s.text, "cdefghij");
    EXPECT_STREQ(s.text, "abcdefg");
    FormatText(s.text, sizeof s.text, "%d", 123456789);
    EXPECT_STREQ(s.text, "1234567");
    EXPECT_EQ(std::string(s.after, sizeof s.after), std::string(sizeof s.after, 'x'));
}

TEST(LinkTables, UnknownBaudIndexGives115200AndEachErrorCodeItsText)
{
    EXPECT_EQ(std::vector({BaudRateOfIndex(0), BaudRateOfIndex(2), BaudRateOfIndex(4), BaudRateOfIndex(7),
                           BaudRateOfIndex(-1)}),
              std::vector({9600L, 38400L, 115200L, 115200L, 115200L}));
    const std::vector<std::string> texts = {RS232ErrorText(-2),  RS232ErrorText(-4), RS232ErrorText(-5),
                                            RS232ErrorText(-99), TCPErrorText(-1),   TCPErrorText(-11),
                                            TCPErrorText(-20),   TCPErrorText(-21),  TCPErrorText(0)};
    EXPECT_EQ(texts, std::vector<std::string>({"Invalid port number", "Unknown I/0 error", "RS-232 error!", "Timeout",
                                               "UnableToRegisterService", "TimeOutError", "InfoNotAvailable",
                                               "Connection to server failed", "Connection to server failed"}));
}

} // namespace
