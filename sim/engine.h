// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The simulated sensor without any I/O: bytes from the line go in, answer frames (already shaped by
// the selected fault) come out together with how they are to be delivered. Time is passed in, so
// tests are deterministic.

#include "measurement.h"
#include "protocol.h"
#include "records.h"
#include "state.h"

#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace mqsim {

struct EngineConfig {
    Identity identity;
    std::string eepromPath;    // empty: the EEPROM lives in memory only
    Fault fault = Fault::None; // applied to every answer
    int lateMs = 2500;
    int baud = 0;      // 0: no pacing
    int triggerMs = 0; // interval of the unsolicited frames of the triggered mode, 0 = none
};

struct Reply {
    Bytes bytes;               // what goes on the line; empty for a silent answer
    Fault fault = Fault::None; // the fault that shaped it
    uint8_t order = 0;         // order of the request answered
    size_t requestBytes = 0;   // length of that request, for the line model
    double delay = 0.0;        // seconds to hold the answer back (late fault)
    double byteTime = 0.0;     // seconds per byte on a paced line, 0 when unpaced
    bool closeAfter = false;   // drop the connection once the bytes are out
};

struct EngineStats {
    uint64_t requests = 0;
    Bytes last;                     // the last complete request, header and data
    std::vector<uint8_t> orders;    // order code of every request, in arrival order
    uint64_t triggered = 0;         // unsolicited frames sent, damaged ones included
    std::deque<Bytes> measurements; // first 12 bytes of each measurement record sent intact, the last kMaxKept
    static constexpr size_t kMaxKept = 2000;
};

class SensorEngine {
public:
    // Loads the EEPROM file named in the config (messages go to `log`); RAM starts as a copy.
    SensorEngine(const EngineConfig &config, std::ostream &log);

    // Requests are cut out per line, so every connection brings its own assembler.
    void feed(FrameAssembler &line, const uint8_t *data, size_t count, double now, std::vector<Reply> &out);
    std::vector<Reply> feed(const uint8_t *data, size_t count, double now);
    Reply answer(const Request &request, double now);
    // Work a request would otherwise do on arrival (the scans since the last record), done while
    // the line is busy with an answer, so the next answer is ready within its request's line time.
    void prepare(double now);

    // The unsolicited frame of the triggered serial mode, or nothing when that mode is not set.
    bool triggeredMode() const { return ram_.RS_232_Mode == 1; }
    Reply triggerReply(double now);
    Bytes triggerFrame(double now) { return triggerReply(now).bytes; }
    // Interval of those frames (0: none) and how many more may go (0: no limit).
    void setTriggerMs(int ms) { triggerMs_ = ms; }
    int triggerMs() const { return triggerMs_; }
    void setTriggerCount(uint64_t count)
    {
        triggerLeft_ = count;
        triggerLimited_ = count > 0;
    }

    void setFaultOnce(Fault fault)
    {
        onceFault_ = fault;
        onceOrder_ = -1;
    }
    // The fault hits the next answer to this order code only.
    void setFaultOnceForOrder(Fault fault, int order)
    {
        onceFault_ = fault;
        onceOrder_ = order;
    }
    void setFaultAlways(Fault fault) { alwaysFault_ = fault; }
    void clearFaults()
    {
        onceFault_ = alwaysFault_ = Fault::None;
        onceOrder_ = -1;
    }

    // Pacing: 0 switches it off; the line rate itself also follows the baud-rate order.
    void setBaud(int baud);
    int pacedBaud() const { return pacing_ ? lineBaud_ : 0; }
    // The rate a baud-rate order set, 0 before any such order: from then on a serial line
    // at another rate only brings noise to the sensor.
    int orderedBaud() const { return orderedBaud_; }
    void setLateMs(int ms) { lateMs_ = ms; }
    // A worn EEPROM: write orders are acknowledged, the set stays as it was.
    void setEepromWorn(bool worn) { eepromWorn_ = worn; }
    int lateMs() const { return lateMs_; }

    Identity &identity() { return identity_; }
    // What the light band meets besides the object (ambient light, dirt, defocus, noise).
    Scene &scene() { return scene_; }
    // The object's true edges when the last video profile was taken (pixels).
    EdgePair lastVideoEdges() const { return edgesAt(lastVideoTime_, ram_, identity_, calibrating_); }
    const ParamSet &ram() const { return ram_; }
    const ParamSet &eeprom() const { return eeprom_.params; }
    const Curve &ramThreshold() const { return ramThreshold_; }
    const Curve &eepromThreshold() const { return eeprom_.threshold; }
    const XFlash &xflash() const { return xflash_; }
    bool calibrating() const { return calibrating_; }

    const EngineStats &stats() const { return stats_; }
    void resetStats() { stats_ = {}; }

    static int baudForIndex(unsigned index);
    Bytes hardwareDump() const;

private:
    Bytes answerData(const Request &request, double now, uint16_t &address, int &errorCode);
    void keepMeasurement(const uint8_t *record);
    void persistEeprom();
    double byteTime() const { return pacing_ ? 10.0 / lineBaud_ : 0.0; }

    Identity identity_;
    std::string eepromPath_;
    std::ostream &log_;
    ParamSet ram_{};
    EepromImage eeprom_{};
    Curve ramThreshold_{};
    XFlash xflash_;
    MeasurementModel model_;
    Scene scene_;
    double lastVideoTime_ = 0.0;
    bool calibrating_ = false;
    Fault onceFault_ = Fault::None;
    int onceOrder_ = -1;
    Fault alwaysFault_ = Fault::None;
    bool pacing_ = false;
    int lineBaud_ = 115200;
    int orderedBaud_ = 0;
    int lateMs_ = 2500;
    uint32_t garbageCount_ = 0;
    int triggerMs_ = 0;
    uint64_t triggerLeft_ = 0;
    bool triggerLimited_ = false;
    bool eepromWorn_ = false;
    EngineStats stats_;
    FrameAssembler defaultLine_;
};

} // namespace mqsim
