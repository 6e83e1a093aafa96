// Protocol engine of the sensor simulator: framing, every order, faults, XFLASH, EEPROM file,
// line model, command line and control commands.

#include "sim/control.h"
#include "sim/engine.h"
#include "sim/options.h"
#include "sim/pacing.h"

#include "link/crc8.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace mqsim;

namespace {

Bytes hexBytes(const char *text)
{
    Bytes bytes;
    std::istringstream in(text);
    unsigned value = 0;
    while (in >> std::hex >> value)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

uint16_t u16At(const Bytes &bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint8_t crcOver(const Bytes &bytes, size_t from, size_t count)
{
    return crc8Update(bytes.data(), static_cast<unsigned>(from), static_cast<unsigned>(count), crc8Array);
}

// Checks an answer the way the program does and hands back its parts.
struct Answer {
    uint8_t order = 0;
    uint16_t address = 0;
    Bytes data;
};

Answer parse(const Bytes &frame)
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

template <typename T> T recordFrom(const Answer &answer)
{
    T record{};
    EXPECT_EQ(answer.data.size(), sizeof(T));
    std::memcpy(&record, answer.data.data(), std::min(sizeof(T), answer.data.size()));
    return record;
}

template <typename T> Bytes bytesOf(const T &record)
{
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &record, sizeof(T));
    return bytes;
}

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
    Curve curve(uint16_t address, double now)
    {
        const Answer answer = ask(9, address, {}, now);
        Curve values{};
        EXPECT_EQ(answer.data.size(), 512u);
        std::memcpy(values.data(), answer.data.data(), std::min<size_t>(512, answer.data.size()));
        return values;
    }
    void writeRam(const ParamSet &set) { EXPECT_EQ(ask(1, 0, bytesOf(set)).order, 1); }
};

// --------------------------------------------------------------------------------------------
// Framing

TEST(Framing, BuildsRequestsAndAnswersByteExactly)
{
    EXPECT_EQ(buildFrame(5, 0), hexBytes("55 05 00 00 00 00 aa 3c"));
    EXPECT_EQ(buildFrame(6, 0, Bytes{0x00, 0x02}), hexBytes("55 06 00 00 02 00 b5 f6 00 02"));
    EXPECT_EQ(buildFrame(0, 2), hexBytes("55 00 02 00 00 00 aa 54"));
}

TEST_F(EngineTest, ExactAnswersForEchoErrorsAndReset)
{
    EXPECT_EQ(exchange(5).bytes, hexBytes("55 05 67 12 00 00 aa 43")); // address = serial 4711
    EXPECT_EQ(exchange(11).bytes, hexBytes("55 0b 00 00 00 00 aa 2f"));
    EXPECT_EQ(exchange(0).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    EXPECT_EQ(exchange(99).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    EXPECT_EQ(exchange(0x12).bytes, hexBytes("55 00 01 00 00 00 aa 1a")); // sent by the sensor, never asked
}

TEST_F(EngineTest, BadDataCrcGetsCommunicationError)
{
    Bytes request = buildFrame(1, 0, bytesOf(defaultParamSet()));
    request[8] ^= 0x01; // data no longer matches byte 6, header still valid
    auto replies = engine->feed(request.data(), request.size(), 1.0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, hexBytes("55 00 02 00 00 00 aa 54"));
    EXPECT_EQ(ramSet().Power, 500) << "a corrupt write must not reach RAM";
}

TEST_F(EngineTest, ResyncsAfterGarbageAndAcrossChunks)
{
    Bytes stream = {0x00, 0x55, 0x55, 0x13, 0xFF}; // stray syncs that start no valid header
    Bytes badHeader = buildFrame(2, 0);
    badHeader[7] ^= 0x40;
    stream.insert(stream.end(), badHeader.begin(), badHeader.end());
    Bytes huge = buildFrame(2, 0);
    huge[4] = 0x01; // announces 513 bytes: treated as no header at all
    huge[5] = 0x02;
    resealHeader(huge);
    stream.insert(stream.end(), huge.begin(), huge.end());
    for (const Bytes &request : {buildFrame(5, 0), buildFrame(1, 0, bytesOf(defaultParamSet())), buildFrame(10, 0)})
        stream.insert(stream.end(), request.begin(), request.end());
    stream.push_back(0x55); // start of something that never completes

    for (size_t chunk : {size_t{1}, size_t{3}, size_t{7}, stream.size()}) {
        SCOPED_TRACE(chunk);
        FrameAssembler line;
        std::vector<Reply> replies;
        for (size_t at = 0; at < stream.size(); at += chunk)
            engine->feed(line, stream.data() + at, std::min(chunk, stream.size() - at), 1.0, replies);
        ASSERT_EQ(replies.size(), 3u);
        EXPECT_EQ(parse(replies[0].bytes).order, 5);
        EXPECT_EQ(parse(replies[1].bytes).order, 1);
        EXPECT_EQ(parse(replies[2].bytes).order, 10);
        EXPECT_EQ(line.pendingBytes(), 1u);
    }
}

TEST_F(EngineTest, StaleHalfRequestDoesNotSwallowTheNextOne)
{
    const Bytes write = buildFrame(1, 0, bytesOf(defaultParamSet()));
    std::vector<Reply> replies;
    FrameAssembler line;
    engine->feed(line, write.data(), 20, 1.0, replies); // header + 12 of 60 data bytes, then silence
    const Bytes echo = buildFrame(5, 0);
    engine->feed(line, echo.data(), echo.size(), 1.0 + 2 * FrameAssembler::kGapTimeout, replies);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(parse(replies[0].bytes).order, 5);
}

TEST_F(EngineTest, RandomBytesNeverCrashOrGrowTheBuffer)
{
    std::mt19937 random(7);
    FrameAssembler line;
    std::vector<Reply> replies;
    for (int round = 0; round < 3000; ++round) {
        Bytes chunk(random() % 64);
        for (auto &byte : chunk)
            byte = static_cast<uint8_t>(random() % 4 == 0 ? 0x55 : random());
        if (round % 50 == 0) { // sprinkle valid requests with random orders and data
            Bytes data(random() % 100);
            const Bytes request = buildFrame(static_cast<uint8_t>(random()), static_cast<uint16_t>(random()), data);
            chunk.insert(chunk.end(), request.begin(), request.end());
        }
        engine->feed(line, chunk.data(), chunk.size(), round * 0.01, replies);
        ASSERT_LE(line.pendingBytes(), kHeaderSize + kMaxRequestData);
    }
    for (const auto &reply : replies)
        parse(reply.bytes);
    EXPECT_EQ(engine->stats().requests, replies.size());
}

// --------------------------------------------------------------------------------------------
// Identification orders

TEST_F(EngineTest, FirmwareTextIsPaddedTruncatedAndCarriesSerial)
{
    Answer answer = ask(7);
    EXPECT_EQ(answer.address, 4711);
    ASSERT_EQ(answer.data.size(), 72u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(answer.data.data())), "K-VOR-MQ.V4.06 20-CL 2016");
    EXPECT_EQ(answer.data.back(), 0);

    config.identity.firmwareLength = 40;
    config.identity.firmware = std::string(50, 'X');
    config.identity.serial = 17;
    restart();
    answer = ask(7);
    EXPECT_EQ(answer.address, 17);
    EXPECT_EQ(answer.data, Bytes(40, 'X'));
}

TEST_F(EngineTest, HardwareInfoRecordFollowsIdentity)
{
    config.identity.receiverType = 736213;
    config.identity.hardwareType = 517422;
    config.identity.firmwareNo = -5;
    config.identity.pixelCount = 1000;
    config.identity.adcCode = 256;
    config.identity.serial = 0xBEEF;
    restart();
    const Answer answer = ask(10);
    ASSERT_EQ(answer.data.size(), 32u);
    const auto info = recordFrom<HwInfo>(answer);
    EXPECT_EQ(info.receiverType, 736213u);
    EXPECT_EQ(info.hardwareType, 517422u);
    EXPECT_EQ(info.serialNo, 0xBEEF);
    EXPECT_EQ(info.firmwareNo, -5);
    EXPECT_EQ(u16At(answer.data, 12), 1024);
    EXPECT_EQ(info.pixelCount, 1000) << "reported as configured; the program does its own rounding";
    EXPECT_EQ(u16At(answer.data, 16), 1);
    EXPECT_EQ(u16At(answer.data, 18), 1024);
    EXPECT_EQ(info.adcCode, 256);
    EXPECT_EQ(Bytes(answer.data.begin() + 22, answer.data.end()), Bytes(10, 0));
}

TEST_F(EngineTest, HardwareDumpIsDeterministicPerIdentity)
{
    const Answer first = ask(194, 0x2BAD);
    ASSERT_EQ(first.data.size(), 512u);
    EXPECT_EQ(first.address, 0x2BAD);
    EXPECT_EQ(ask(194, 0x2BAD, {}, 50.0).data, first.data) << "no time dependence";
    EXPECT_EQ(ask(194, 0x1234).order, 0);

    config.identity.serial = 4712;
    restart();
    EXPECT_NE(ask(194, 0x2BAD).data, first.data);
}

// --------------------------------------------------------------------------------------------
// Parameter sets

TEST_F(EngineTest, ParameterSetsStartWithDefaultsAndKeepRamApartFromEeprom)
{
    const Answer ram = ask(2);
    ASSERT_EQ(ram.data.size(), 60u);
    const auto set = recordFrom<ParamSet>(ram);
    EXPECT_EQ(set.Power, 500);
    EXPECT_EQ(set.Eval_Mode, 1);
    EXPECT_EQ(set.Eval_End, 1024);
    EXPECT_EQ(set.Teach_Value, 512);
    EXPECT_EQ(set.Hardware_Mode, 1);
    EXPECT_EQ(set.Video_Thd_Auto, 70);
    EXPECT_EQ(set.RS_232_Baudrate, 4);
    EXPECT_EQ(Bytes(ram.data.begin() + 56, ram.data.end()), hexBytes("00 40 01 00")); // 81920
    EXPECT_EQ(ask(4).data, ram.data);

    ParamSet changed = set;
    changed.Power = 777;
    changed.Free_Para = 0xABCD;
    const Answer written = ask(1, 0, bytesOf(changed));
    EXPECT_EQ(written.order, 1);
    EXPECT_TRUE(written.data.empty());
    EXPECT_EQ(ask(2).data, bytesOf(changed));
    EXPECT_EQ(ask(4).data, ram.data);

    changed.Power = 111;
    ask(3, 0, bytesOf(changed));
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Power, 111);
    EXPECT_EQ(recordFrom<ParamSet>(ask(2)).Power, 777);

    EXPECT_EQ(ask(1, 0, Bytes(59, 0)).order, 0) << "a set must be exactly 60 bytes";
    EXPECT_EQ(ramSet().Power, 777);
}

// --------------------------------------------------------------------------------------------
// Measurement, teach, extremes, calibration

TEST_F(EngineTest, MeasurementRecordIsConsistent)
{
    for (double t : {0.0, 3.3, 17.0, 400.5}) {
        SCOPED_TRACE(t);
        const MeasRecord record = measure(t);
        EXPECT_EQ(record.EDGES, 2);
        EXPECT_GE(record.E_LEFT, 1);
        EXPECT_LT(record.E_LEFT, record.E_RIGHT);
        EXPECT_LE(record.E_RIGHT, 1024) << "inside the evaluation window";
        EXPECT_EQ(record.M_VALUE, record.E_RIGHT) << "Eval-Mode 1 is the right edge";
        EXPECT_EQ(record.M_VAL_um, record.M_VALUE * 5u);
        EXPECT_EQ(record.SETPOINT, 512);
        EXPECT_EQ(record.DARK_PIXELS, record.E_RIGHT - record.E_LEFT);
        EXPECT_EQ(record.CYCLE_TIME, 1000u + 4096u / 8u) << "standard exposure plus the read-out of 4096 pixels";
        EXPECT_EQ(record.AUTO_TOL, 0);
        EXPECT_EQ(record.DYN_POWER, 500);
        EXPECT_GE(record.IN_STATE, 1);
        EXPECT_LE(record.IN_STATE, 6);
    }
}

TEST_F(EngineTest, EdgesMoveSlowlyButDoMove)
{
    const MeasRecord a = measure(10.0);
    const MeasRecord b = measure(10.002);
    EXPECT_LE(std::abs(a.E_LEFT - b.E_LEFT), 3);
    EXPECT_LE(std::abs(a.E_RIGHT - b.E_RIGHT), 3);
    const MeasRecord later = measure(16.0);
    EXPECT_GT(std::abs(a.E_LEFT - later.E_LEFT) + std::abs(a.E_RIGHT - later.E_RIGHT), 10);
    EXPECT_EQ(measure(16.0).E_LEFT, later.E_LEFT) << "same time, same record";
}

TEST_F(EngineTest, ParameterSetShapesTheMeasurement)
{
    ParamSet set = defaultParamSet();
    set.Eval_Begin = 2000;
    set.Eval_End = 3000;
    set.Eval_Mode = 0;
    set.Average = 8;
    set.Tolerance_Mode = 10;
    set.Power_Mode = 1;
    set.um_Slope = 40960; // 2.5 um per pixel
    writeRam(set);
    MeasRecord record = measure(5.0);
    EXPECT_GE(record.E_LEFT, 2000);
    EXPECT_LE(record.E_RIGHT, 3000);
    EXPECT_EQ(record.M_VALUE, record.E_LEFT);
    EXPECT_EQ(record.M_VAL_um, record.M_VALUE * 5u / 2u);
    EXPECT_EQ(record.CYCLE_TIME, 1512u) << "averaging smooths, it does not slow the scan";
    EXPECT_EQ(record.AUTO_TOL, 51);
    EXPECT_NE(record.DYN_POWER, 500) << "the sensor picks its own power";

    set.Eval_Mode = 2;
    set.Power_Mode = 2;
    writeRam(set);
    record = measure(5.0);
    EXPECT_EQ(record.M_VALUE, (record.E_LEFT + record.E_RIGHT) / 2);
    EXPECT_GT(record.DYN_EXPOSURE, 0);

    set.Eval_Begin = 900; // reversed window: the whole line is used instead
    set.Eval_End = 100;
    writeRam(set);
    record = measure(5.0);
    EXPECT_LT(record.E_LEFT, record.E_RIGHT);
    EXPECT_LE(record.E_RIGHT, 4096);
}

TEST_F(EngineTest, TeachTakesTheCurrentValueAsSetPoint)
{
    const MeasRecord before = measure(7.0);
    const Answer answer = ask(6, 0, {}, 7.0);
    ASSERT_EQ(answer.data.size(), 2u);
    EXPECT_EQ(u16At(answer.data, 0), before.M_VALUE);
    EXPECT_EQ(ramSet().Teach_Value, before.M_VALUE);
    EXPECT_EQ(measure(8.0).SETPOINT, before.M_VALUE);
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Teach_Value, 512) << "teach changes RAM only";
}

TEST_F(EngineTest, ExtremesCoverEveryScanUntilReset)
{
    uint16_t highest = 0, lowest = 0xFFFF;
    MeasRecord record{};
    for (int i = 0; i <= 40; ++i) {
        record = measure(1.0 + i * 0.5);
        highest = std::max(highest, record.M_VALUE);
        lowest = std::min(lowest, record.M_VALUE);
        EXPECT_GE(record.MAX_VALUE, highest);
        EXPECT_LE(record.MIN_VALUE, lowest);
    }
    EXPECT_GT(record.MAX_VALUE, record.MIN_VALUE);

    // Two records far apart still see the swing in between.
    ask(11, 0, {}, 100.0);
    const MeasRecord first = measure(100.0);
    EXPECT_EQ(first.MAX_VALUE, first.M_VALUE);
    EXPECT_EQ(first.MIN_VALUE, first.M_VALUE);
    const MeasRecord second = measure(130.0);
    EXPECT_GT(second.MAX_VALUE - second.MIN_VALUE, std::abs(second.M_VALUE - first.M_VALUE));
}

TEST_F(EngineTest, CalibrationModeMeasuresWidthAndSaveSetsSlope)
{
    EXPECT_EQ(ask(12, 1).order, 12);
    EXPECT_TRUE(engine->calibrating());
    const MeasRecord a = measure(3.0);
    EXPECT_EQ(a.M_VALUE, a.E_RIGHT - a.E_LEFT) << "the operator reads the reference size";
    EXPECT_LE(std::abs(measure(9.0).M_VALUE - a.M_VALUE), 2) << "a reference object does not change size";

    EXPECT_EQ(ask(12, 2, Bytes{0x00, 0xE0, 0x00, 0x00}).order, 12); // 57344 = 3.5 um per pixel
    EXPECT_EQ(ramSet().um_Slope, 57344u);
    EXPECT_FALSE(engine->calibrating());
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).um_Slope, 81920u);

    EXPECT_EQ(ask(12, 2, Bytes{1, 2}).order, 0) << "save without a slope";
    EXPECT_EQ(ask(12, 3).order, 0);
    ask(12, 1);
    ask(12, 0);
    EXPECT_FALSE(engine->calibrating());
}

TEST_F(EngineTest, CalibrationModeReportsTheReferenceObjectsSizeInPixels)
{
    // 20 mm over 4096 pixels: a 10 mm reference covers 2048 pixels, whatever the window.
    ParamSet narrow = defaultParamSet();
    narrow.Eval_Begin = 100;
    narrow.Eval_End = 400;
    writeRam(narrow);
    ask(12, 1);
    for (double t : {1.0, 7.5, 13.0, 40.0}) {
        SCOPED_TRACE(t);
        const MeasRecord record = measure(t);
        EXPECT_NEAR(record.M_VALUE, 2048, 2);
        EXPECT_GE(record.E_LEFT, 1);
        EXPECT_LE(record.E_RIGHT, 4096);
    }

    config.identity.referenceUm = 5000;
    config.identity.hardwareType = 517314; // 40 mm: 9.77 um per pixel
    restart();
    ask(12, 1);
    EXPECT_NEAR(measure(2.0).M_VALUE, 512, 2);

    // A reference larger than the line still leaves two edges on it.
    config.identity.referenceUm = 900000;
    restart();
    ask(12, 1);
    const MeasRecord huge = measure(3.0);
    EXPECT_GT(huge.E_LEFT, 0);
    EXPECT_LT(huge.E_RIGHT, 4096);
    EXPECT_GT(huge.M_VALUE, 4000);
}

// --------------------------------------------------------------------------------------------
// Video and threshold

TEST_F(EngineTest, VideoShowsTheShadowBetweenTheEdges)
{
    ParamSet set = defaultParamSet();
    set.Eval_End = 4096;
    writeRam(set);
    const double t = 12.0;
    const MeasRecord record = measure(t);
    const Curve video = curve(0, t);
    const int pointsPerPixel = 4096 / 256;
    const int middle = (record.E_LEFT + record.E_RIGHT) / 2 / pointsPerPixel;
    const int outside = record.E_LEFT / pointsPerPixel / 2;
    EXPECT_LT(video[static_cast<size_t>(middle)], 150);
    EXPECT_GT(video[static_cast<size_t>(outside)], 600);
    for (uint16_t value : video)
        EXPECT_LT(value, 1024);

    set.Power = 250;
    writeRam(set);
    EXPECT_LT(curve(0, t)[static_cast<size_t>(outside)], video[static_cast<size_t>(outside)] * 3 / 4);

    config.identity.adcCode = 256;
    restart();
    for (uint16_t value : curve(0, t))
        EXPECT_LT(value, 256);
}

TEST_F(EngineTest, ThresholdSaveRecomputesProfileInRamThenEeprom)
{
    const Curve initial = curve(1, 1.0);
    EXPECT_EQ(curve(5, 1.0), initial) << "any non-zero address is the threshold profile";
    EXPECT_GT(*std::max_element(initial.begin(), initial.end()), 0);

    EXPECT_EQ(ask(13, 50, {}, 20.0).order, 13);
    const Curve video = curve(0, 20.0);
    const Curve threshold = curve(1, 21.0);
    EXPECT_NE(threshold, initial);
    const size_t bright = static_cast<size_t>(std::max_element(video.begin(), video.end()) - video.begin());
    EXPECT_NEAR(threshold[bright], video[bright] / 2.0, 40.0);
    EXPECT_EQ(ramSet().Video_Thd_Auto, 50);
    EXPECT_EQ(engine->eepromThreshold(), initial);
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Video_Thd_Auto, 70);

    ask(14, 30, {}, 22.0);
    EXPECT_EQ(engine->eepromThreshold(), engine->ramThreshold());
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Video_Thd_Auto, 30);
}

// --------------------------------------------------------------------------------------------
// XFLASH

TEST_F(EngineTest, CalibrationHeaderStartsValidForTheIdentity)
{
    const Answer answer = ask(24, 0x1100);
    ASSERT_EQ(answer.data.size(), 24u);
    const auto header = recordFrom<CalHeader>(answer);
    EXPECT_EQ(header.HW_TYPE, 517318);
    EXPECT_EQ(header.SER_NO, 4711);
    EXPECT_EQ(header.XF_DIVISOR, 1);
    EXPECT_EQ(header.XF_SIZE, 2048);
    EXPECT_EQ(header.reserved, 0);
    EXPECT_EQ(header.UM_SLOPE, 81920u);
    EXPECT_EQ(header.UM_OFFSET, 0);
    EXPECT_EQ(header.UM_RANGE, 20000);
    XFlash::Page erased;
    erased.fill(0xFF);
    EXPECT_EQ(engine->xflash().page(0), erased);
    EXPECT_EQ(engine->xflash().page(1)[24], 0xFF) << "only the header is written";
}

TEST_F(EngineTest, EraseAcceptsOnlyPageStarts)
{
    for (uint16_t address : {0x1000, 0x1100, 0x1F00})
        EXPECT_EQ(ask(180, address).order, 180) << std::hex << address;
    for (uint16_t address : {0x0F00, 0x1080, 0x1001, 0x2000, 0xFFFF}) {
        const Answer answer = ask(180, address);
        EXPECT_EQ(answer.order, 0) << std::hex << address;
        EXPECT_EQ(answer.address, 1);
    }
    EXPECT_EQ(engine->xflash().page(1)[0], 0xFF) << "erasing page 1 wiped the header";
}

TEST_F(EngineTest, BlockWritesHaveFlashSemantics)
{
    ask(182, 0x1200, Bytes{0xF0, 0xFF, 0x00});
    ask(182, 0x1200, Bytes{0x3C, 0x0F, 0xFF});
    const auto &page = engine->xflash().page(2);
    EXPECT_EQ(page[0], 0x30) << "bits only clear until the page is erased";
    EXPECT_EQ(page[1], 0x0F);
    EXPECT_EQ(page[2], 0x00);
    EXPECT_EQ(page[3], 0xFF);
    ask(180, 0x1200);
    ask(182, 0x1200, Bytes{0x3C});
    EXPECT_EQ(engine->xflash().page(2)[0], 0x3C);

    // One address step is one 16-bit word; bytes past the page end are dropped, never spilled.
    ask(182, 0x12FF, Bytes(8, 0x11));
    EXPECT_EQ(engine->xflash().page(2)[510], 0x11);
    EXPECT_EQ(engine->xflash().page(2)[511], 0x11);
    EXPECT_EQ(engine->xflash().page(3)[0], 0xFF);
    ask(182, 0x1FFF, Bytes(512, 0x00));
    EXPECT_EQ(engine->xflash().page(15)[509], 0xFF);
    EXPECT_EQ(engine->xflash().page(15)[511], 0x00);

    for (uint16_t address : {0x0FFF, 0x2000}) {
        const Answer answer = ask(182, address, Bytes{0});
        EXPECT_EQ(answer.order, 0);
        EXPECT_EQ(answer.address, 1);
    }
}

TEST_F(EngineTest, CalibrationHeaderWriteAndReadBack)
{
    CalHeader header{};
    header.HW_TYPE = 517204;
    header.SER_NO = 99;
    header.UM_SLOPE = 57344;
    header.UM_RANGE = 30000;
    ask(180, 0x1100);
    EXPECT_EQ(ask(23, 0x1100, bytesOf(header)).order, 23);
    EXPECT_EQ(ask(24, 0x1100).data, bytesOf(header));

    Bytes ones(24, 0xFF);
    ask(23, 0x1100, ones);
    EXPECT_EQ(ask(24, 0x1100).data, bytesOf(header)) << "unerased flash keeps its zeros";
}

// --------------------------------------------------------------------------------------------
// Baud rate and line model

TEST(LineModel, AnswersQueueBehindEachOtherAtTheRealLineLimit)
{
    LineSchedule line;
    const double bt = 10.0 / 115200;
    EXPECT_DOUBLE_EQ(line.place(1.0, 8, 48, bt, 0.0), 1.0 + 8 * bt);
    EXPECT_DOUBLE_EQ(line.freeAt(), 1.0 + 56 * bt);
    // A request complete before the previous answer is out waits for the line.
    EXPECT_DOUBLE_EQ(line.place(1.0 + bt, 8, 10, bt, 0.0), 1.0 + 56 * bt);
    EXPECT_DOUBLE_EQ(line.place(5.0, 8, 8, bt, 2.5), 7.5 + 8 * bt);
    line.reset();
    EXPECT_DOUBLE_EQ(line.place(0.5, 8, 8, 0.0, 0.0), 0.5);

    EXPECT_EQ(sliceBytes(bt), 11u);
    EXPECT_EQ(sliceBytes(10.0 / 300), 1u);
}

TEST_F(EngineTest, BaudChangeAnswersAtTheOldRate)
{
    EXPECT_EQ(exchange(5).byteTime, 0.0) << "unpaced by default";
    engine->setBaud(115200);
    const Reply change = exchange(190, 0);
    EXPECT_DOUBLE_EQ(change.byteTime, 10.0 / 115200);
    EXPECT_EQ(parse(change.bytes).order, 190);
    EXPECT_DOUBLE_EQ(exchange(5).byteTime, 10.0 / 9600);
    EXPECT_EQ(engine->pacedBaud(), 9600);
    EXPECT_EQ(ramSet().RS_232_Baudrate, 0);
    exchange(190, 3);
    EXPECT_EQ(engine->pacedBaud(), 57600);
    engine->setBaud(0);
    EXPECT_EQ(exchange(5).byteTime, 0.0);
}

// --------------------------------------------------------------------------------------------
// Faults

class FaultTest : public EngineTest {
protected:
    Bytes healthy(uint8_t order) { return exchange(order, 0, {}, 4.0).bytes; }
    Reply faulty(Fault fault, uint8_t order)
    {
        engine->setFaultOnce(fault);
        return exchange(order, 0, {}, 4.0);
    }
};

TEST_F(FaultTest, HeaderAndCrcFaults)
{
    const Bytes good = healthy(8);
    ASSERT_EQ(good.size(), 48u);

    Bytes bytes = faulty(Fault::BadHeaderCrc, 8).bytes;
    EXPECT_NE(crcOver(bytes, 0, 8), 0);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 7), Bytes(good.begin(), good.begin() + 7));

    bytes = faulty(Fault::BadSync, 8).bytes;
    EXPECT_NE(bytes[0], kSync);
    EXPECT_EQ(crcOver(bytes, 0, 8), 0) << "only the sync is wrong";
    EXPECT_EQ(Bytes(bytes.begin() + 1, bytes.begin() + 6), Bytes(good.begin() + 1, good.begin() + 6));

    bytes = faulty(Fault::BadDataCrc, 8).bytes;
    EXPECT_EQ(bytes[0], kSync);
    EXPECT_EQ(crcOver(bytes, 0, 8), 0);
    EXPECT_NE(bytes[6], crcOver(bytes, 8, 40));
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.end()), Bytes(good.begin() + 8, good.end()));

    EXPECT_EQ(faulty(Fault::Error1, 8).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    EXPECT_EQ(faulty(Fault::Error2, 5).bytes, hexBytes("55 00 02 00 00 00 aa 54"));
}

TEST_F(FaultTest, LengthFaults)
{
    Bytes bytes = faulty(Fault::ShortLength, 8).bytes;
    ASSERT_EQ(bytes.size(), 48u) << "all the data is still sent";
    EXPECT_EQ(crcOver(bytes, 0, 8), 0);
    EXPECT_EQ(u16At(bytes, 4), 32);
    EXPECT_EQ(bytes[6], crcOver(bytes, 8, 40));
    EXPECT_NE(bytes[6], crcOver(bytes, 8, 32)) << "the receiver's check over 32 bytes must fail";
    EXPECT_EQ(faulty(Fault::ShortLength, 6).bytes.size(), 10u) << "2 data bytes: left alone";
    EXPECT_EQ(u16At(faulty(Fault::ShortLength, 6).bytes, 4), 2);

    bytes = faulty(Fault::OversizedLength, 9).bytes;
    ASSERT_EQ(bytes.size(), 8u + 512u);
    EXPECT_EQ(crcOver(bytes, 0, 8), 0);
    EXPECT_EQ(u16At(bytes, 4), 5000);
    EXPECT_EQ(bytes[6], crcOver(bytes, 8, 512));
}

TEST_F(FaultTest, DeliveryFaults)
{
    const Bytes good = healthy(8);
    EXPECT_TRUE(faulty(Fault::Silent, 8).bytes.empty());

    engine->setLateMs(1200);
    Reply reply = faulty(Fault::Late, 8);
    EXPECT_DOUBLE_EQ(reply.delay, 1.2);
    EXPECT_EQ(reply.bytes.size(), good.size());

    reply = faulty(Fault::Half, 8);
    EXPECT_EQ(reply.bytes.size(), 8u + 20u);
    EXPECT_FALSE(reply.closeAfter);
    EXPECT_EQ(crcOver(reply.bytes, 0, 8), 0);
    EXPECT_EQ(faulty(Fault::Half, 5).bytes.size(), 4u) << "no data: half the header";

    reply = faulty(Fault::Close, 8);
    EXPECT_EQ(reply.bytes.size(), 28u);
    EXPECT_TRUE(reply.closeAfter);

    for (int i = 0; i < 300; ++i) {
        reply = faulty(Fault::Garbage, 8);
        ASSERT_EQ(reply.bytes.size(), 16u);
        ASSERT_NE(reply.bytes[0], kSync);
    }
    EXPECT_NE(faulty(Fault::Garbage, 8).bytes, faulty(Fault::Garbage, 8).bytes);
}

TEST_F(FaultTest, OnceAlwaysAndNone)
{
    engine->setFaultAlways(Fault::Error2);
    engine->setFaultOnce(Fault::Silent);
    EXPECT_TRUE(exchange(5).bytes.empty()) << "the one-shot fault wins once";
    EXPECT_EQ(parse(exchange(5).bytes).order, 0);
    EXPECT_EQ(parse(exchange(5).bytes).order, 0);
    engine->clearFaults();
    EXPECT_EQ(parse(exchange(5).bytes).order, 5);

    // A one-shot fault aimed at one order waits for that order's answer.
    engine->setFaultOnceForOrder(Fault::Silent, 10);
    EXPECT_EQ(parse(exchange(5).bytes).order, 5);
    EXPECT_EQ(parse(exchange(7).bytes).order, 7);
    EXPECT_TRUE(exchange(10).bytes.empty());
    EXPECT_EQ(parse(exchange(10).bytes).order, 10);

    config.fault = Fault::BadSync;
    restart();
    EXPECT_NE(exchange(5).bytes[0], kSync);
    EXPECT_NE(exchange(8).bytes[0], kSync);
}

// --------------------------------------------------------------------------------------------
// Triggered mode

TEST_F(EngineTest, TriggerFramesOnlyInTriggeredMode)
{
    EXPECT_TRUE(engine->triggerFrame(2.0).empty());
    ParamSet set = defaultParamSet();
    set.RS_232_Mode = 1;
    writeRam(set);
    const Answer frame = parse(engine->triggerFrame(2.0));
    EXPECT_EQ(frame.order, 0x12);
    ASSERT_EQ(frame.data.size(), 12u);
    const Bytes record = ask(8, 0, {}, 2.0).data;
    EXPECT_EQ(frame.data, Bytes(record.begin(), record.begin() + 12));
}

TEST_F(EngineTest, TriggerFramesCountedLimitedDamagedAndListed)
{
    ControlInterpreter control(*engine);
    ParamSet set = defaultParamSet();
    set.RS_232_Mode = 1;
    writeRam(set);
    EXPECT_EQ(control.execute("reset-stats"), "ok");
    EXPECT_EQ(control.execute("set trigger-ms 5"), "ok");
    EXPECT_EQ(engine->triggerMs(), 5);
    EXPECT_EQ(control.execute("set trigger-count 3"), "ok");
    // A fault aimed at order 0x12 damages the next triggered frame only, and answers keep theirs.
    EXPECT_EQ(control.execute("fault bad-header-crc order 18"), "ok");
    const Bytes damaged = engine->triggerFrame(2.0);
    ASSERT_EQ(damaged.size(), 20u);
    EXPECT_NE(crcOver(damaged, 0, 8), 0);
    const Answer good = parse(engine->triggerFrame(2.5));
    EXPECT_EQ(good.order, 0x12);
    const Bytes record = ask(8, 0, {}, 3.0).data;
    EXPECT_FALSE(engine->triggerFrame(3.5).empty());
    EXPECT_TRUE(engine->triggerFrame(4.0).empty()) << "three frames were allowed";
    EXPECT_EQ(control.execute("triggered"), "ok 3");
    // Only what went out intact is listed, in order: frame, answer, frame.
    const std::string list = control.execute("measurements");
    ASSERT_EQ(list.size(), 3u + 3 * 24 + 2);
    EXPECT_EQ(list.substr(3, 24), toHex(good.data));
    EXPECT_EQ(list.substr(28, 24), toHex(Bytes(record.begin(), record.begin() + 12)));
    EXPECT_EQ(control.execute("set trigger-count 0"), "ok");
    EXPECT_FALSE(engine->triggerFrame(4.5).empty()) << "0 lifts the limit";
    EXPECT_EQ(control.execute("reset-stats"), "ok");
    EXPECT_EQ(control.execute("measurements"), "ok ");
    EXPECT_EQ(control.execute("set trigger-ms -1").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("triggered now").rfind("error ", 0), 0u);
}

// --------------------------------------------------------------------------------------------
// EEPROM file

class EepromFileTest : public EngineTest {
protected:
    std::filesystem::path path;
    void SetUp() override
    {
        path = std::filesystem::temp_directory_path() /
               ("sim_eeprom_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove(path);
        config.eepromPath = path.string();
        restart();
    }
    void TearDown() override { std::filesystem::remove(path); }
};

TEST_F(EepromFileTest, MissingFileMeansDefaultsWithAMessage)
{
    EXPECT_NE(log.str().find("not found"), std::string::npos);
    EXPECT_EQ(ramSet().Power, 500);
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is written until the EEPROM is";
}

TEST_F(EepromFileTest, EepromAndThresholdSurviveARestart)
{
    ParamSet set = defaultParamSet();
    set.Power = 321;
    set.Teach_Value = 1234;
    ask(3, 0, bytesOf(set));
    ask(14, 45, {}, 30.0);
    const Curve threshold = engine->eepromThreshold();
    ParamSet ramOnly = set;
    ramOnly.Power = 999;
    ask(1, 0, bytesOf(ramOnly));

    restart();
    EXPECT_TRUE(log.str().empty()) << log.str();
    const ParamSet ram = ramSet();
    EXPECT_EQ(ram.Power, 321) << "RAM starts as the EEPROM";
    EXPECT_EQ(ram.Teach_Value, 1234);
    EXPECT_EQ(ram.Video_Thd_Auto, 45);
    EXPECT_EQ(curve(1, 1.0), threshold);
}

TEST_F(EepromFileTest, XflashPagesSurviveARestart)
{
    const XFlash::Page header = engine->xflash().page(1);
    EXPECT_EQ(u16At(Bytes(header.begin(), header.begin() + 24), 8), 2048) << "a new sensor has its header";

    CalHeader written{};
    written.HW_TYPE = 517465;
    written.SER_NO = 1234;
    written.UM_SLOPE = 57344;
    EXPECT_EQ(ask(180, 0x1100).order, 180);
    EXPECT_EQ(ask(23, 0x1100, bytesOf(written)).order, 23);
    EXPECT_EQ(ask(180, 0x1500).order, 180);
    Bytes piece(512);
    for (size_t i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(ask(182, 0x1500, piece).order, 182);
    const auto pages = engine->xflash().pages();

    config.identity.hardwareType = 517311; // the flash keeps what was written, not the identity
    restart();
    EXPECT_TRUE(log.str().empty()) << log.str();
    EXPECT_EQ(engine->xflash().pages(), pages);
    EXPECT_EQ(ask(24, 0x1100).data, bytesOf(written));

    // A parameter write keeps the flash in the file as well.
    ask(3, 0, bytesOf(defaultParamSet()));
    restart();
    EXPECT_EQ(engine->xflash().page(5), pages[5]);
}

TEST_F(EepromFileTest, CorruptOrShortFileFallsBackToDefaults)
{
    ParamSet set = defaultParamSet();
    set.Power = 42;
    ask(3, 0, bytesOf(set));
    const auto size = std::filesystem::file_size(path);

    for (int damage = 0; damage < 3; ++damage) {
        SCOPED_TRACE(damage);
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            if (damage == 0) {
                file.seekp(20);
                file.put('\x7F'); // inside the parameter set
            } else if (damage == 1) {
                file.seekp(0);
                file.put('X'); // wrong magic
            }
        }
        if (damage == 2)
            std::filesystem::resize_file(path, size - 10);
        restart();
        EXPECT_FALSE(log.str().empty());
        EXPECT_EQ(ramSet().Power, 500);
        EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Power, 500);
        ask(3, 0, bytesOf(set)); // rewrite a good file for the next kind of damage
    }
    std::ofstream(path, std::ios::binary | std::ios::app) << "trailing";
    restart();
    EXPECT_NE(log.str().find("too many"), std::string::npos);
}

// --------------------------------------------------------------------------------------------
// Command line

ParseOutcome parseArgs(std::vector<const char *> args, Options &options, std::string &message)
{
    args.insert(args.begin(), "mq-sensor-sim");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), options, message);
}

TEST(CommandLine, ReadsEveryOption)
{
    Options options;
    std::string message;
    ASSERT_EQ(parseArgs({"--tcp", "0", "--pty", "/tmp/x/com1", "--control=0", "--baud", "115200", "--fault",
                         "late", "--late-ms", "300", "--trigger-ms", "20", "--eeprom", "e.bin", "--firmware",
                         "QUARVIN.V1.00 X Y", "--firmware-length", "40", "--firmware-no", "399", "--receiver-type",
                         "101", "--hardware-type", "0x7E4CE", "--pixel-count", "2048", "--adc-code", "256",
                         "--serial", "65535"},
                        options, message),
              ParseOutcome::Run)
        << message;
    EXPECT_EQ(options.tcpPort, 0);
    EXPECT_EQ(options.ptyPath, "/tmp/x/com1");
    EXPECT_EQ(options.controlPort, 0);
    EXPECT_EQ(options.baud, 115200);
    EXPECT_EQ(options.fault, Fault::Late);
    EXPECT_EQ(options.lateMs, 300);
    EXPECT_EQ(options.triggerMs, 20);
    EXPECT_EQ(options.eepromPath, "e.bin");
    EXPECT_EQ(options.identity.firmware, "QUARVIN.V1.00 X Y");
    EXPECT_EQ(options.identity.firmwareLength, 40);
    EXPECT_EQ(options.identity.firmwareNo, 399);
    EXPECT_EQ(options.identity.receiverType, 101u);
    EXPECT_EQ(options.identity.hardwareType, 517326u);
    EXPECT_EQ(options.identity.pixelCount, 2048);
    EXPECT_EQ(options.identity.adcCode, 256);
    EXPECT_EQ(options.identity.serial, 65535);

    Options defaults;
    ASSERT_EQ(parseArgs({"--pty", "p"}, defaults, message), ParseOutcome::Run);
    EXPECT_EQ(defaults.tcpPort, -1);
    EXPECT_EQ(defaults.controlPort, -1);
    EXPECT_EQ(defaults.eepromPath, "mq-sensor-sim.eeprom");
    EXPECT_EQ(defaults.identity.firmware, "K-VOR-MQ.V4.06 20-CL 2016");
    EXPECT_EQ(defaults.identity.pixelCount, 4096);
}

TEST(CommandLine, RefusesBadOptionsWithAReason)
{
    const std::vector<std::vector<const char *>> bad = {
        {"--tcp", "0", "--bogus"},      {"--tcp"},
        {"--tcp", "65536"},             {"--tcp", "12ab"},
        {"--tcp", "-1"},                {"--pty", "p", "--fault", "loud"},
        {"--pty", "p", "--baud", "0"},  {"--pty", "p", "--serial", "70000"},
        {"--pty", "p", "--firmware-length", "513"},
        {"--control", "0"},             {"plain"},
        {"--pty", ""},
    };
    for (const auto &args : bad) {
        Options options;
        std::string message;
        EXPECT_EQ(parseArgs(args, options, message), ParseOutcome::Error) << args.front();
        EXPECT_FALSE(message.empty());
    }
    Options options;
    std::string message;
    EXPECT_EQ(parseArgs({"--tcp", "1", "--help"}, options, message), ParseOutcome::Help);
    for (const char *documented : {"--tcp", "--pty", "--control", "--baud", "--fault", "--late-ms", "--trigger-ms",
                                   "--eeprom", "--firmware-length", "--adc-code", "--serial", "oversized-length",
                                   "reset-stats", "xflash PAGE", "trigger-count", "measurements"})
        EXPECT_NE(usageText().find(documented), std::string::npos) << documented;
}

// --------------------------------------------------------------------------------------------
// Control commands

TEST_F(EngineTest, ControlFaultCommands)
{
    ControlInterpreter control(*engine);
    EXPECT_EQ(control.execute("fault silent"), "ok");
    EXPECT_TRUE(exchange(5).bytes.empty());
    EXPECT_FALSE(exchange(5).bytes.empty());
    EXPECT_EQ(control.execute("fault error-1 always\r\n"), "ok");
    EXPECT_EQ(parse(exchange(5).bytes).order, 0);
    EXPECT_EQ(parse(exchange(5).bytes).order, 0);
    EXPECT_EQ(control.execute("fault none"), "ok");
    EXPECT_EQ(parse(exchange(5).bytes).order, 5);
    EXPECT_EQ(control.execute("fault loud").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("fault late sometimes").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("fault silent order 24"), "ok");
    EXPECT_EQ(control.execute("fault silent order 300").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("fault silent order x").rfind("error ", 0), 0u);
}

TEST_F(EngineTest, ControlSetChangesIdentityAndLine)
{
    ControlInterpreter control(*engine);
    EXPECT_EQ(control.execute("set firmware K-VOR-NX.V1.02 10 2020"), "ok");
    EXPECT_EQ(control.execute("set serial 99"), "ok");
    EXPECT_EQ(control.execute("set firmware-length 16"), "ok");
    const Answer firmware = ask(7);
    EXPECT_EQ(firmware.address, 99);
    EXPECT_EQ(std::string(firmware.data.begin(), firmware.data.end()), "K-VOR-NX.V1.02 1");
    EXPECT_EQ(control.execute("set hardware-type 517311"), "ok");
    EXPECT_EQ(control.execute("set receiver-type 736215"), "ok");
    EXPECT_EQ(control.execute("set firmware-no 410"), "ok");
    EXPECT_EQ(control.execute("set pixel-count 100"), "ok");
    EXPECT_EQ(control.execute("set adc-code 512"), "ok");
    const auto info = recordFrom<HwInfo>(ask(10));
    EXPECT_EQ(info.hardwareType, 517311u);
    EXPECT_EQ(info.receiverType, 736215u);
    EXPECT_EQ(info.firmwareNo, 410);
    EXPECT_EQ(info.pixelCount, 100);
    EXPECT_EQ(info.adcCode, 512);
    EXPECT_EQ(measure(2.0).EDGES, 2) << "a tiny pixel count still gives a usable model";

    EXPECT_EQ(control.execute("set baud 19200"), "ok");
    EXPECT_EQ(engine->pacedBaud(), 19200);
    EXPECT_EQ(control.execute("set late-ms 10"), "ok");
    EXPECT_EQ(engine->lateMs(), 10);
    EXPECT_EQ(control.execute("set serial 65536").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("set colour red").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("set").rfind("error ", 0), 0u);
    EXPECT_EQ(engine->identity().serial, 99);
}

TEST_F(EngineTest, ControlReportsStatsAndMemory)
{
    ControlInterpreter control(*engine);
    EXPECT_EQ(control.execute("stats"), "ok requests=0 last= orders=");
    exchange(5);
    exchange(180, 0x1300);
    EXPECT_EQ(control.execute("stats"), "ok requests=2 last=55b400130000aa" +
                                            toHex(Bytes{crcOver(buildFrame(180, 0x1300), 0, 7)}) +
                                            " orders=5,180");
    EXPECT_EQ(control.execute("reset-stats"), "ok");
    EXPECT_EQ(control.execute("stats"), "ok requests=0 last= orders=");

    const std::string ram = control.execute("ram");
    ASSERT_EQ(ram.size(), 3u + 120u);
    EXPECT_EQ(ram.substr(0, 7), "ok f401") << "Power 500, little-endian";
    EXPECT_EQ(ram.substr(ram.size() - 8), "00400100");
    EXPECT_EQ(control.execute("eeprom"), ram);

    const std::string page1 = control.execute("xflash 1");
    ASSERT_EQ(page1.size(), 3u + 1024u);
    EXPECT_EQ(page1.substr(3, 8), "c6e40700") << "HW-TYPE 517318";
    EXPECT_EQ(control.execute("xflash 2"), "ok " + std::string(1024, 'f'));
    EXPECT_EQ(control.execute("xflash 16").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("xflash").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("ram please").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("dance").rfind("error ", 0), 0u);
    EXPECT_EQ(control.execute("").rfind("error ", 0), 0u);
}

} // namespace
