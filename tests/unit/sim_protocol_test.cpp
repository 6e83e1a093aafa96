// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's protocol engine: framing and resynchronisation, identification,
// parameter sets, the measurement model, teach, extremes, calibration mode, video and
// threshold.

#include "unit/sim_engine_fixture.h"

namespace {

// --------------------------------------------------------------------------------------------
// Framing

TEST_F(EngineTest, AnswersWithoutDataAreByteExactAndACorruptWriteIsRefused)
{
    EXPECT_EQ(buildFrame(6, 0, Bytes{0x00, 0x02}), hexBytes("55 06 00 00 02 00 b5 f6 00 02"));
    EXPECT_EQ(exchange(5).bytes, hexBytes("55 05 67 12 00 00 aa 43")); // address = serial 4711
    EXPECT_EQ(exchange(11).bytes, hexBytes("55 0b 00 00 00 00 aa 2f"));
    for (uint8_t unknown : {0, 99, 0x12}) // 0x12 is sent by the sensor, never asked
        EXPECT_EQ(exchange(unknown).bytes, hexBytes("55 00 01 00 00 00 aa 1a")) << int(unknown);

    Bytes request = buildFrame(1, 0, bytesOf(defaultParamSet()));
    request[8] ^= 0x01; // data no longer matches byte 6, header still valid
    auto replies = engine->feed(request.data(), request.size(), 1.0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, hexBytes("55 00 02 00 00 00 aa 54"));
    EXPECT_EQ(ramSet().Power, 500) << "a corrupt write must not reach RAM";
}

TEST_F(EngineTest, ResyncsAfterGarbageAcrossChunksAndAfterAStaleHalfRequest)
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
        std::vector<int> orders;
        for (const Reply &reply : replies)
            orders.push_back(parse(reply.bytes).order);
        EXPECT_EQ(orders, std::vector({5, 1, 10}));
        EXPECT_EQ(line.pendingBytes(), 1u);
    }

    // A stale half request does not swallow the next one.
    const Bytes write = buildFrame(1, 0, bytesOf(defaultParamSet()));
    std::vector<Reply> replies;
    FrameAssembler line;
    engine->feed(line, write.data(), 20, 1.0, replies); // header + 12 of 60 data bytes, then silence
    const Bytes echo = buildFrame(5, 0);
    engine->feed(line, echo.data(), echo.size(), 1.0 + 2 * FrameAssembler::kGapTimeout, replies);
    ASSERT_EQ(replies.size(), 1u) << "a stale half request swallowed the next one";
    EXPECT_EQ(parse(replies[0].bytes).order, 5);
}

// --------------------------------------------------------------------------------------------
// Identification orders

// Truncation to a set length and the hardware record are followed through the control's set
// commands; the text itself through the identification tests.
TEST_F(EngineTest, FirmwareAnswerCarriesTheSerialAndHardwareDumpIsFixedPerIdentity)
{
    EXPECT_EQ(ask(7).address, 4711) << "the firmware text (its padding: IdentTest) carries the serial";
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
// Parameter sets (the defaults the measurement and threshold cases rely on are checked there)

TEST_F(EngineTest, RamAndEepromSetsAreWrittenApart)
{
    const Answer ram = ask(2);
    ASSERT_EQ(ram.data.size(), 60u);
    EXPECT_EQ(Bytes(ram.data.begin() + 56, ram.data.end()), hexBytes("00 40 01 00")); // 81920

    ParamSet changed = recordFrom<ParamSet>(ram);
    EXPECT_EQ(std::tuple(changed.Eval_End, changed.Hardware_Mode, changed.RS_232_Baudrate), std::tuple(1024, 1, 4));
    changed.Power = 777;
    changed.Free_Para = 0xABCD;
    const Answer written = ask(1, 0, bytesOf(changed));
    EXPECT_EQ(std::tuple(int{written.order}, written.data.size()), std::tuple(1, 0u));
    EXPECT_EQ(ask(2).data, bytesOf(changed));
    EXPECT_EQ(ask(4).data, ram.data);

    changed.Power = 111;
    ask(3, 0, bytesOf(changed));
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Power, 111);
    EXPECT_EQ(ask(1, 0, Bytes(59, 0)).order, 0) << "a set must be exactly 60 bytes";
    EXPECT_EQ(ramSet().Power, 777);
}

// --------------------------------------------------------------------------------------------
// Measurement, teach, extremes, calibration

TEST_F(EngineTest, MeasurementRecordIsConsistentAndMovesSlowly)
{
    for (double t : {0.0, 3.3, 17.0, 400.5}) {
        SCOPED_TRACE(t);
        const MeasRecord record = measure(t);
        EXPECT_GE(record.E_LEFT, 1);
        EXPECT_LT(record.E_LEFT, record.E_RIGHT);
        EXPECT_LE(record.E_RIGHT, 1024) << "inside the evaluation window";
        // Eval-Mode 1 is the right edge; the cycle is the standard exposure plus the read-out of 4096 pixels.
        const int dark = record.E_RIGHT - record.E_LEFT;
        EXPECT_EQ(record.EDGES, 2);
        EXPECT_EQ(record.M_VALUE, record.E_RIGHT) << "Eval-Mode 1 measures the right edge";
        EXPECT_EQ(record.M_VAL_um, record.E_RIGHT * 5u) << "the default slope is 5 um per pixel";
        EXPECT_EQ(record.SETPOINT, 512);
        EXPECT_EQ(record.DARK_PIXELS, dark) << "the pixels between the edges";
        EXPECT_EQ(record.CYCLE_TIME, 1000u + 4096u / 8u) << "exposure plus the read-out";
        EXPECT_EQ(record.AUTO_TOL, 0);
        EXPECT_EQ(record.DYN_POWER, 500) << "the fixed power of the default set";
        EXPECT_GE(record.IN_STATE, 1);
        EXPECT_LE(record.IN_STATE, 6);
    }
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
    // Averaging smooths, it does not slow the scan.
    EXPECT_EQ(record.M_VALUE, record.E_LEFT) << "Eval-Mode 0 measures the left edge";
    EXPECT_EQ(record.M_VAL_um, record.E_LEFT * 5u / 2u) << "at 2.5 um per pixel";
    EXPECT_EQ(record.CYCLE_TIME, 1512u) << "averaging must not lengthen the cycle";
    EXPECT_EQ(record.AUTO_TOL, 51) << "Tolerance-Mode 10 % of the measured value";

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
    EXPECT_EQ(u16At(answer.data, 0), before.M_VALUE) << "RAM and the next record's set point: OrdersTest";
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
    EXPECT_EQ(std::tuple(first.MAX_VALUE, first.MIN_VALUE), std::tuple(first.M_VALUE, first.M_VALUE));
    const MeasRecord second = measure(130.0);
    EXPECT_GT(second.MAX_VALUE - second.MIN_VALUE, std::abs(second.M_VALUE - first.M_VALUE));
}

// Mode 1 against a 10 mm reference and SAVE to RAM are followed through the program's
// calibration against the simulator; here the refusals, the EEPROM and other references.
TEST_F(EngineTest, CalibrationModeRefusalsAndReferenceSizes)
{
    EXPECT_EQ(ask(12, 1).order, 12);
    EXPECT_EQ(ask(12, 2, Bytes{0x00, 0xE0, 0x00, 0x00}).order, 12); // 57344 = 3.5 um per pixel
    EXPECT_FALSE(engine->calibrating());
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).um_Slope, 81920u);
    EXPECT_EQ(ask(12, 2, Bytes{1, 2}).order, 0) << "save without a slope";
    EXPECT_EQ(ask(12, 3).order, 0);
    ask(12, 1);
    ask(12, 0);
    EXPECT_FALSE(engine->calibrating());

    // The reference's size in pixels whatever the window: 5 mm on a 40 mm line is 512 of 4096.
    ParamSet narrow = defaultParamSet();
    narrow.Eval_Begin = 100;
    narrow.Eval_End = 400;
    config.identity.referenceUm = 5000;
    config.identity.hardwareType = 517314;
    restart();
    writeRam(narrow);
    ask(12, 1);
    for (double t : {1.0, 7.5, 40.0}) {
        SCOPED_TRACE(t);
        const MeasRecord record = measure(t);
        EXPECT_NEAR(record.M_VALUE, 512, 2);
        EXPECT_EQ(record.M_VALUE, record.E_RIGHT - record.E_LEFT) << "the operator reads the reference size";
    }
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
// Video and threshold (how power and exposure shape the profile: sim_measurement_test)

TEST_F(EngineTest, ThresholdSaveRecomputesProfileAndVideoShowsTheShadowBelowTheAdcLimit)
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
    EXPECT_EQ(engine->eepromThreshold(), initial);
    EXPECT_EQ(std::tuple(ramSet().Video_Thd_Auto, recordFrom<ParamSet>(ask(4)).Video_Thd_Auto), std::tuple(50, 70));

    ask(14, 30, {}, 22.0);
    EXPECT_EQ(engine->eepromThreshold(), engine->ramThreshold());
    EXPECT_EQ(recordFrom<ParamSet>(ask(4)).Video_Thd_Auto, 30);

    ParamSet set = defaultParamSet();
    set.Eval_End = 4096;
    writeRam(set);
    const MeasRecord record = measure(12.0);
    const Curve profile = curve(0, 12.0);
    EXPECT_LT(profile[static_cast<size_t>((record.E_LEFT + record.E_RIGHT) / 2 / 16)], 150);
    EXPECT_GT(profile[static_cast<size_t>(record.E_LEFT / 32)], 600);
    EXPECT_LT(*std::max_element(profile.begin(), profile.end()), 1024);

    config.identity.adcCode = 256;
    restart();
    const Curve capped = curve(0, 12.0);
    EXPECT_LT(*std::max_element(capped.begin(), capped.end()), 256);
}

} // namespace
