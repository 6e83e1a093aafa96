// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mqsim {

namespace {

enum Order : uint8_t {
    kWriteRam = 1,
    kReadRam = 2,
    kWriteEeprom = 3,
    kReadEeprom = 4,
    kEcho = 5,
    kTeach = 6,
    kFirmware = 7,
    kMeasurement = 8,
    kCurve = 9,
    kHardwareInfo = 10,
    kResetOutput = 11,
    kCalibration = 12,
    kThresholdRam = 13,
    kThresholdEeprom = 14,
    kTriggerFrame = 0x12,
    kWriteCalHeader = 23,
    kReadCalHeader = 24,
    kErasePage = 180,
    kWriteBlock = 182,
    kBaudRate = 190,
    kHardwareDump = 194,
};

constexpr uint16_t kCalHeaderAddress = 0x1100;
constexpr uint16_t kDumpKey = 0x2BAD;
constexpr int kErrorUnknownOrder = 1;
constexpr int kErrorCommunication = 2;

template <typename T> Bytes bytesOf(const T &value)
{
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

Bytes curveBytes(const Curve &curve)
{
    Bytes bytes(curve.size() * 2);
    std::memcpy(bytes.data(), curve.data(), bytes.size());
    return bytes;
}

} // namespace

SensorEngine::SensorEngine(const EngineConfig &config, std::ostream &log)
    : identity_(config.identity), eepromPath_(config.eepromPath), log_(log), alwaysFault_(config.fault),
      lateMs_(config.lateMs), triggerMs_(config.triggerMs)
{
    setBaud(config.baud);
    eeprom_.params = defaultParamSet();
    eeprom_.threshold =
        thresholdFrom(emptyVideoAt(0.0, eeprom_.params, identity_), eeprom_.params.Video_Thd_Auto, adcMax(identity_));
    if (!eepromPath_.empty()) {
        EepromImage loaded;
        std::string message;
        if (loadEeprom(eepromPath_, loaded, message) == EepromLoad::Loaded)
            eeprom_ = loaded;
        else
            log_ << "mq-sensor-sim: " << message << '\n';
    }
    ram_ = eeprom_.params;
    ramThreshold_ = eeprom_.threshold;
    // The flash keeps what was written to it in earlier runs; a new sensor has its header.
    if (eeprom_.haveXflash)
        xflash_.setPages(eeprom_.xflash);
    else
        xflash_.installCalHeader(identity_);
}

void SensorEngine::setBaud(int baud)
{
    pacing_ = baud > 0;
    if (pacing_)
        lineBaud_ = baud;
}

int SensorEngine::baudForIndex(unsigned index)
{
    static constexpr int rates[] = {9600, 19200, 38400, 57600, 115200};
    return index < 5 ? rates[index] : 115200;
}

void SensorEngine::feed(FrameAssembler &line, const uint8_t *data, size_t count, double now, std::vector<Reply> &out)
{
    std::vector<Request> requests;
    line.feed(data, count, now, requests);
    for (const auto &request : requests)
        out.push_back(answer(request, now));
}

std::vector<Reply> SensorEngine::feed(const uint8_t *data, size_t count, double now)
{
    std::vector<Reply> replies;
    feed(defaultLine_, data, count, now, replies);
    return replies;
}

Reply SensorEngine::answer(const Request &request, double now)
{
    if (!std::isfinite(now))
        now = 0.0;
    ++stats_.requests;
    stats_.last = request.frame;
    stats_.orders.push_back(request.order);

    Reply reply;
    reply.order = request.order;
    reply.requestBytes = request.frame.size();
    // The answer to a baud-rate change still leaves at the old rate.
    reply.byteTime = byteTime();

    uint16_t address = request.address;
    int errorCode = 0;
    Bytes data;
    if (!request.dataCrcOk)
        errorCode = kErrorCommunication;
    else
        data = answerData(request, now, address, errorCode);
    const Bytes frame =
        errorCode != 0 ? buildFrame(0, static_cast<uint16_t>(errorCode)) : buildFrame(request.order, address, data);

    const bool onceApplies = onceFault_ != Fault::None && (onceOrder_ < 0 || onceOrder_ == request.order);
    reply.fault = onceApplies ? onceFault_ : alwaysFault_;
    if (onceApplies) {
        onceFault_ = Fault::None;
        onceOrder_ = -1;
    }
    if (reply.fault == Fault::None && errorCode == 0 && request.order == kMeasurement && data.size() >= 12)
        keepMeasurement(data.data());
    Delivery delivery = applyFault(frame, reply.fault, ++garbageCount_);
    reply.bytes = std::move(delivery.bytes);
    reply.closeAfter = delivery.closeAfter;
    reply.delay = delivery.delayed ? lateMs_ / 1000.0 : 0.0;
    return reply;
}

void SensorEngine::prepare(double now)
{
    model_.trackUntil(now, ram_, identity_, calibrating_, &ramThreshold_, scene_);
}

Bytes SensorEngine::answerData(const Request &request, double now, uint16_t &address, int &errorCode)
{
    const Bytes &in = request.data;
    switch (request.order) {
    case kWriteRam:
    case kWriteEeprom:
        if (in.size() != sizeof(ParamSet)) {
            errorCode = kErrorUnknownOrder;
            return {};
        }
        if (request.order == kWriteRam) {
            std::memcpy(&ram_, in.data(), sizeof(ParamSet));
        } else if (!eepromWorn_) {
            std::memcpy(&eeprom_.params, in.data(), sizeof(ParamSet));
            persistEeprom();
        }
        return {};
    case kReadRam:
        return bytesOf(ram_);
    case kReadEeprom:
        return bytesOf(eeprom_.params);
    case kEcho:
        address = identity_.serial;
        return {};
    case kTeach: {
        const MeasRecord record = model_.measure(now, ram_, identity_, calibrating_, &ramThreshold_, scene_);
        ram_.Teach_Value = record.M_VALUE;
        return bytesOf(ram_.Teach_Value);
    }
    case kFirmware: {
        address = identity_.serial;
        Bytes text(static_cast<size_t>(identity_.firmwareLength), 0);
        std::memcpy(text.data(), identity_.firmware.data(), std::min(text.size(), identity_.firmware.size()));
        return text;
    }
    case kMeasurement:
        return bytesOf(model_.measure(now, ram_, identity_, calibrating_, &ramThreshold_, scene_));
    case kCurve:
        if (request.address != 0)
            return curveBytes(ramThreshold_);
        lastVideoTime_ = now;
        return curveBytes(videoAt(now, ram_, identity_, scene_));
    case kHardwareInfo:
        return bytesOf(makeHwInfo(identity_));
    case kResetOutput:
        model_.resetExtremes();
        return {};
    case kCalibration:
        if (request.address == 0 || request.address == 1) {
            calibrating_ = request.address == 1;
        } else if (request.address == 2 && in.size() >= 4) {
            std::memcpy(&ram_.um_Slope, in.data(), 4);
            calibrating_ = false; // saving ends the calibration; no stop order follows
        } else {
            errorCode = kErrorUnknownOrder;
        }
        return {};
    case kThresholdRam:
    case kThresholdEeprom:
        ram_.Video_Thd_Auto = request.address;
        ramThreshold_ = thresholdFrom(emptyVideoAt(now, ram_, identity_, scene_), request.address, adcMax(identity_));
        if (request.order == kThresholdEeprom) {
            eeprom_.params.Video_Thd_Auto = request.address;
            eeprom_.threshold = ramThreshold_;
            persistEeprom();
        }
        return {};
    case kWriteCalHeader:
        xflash_.write(kCalHeaderAddress, in.data(), in.size());
        persistEeprom();
        return {};
    case kReadCalHeader: {
        const auto &page = xflash_.page(1);
        return Bytes(page.begin(), page.begin() + sizeof(CalHeader));
    }
    case kErasePage:
        if (!xflash_.erase(request.address))
            errorCode = kErrorUnknownOrder;
        else
            persistEeprom();
        return {};
    case kWriteBlock:
        if (!xflash_.write(request.address, in.data(), in.size()))
            errorCode = kErrorUnknownOrder;
        else
            persistEeprom();
        return {};
    case kBaudRate:
        lineBaud_ = baudForIndex(request.address);
        orderedBaud_ = lineBaud_;
        ram_.RS_232_Baudrate = static_cast<uint16_t>(request.address < 5 ? request.address : 4);
        return {};
    case kHardwareDump:
        if (request.address != kDumpKey) {
            errorCode = kErrorUnknownOrder;
            return {};
        }
        return hardwareDump();
    default:
        errorCode = kErrorUnknownOrder;
        return {};
    }
}

Reply SensorEngine::triggerReply(double now)
{
    Reply reply;
    reply.order = kTriggerFrame;
    reply.byteTime = byteTime();
    if (!triggeredMode())
        return reply;
    if (!std::isfinite(now))
        now = 0.0;
    if (triggerLimited_) {
        if (triggerLeft_ == 0)
            return reply;
        --triggerLeft_;
    }
    const Bytes record = bytesOf(model_.measure(now, ram_, identity_, calibrating_, nullptr, scene_));
    const Bytes frame = buildFrame(kTriggerFrame, 0, record.data(), 12);
    ++stats_.triggered;
    // A fault aimed at the triggered order damages (or holds back, or cuts off) the next
    // unsolicited frame as it would an answer.
    if (onceFault_ != Fault::None && onceOrder_ == kTriggerFrame) {
        reply.fault = onceFault_;
        onceFault_ = Fault::None;
        onceOrder_ = -1;
        Delivery delivery = applyFault(frame, reply.fault, ++garbageCount_);
        if (delivery.bytes == frame) // late, or a fault that leaves so short a frame alone
            keepMeasurement(record.data());
        reply.bytes = std::move(delivery.bytes);
        reply.closeAfter = delivery.closeAfter;
        reply.delay = delivery.delayed ? lateMs_ / 1000.0 : 0.0;
        return reply;
    }
    keepMeasurement(record.data());
    reply.bytes = frame;
    return reply;
}

void SensorEngine::keepMeasurement(const uint8_t *record)
{
    if (stats_.measurements.size() >= EngineStats::kMaxKept)
        stats_.measurements.pop_front();
    stats_.measurements.emplace_back(record, record + 12);
}

Bytes SensorEngine::hardwareDump() const
{
    // Identity records first, then a pattern seeded by serial and hardware type: stable across runs,
    // different between two simulated sensors.
    Bytes dump(512, 0);
    const HwInfo info = makeHwInfo(identity_);
    std::memcpy(dump.data(), &info, sizeof info);
    const size_t textLength = std::min<size_t>(72, identity_.firmware.size());
    std::memcpy(dump.data() + 32, identity_.firmware.data(), textLength);
    uint32_t state = (static_cast<uint32_t>(identity_.serial) << 16) ^ identity_.hardwareType ^ 0xA5A5A5A5u;
    for (size_t i = 104; i < dump.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        dump[i] = static_cast<uint8_t>(state >> 24);
    }
    return dump;
}

void SensorEngine::persistEeprom()
{
    if (eepromPath_.empty())
        return;
    eeprom_.xflash = xflash_.pages();
    eeprom_.haveXflash = true;
    std::string error;
    if (!saveEeprom(eepromPath_, eeprom_, error))
        log_ << "mq-sensor-sim: " << error << '\n';
}

} // namespace mqsim
