// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Frame level of the simulated sensor: building answer frames, finding requests in a byte stream
// that may hold garbage or arrive in arbitrary pieces, and corrupting answers on purpose.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mqsim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kSync = 0x55;
constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxRequestData = 512;

// One complete request taken off the line.
struct Request {
    uint8_t order = 0;
    uint16_t address = 0;
    Bytes data;
    bool dataCrcOk = true;
    Bytes frame; // header and data exactly as received
};

// Builds a frame with valid CRCs: header (sync, order, address, length, data CRC, header CRC) + data.
Bytes buildFrame(uint8_t order, uint16_t address, const uint8_t *data, size_t length);
inline Bytes buildFrame(uint8_t order, uint16_t address, const Bytes &data = {})
{
    return buildFrame(order, address, data.data(), data.size());
}
// Recomputes byte 7 after an edit of bytes 0..6.
void resealHeader(Bytes &frame);

// Collects the bytes of one line and cuts requests out of them. A header counts only with sync and
// a valid header CRC; otherwise one byte is dropped and the search goes on. A partial frame left
// alone for longer than the gap time is thrown away, as a real receiver's inter-byte time-out would,
// so one truncated request cannot swallow the next one.
class FrameAssembler {
public:
    static constexpr double kGapTimeout = 0.5;

    void feed(const uint8_t *data, size_t count, double now, std::vector<Request> &out);
    size_t pendingBytes() const { return buffer_.size() - start_; }
    void clear();

private:
    void extract(std::vector<Request> &out);

    Bytes buffer_;
    size_t start_ = 0;
    double lastByteTime_ = 0.0;
};

// What a fault does to an answer frame, and what the program's exchange then reports in its
// status line (the texts of link/frame.h). Any failed exchange ends Run, Video and a polled
// recording with their own time-out text; a triggered recording loses only that frame, unless
// Close took the TCP connection with it.
enum class Fault {
    None,            // the answer as it is: the exchange succeeds
    Silent,          // no answer at all: "TIMEOUT!" once the header wait runs out
    Late,            // the whole answer, held back --late-ms (2500 by default, past the program's
                     // 1.5 s serial / 2 s TCP wait): "TIMEOUT!"; the late answer is then refused
                     // as the stale one, or flushed by the next request
    BadHeaderCrc,    // header CRC (byte 7) inverted: "ATTENTION! RECEIVED HEADER FRAME IS INCORRECT!"
    BadSync,         // sync byte 0xAA instead of 0x55, header CRC resealed: the header text above
    BadDataCrc,      // data CRC (byte 6) inverted, header resealed: "ATTENTION! RECEIVED DATA FRAME
                     // IS INCORRECT!"; an answer without data is not checked and passes
    Error1,          // replaced by the sensor's error frame (order 0, address 1): "INVALIDE ORDER
                     // NUMBER!"
    Error2,          // replaced by the error frame order 0, address 2: "COMM ERROR! YOU MAY REDUCE
                     // BAUDRATE!"
    ShortLength,     // length announces 8 data bytes fewer than sent, the data CRC still over all
                     // of them: the data text above; answers under 16 data bytes go unchanged
    OversizedLength, // length 5000, more than the receive buffer holds, header resealed: the
                     // header text above
    Garbage,         // 16 pseudo-random bytes, never starting with sync, instead of the answer:
                     // the header text above
    Half,            // cut after the header and half the data (half the header when there is no
                     // data): "TIMEOUT!" while waiting for the rest
    Close,           // cut as Half, then the TCP connection is closed: "TIMEOUT!", and the link
                     // is down until Connect; on a pty as Half
};

std::optional<Fault> faultFromName(std::string_view name);
const char *faultName(Fault fault);
std::string faultNameList(); // "silent, late, ..." for messages and help

// How an answer is to be put on the line after the fault has shaped its bytes.
struct Delivery {
    Bytes bytes;             // what to send (empty: nothing)
    bool delayed = false;    // send after the late delay
    bool closeAfter = false; // close the connection once the bytes are out (TCP)
};

// Applies a fault to a well-formed answer frame. `garbageSeed` drives the garbage bytes.
Delivery applyFault(const Bytes &answer, Fault fault, uint32_t garbageSeed);

std::string toHex(const uint8_t *data, size_t count);
inline std::string toHex(const Bytes &bytes) { return toHex(bytes.data(), bytes.size()); }

} // namespace mqsim
