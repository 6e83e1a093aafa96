// SPDX-License-Identifier: GPL-3.0-or-later

#include "protocol.h"

#include "link/crc8.h"

#include <algorithm>
#include <array>

namespace mqsim {

namespace {

uint8_t crcOf(const uint8_t *data, size_t count)
{
    return count == 0 ? 0xAA : crc8Update(data, 0, static_cast<unsigned>(count), crc8Array);
}

void putU16(Bytes &frame, size_t at, uint16_t value)
{
    frame[at] = static_cast<uint8_t>(value & 0xFF);
    frame[at + 1] = static_cast<uint8_t>(value >> 8);
}

struct FaultEntry {
    Fault fault;
    const char *name;
};

constexpr std::array<FaultEntry, 13> kFaults{{
    {Fault::None, "none"},
    {Fault::Silent, "silent"},
    {Fault::Late, "late"},
    {Fault::BadHeaderCrc, "bad-header-crc"},
    {Fault::BadSync, "bad-sync"},
    {Fault::BadDataCrc, "bad-data-crc"},
    {Fault::Error1, "error-1"},
    {Fault::Error2, "error-2"},
    {Fault::ShortLength, "short-length"},
    {Fault::OversizedLength, "oversized-length"},
    {Fault::Garbage, "garbage"},
    {Fault::Half, "half"},
    {Fault::Close, "close"},
}};

// Header plus half the data; an answer without data loses half its header instead, so the
// receiver is always left waiting for bytes that never come.
Bytes truncatedAnswer(const Bytes &answer)
{
    const size_t dataLength = answer.size() - kHeaderSize;
    const size_t keep = dataLength == 0 ? kHeaderSize / 2 : kHeaderSize + dataLength / 2;
    return Bytes(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(keep));
}

} // namespace

Bytes buildFrame(uint8_t order, uint16_t address, const uint8_t *data, size_t length)
{
    Bytes frame(kHeaderSize + length);
    frame[0] = kSync;
    frame[1] = order;
    putU16(frame, 2, address);
    putU16(frame, 4, static_cast<uint16_t>(length));
    if (length > 0)
        std::copy(data, data + length, frame.begin() + kHeaderSize);
    frame[6] = crcOf(frame.data() + kHeaderSize, length);
    resealHeader(frame);
    return frame;
}

void resealHeader(Bytes &frame) { frame[7] = crc8Update(frame.data(), 0, 7, crc8Array); }

void FrameAssembler::clear()
{
    buffer_.clear();
    start_ = 0;
}

void FrameAssembler::feed(const uint8_t *data, size_t count, double now, std::vector<Request> &out)
{
    if (count == 0)
        return;
    if (pendingBytes() > 0 && now - lastByteTime_ > kGapTimeout)
        clear();
    lastByteTime_ = now;
    buffer_.insert(buffer_.end(), data, data + count);
    extract(out);
}

void FrameAssembler::extract(std::vector<Request> &out)
{
    for (;;) {
        auto sync = std::find(buffer_.begin() + static_cast<std::ptrdiff_t>(start_), buffer_.end(), kSync);
        if (sync == buffer_.end()) {
            clear();
            return;
        }
        start_ = static_cast<size_t>(sync - buffer_.begin());
        if (pendingBytes() < kHeaderSize)
            break;
        const uint8_t *head = buffer_.data() + start_;
        const size_t length = head[4] | (head[5] << 8);
        if (crc8Update(head, 0, kHeaderSize, crc8Array) != 0 || length > kMaxRequestData) {
            ++start_;
            continue;
        }
        if (pendingBytes() < kHeaderSize + length)
            break;
        Request request;
        request.order = head[1];
        request.address = static_cast<uint16_t>(head[2] | (head[3] << 8));
        request.frame.assign(head, head + kHeaderSize + length);
        request.data.assign(head + kHeaderSize, head + kHeaderSize + length);
        request.dataCrcOk = crcOf(request.data.data(), length) == head[6];
        start_ += kHeaderSize + length;
        out.push_back(std::move(request));
    }
    if (start_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
}

std::optional<Fault> faultFromName(std::string_view name)
{
    for (const auto &entry : kFaults)
        if (name == entry.name)
            return entry.fault;
    return std::nullopt;
}

const char *faultName(Fault fault)
{
    for (const auto &entry : kFaults)
        if (entry.fault == fault)
            return entry.name;
    return "?";
}

std::string faultNameList()
{
    std::string list;
    for (const auto &entry : kFaults) {
        if (entry.fault == Fault::None)
            continue;
        if (!list.empty())
            list += ", ";
        list += entry.name;
    }
    return list;
}

Delivery applyFault(const Bytes &answer, Fault fault, uint32_t garbageSeed)
{
    Delivery delivery;
    const size_t dataLength = answer.size() - kHeaderSize;
    switch (fault) {
    case Fault::None:
        delivery.bytes = answer;
        break;
    case Fault::Silent:
        break;
    case Fault::Late:
        delivery.bytes = answer;
        delivery.delayed = true;
        break;
    case Fault::BadHeaderCrc:
        delivery.bytes = answer;
        delivery.bytes[7] ^= 0xFF;
        break;
    case Fault::BadSync:
        delivery.bytes = answer;
        delivery.bytes[0] = 0xAA;
        resealHeader(delivery.bytes);
        break;
    case Fault::BadDataCrc:
        delivery.bytes = answer;
        delivery.bytes[6] ^= 0xFF;
        resealHeader(delivery.bytes);
        break;
    case Fault::Error1:
        delivery.bytes = buildFrame(0, 1);
        break;
    case Fault::Error2:
        delivery.bytes = buildFrame(0, 2);
        break;
    case Fault::ShortLength:
        delivery.bytes = answer;
        if (dataLength >= 16) {
            // Byte 6 keeps covering everything sent, so a check over the announced bytes fails.
            // One data set in 256 gives both spans the same check; then the last byte, which a
            // receiver never reads, is changed, and a CRC tells any one changed byte.
            const size_t announced = dataLength - 8;
            if (crcOf(answer.data() + kHeaderSize, announced) == answer[6]) {
                delivery.bytes.back() ^= 0xFF;
                delivery.bytes[6] = crcOf(delivery.bytes.data() + kHeaderSize, dataLength);
            }
            putU16(delivery.bytes, 4, static_cast<uint16_t>(announced));
            resealHeader(delivery.bytes);
        }
        break;
    case Fault::OversizedLength:
        delivery.bytes = answer;
        putU16(delivery.bytes, 4, 5000);
        resealHeader(delivery.bytes);
        break;
    case Fault::Garbage: {
        uint32_t state = garbageSeed * 2654435761u + 0x9E3779B9u;
        if (state == 0)
            state = 1; // xorshift would stay at zero
        delivery.bytes.resize(16);
        for (auto &byte : delivery.bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<uint8_t>(state >> 24);
        }
        if (delivery.bytes[0] == kSync)
            delivery.bytes[0] = 0xA5;
        break;
    }
    case Fault::Half:
        delivery.bytes = truncatedAnswer(answer);
        break;
    case Fault::Close:
        delivery.bytes = truncatedAnswer(answer);
        delivery.closeAfter = true;
        break;
    }
    return delivery;
}

std::string toHex(const uint8_t *data, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text(count * 2, '0');
    for (size_t i = 0; i < count; ++i) {
        text[2 * i] = digits[data[i] >> 4];
        text[2 * i + 1] = digits[data[i] & 0x0F];
    }
    return text;
}

} // namespace mqsim
