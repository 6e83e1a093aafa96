// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The simulator's protocol engine driven in-process: requests built, answers checked the
// way the program checks them.

#include "sim/engine.h"

#include "link/crc8.h"
#include "support/reference_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <tuple>

using namespace mqsim;

inline Bytes hexBytes(const char *text)
{
    Bytes bytes;
    std::istringstream in(text);
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

inline uint16_t u16At(const Bytes &bytes, size_t at) { return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)); }

inline uint8_t crcOver(const Bytes &bytes, size_t from, size_t count)
{
    return crc8Update(bytes.data(), static_cast<unsigned>(from), static_cast<unsigned>(count), crc8Array);
}

// Checks an answer the way the program does and hands back its parts.
struct Answer {
    uint8_t order = 0;
    uint16_t address = 0;
    Bytes data;
};

inline Answer parse(const Bytes &frame)
{
    Answer answer;
    EXPECT_GE(frame.size(), kHeaderSize);
    if (frame.size() < kHeaderSize)
        return answer;
    EXPECT_EQ(frame[0], kSync);
    EXPECT_EQ(crcOver(frame, 0, 8), 0) << "header CRC";
    const size_t length = u16At(frame, 4);
    EXPECT_EQ(frame.size(), kHeaderSize + length);
    answer.order = frame[1];
    answer.address = u16At(frame, 2);
    answer.data.assign(frame.begin() + kHeaderSize, frame.end());
    EXPECT_EQ(frame[6], length == 0 ? 0xAA : crcOver(frame, 8, length)) << "data CRC";
    return answer;
}

template <typename T> inline T recordFrom(const Answer &answer)
{
    T record{};
    EXPECT_EQ(answer.data.size(), sizeof(T));
    std::memcpy(&record, answer.data.data(), std::min(sizeof(T), answer.data.size()));
    return record;
}

template <typename T> inline Bytes bytesOf(const T &record) { return BytesOf(&record, sizeof(T)); }

class EngineTest : public ::testing::Test {
protected:
    std::ostringstream log;
    EngineConfig config;
    std::unique_ptr<SensorEngine> engine = std::make_unique<SensorEngine>(config, log);

    void restart()
    {
        log.str("");
        engine = std::make_unique<SensorEngine>(config, log);
    }

    Reply exchange(uint8_t order, uint16_t address = 0, const Bytes &data = {}, double now = 1.0)
    {
        const Bytes request = buildFrame(order, address, data);
        auto replies = engine->feed(request.data(), request.size(), now);
        EXPECT_EQ(replies.size(), 1u);
        return replies.empty() ? Reply{} : replies.front();
    }
    Answer ask(uint8_t order, uint16_t address = 0, const Bytes &data = {}, double now = 1.0)
    {
        return parse(exchange(order, address, data, now).bytes);
    }
    MeasRecord measure(double now) { return recordFrom<MeasRecord>(ask(8, 0, {}, now)); }
    ParamSet ramSet() { return recordFrom<ParamSet>(ask(2)); }
    Curve curve(uint16_t address, double now) { return recordFrom<Curve>(ask(9, address, {}, now)); }
    void writeRam(const ParamSet &set) { EXPECT_EQ(ask(1, 0, bytesOf(set)).order, 1); }
};
