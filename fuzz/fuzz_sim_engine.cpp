// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes from the line, cut into chunks of arbitrary sizes, fed to the simulator's engine:
// it must never crash, hang or touch memory outside its buffers, whatever the orders, addresses,
// lengths and data, and whatever fault is selected.

#include "sim/control.h"
#include "sim/engine.h"

#include "link/crc8.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static std::ostringstream log;
    log.str("");
    mqsim::EngineConfig config; // no EEPROM file: the fuzzer must not write to disk
    mqsim::SensorEngine engine(config, log);
    mqsim::FrameAssembler line;
    std::vector<mqsim::Reply> replies;

    // First byte picks a fault for every answer and the triggered mode; then each chunk starts with
    // one byte giving its length, so the fuzzer controls how the stream is split.
    if (size == 0)
        return 0;
    static constexpr mqsim::Fault faults[] = {
        mqsim::Fault::None,        mqsim::Fault::Silent,          mqsim::Fault::Late,    mqsim::Fault::BadHeaderCrc,
        mqsim::Fault::BadSync,     mqsim::Fault::BadDataCrc,      mqsim::Fault::Error1,  mqsim::Fault::Error2,
        mqsim::Fault::ShortLength, mqsim::Fault::OversizedLength, mqsim::Fault::Garbage, mqsim::Fault::Half,
        mqsim::Fault::Close};
    const mqsim::Fault fault = faults[data[0] % (sizeof faults / sizeof faults[0])];
    engine.setFaultAlways(fault);
    if (data[0] & 0x80)
        engine.setBaud(9600);
    size_t at = 1;
    double now = 0.0;
    while (at < size) {
        const size_t chunk = data[at++] % 97 + 1;
        const size_t take = std::min(chunk, size - at);
        engine.feed(line, data + at, take, now, replies);
        const uint8_t last = take > 0 ? data[at + take - 1] : 0;
        at += take;
        now += (last & 0x0F) * 0.1; // now and then long enough to drop a partial frame
        (void)engine.triggerFrame(now);
        if (line.pendingBytes() > mqsim::kHeaderSize + mqsim::kMaxRequestData)
            __builtin_trap();
    }
    for (const auto &reply : replies) {
        const mqsim::Bytes &b = reply.bytes;
        if (b.size() > mqsim::kHeaderSize + 5000)
            __builtin_trap();
        // Without a fault every answer is one whole frame with a sound header.
        if (fault == mqsim::Fault::None &&
            (b.size() < mqsim::kHeaderSize || b[0] != mqsim::kSync || crc8Update(b.data(), 0, 8, crc8Array) != 0 ||
             b.size() != mqsim::kHeaderSize + (b[4] | b[5] << 8)))
            __builtin_trap();
    }

    // The control channel takes text from outside too.
    mqsim::ControlInterpreter control(engine);
    (void)control.execute(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
