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

enum class Fault {
    None,
    Silent,
    Late,
    BadHeaderCrc,
    BadSync,
    BadDataCrc,
    Error1,
    Error2,
    ShortLength,
    OversizedLength,
    Garbage,
    Half,
    Close,
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
