// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's line and control: pacing and baud-rate changes, injected faults,
// triggered frames, the command line and the control commands.

#include "unit/sim_engine_fixture.h"

#include "sim/control.h"
#include "sim/options.h"
#include "sim/pacing.h"

namespace {

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

    EXPECT_EQ(std::tuple(sliceBytes(bt), sliceBytes(10.0 / 300)), std::tuple(11u, 1u));
}

TEST_F(EngineTest, BaudChangeAnswersAtTheOldRate)
{
    EXPECT_EQ(exchange(5).byteTime, 0.0) << "unpaced by default";
    engine->setBaud(115200);
    const Reply change = exchange(190, 0);
    EXPECT_DOUBLE_EQ(change.byteTime, 10.0 / 115200);
    EXPECT_EQ(parse(change.bytes).order, 190);
    EXPECT_DOUBLE_EQ(exchange(5).byteTime, 10.0 / 9600);
    EXPECT_EQ(std::tuple(engine->pacedBaud(), ramSet().RS_232_Baudrate), std::tuple(9600, 0));
    exchange(190, 3);
    EXPECT_EQ(engine->pacedBaud(), 57600);
    engine->setBaud(0);
    EXPECT_EQ(exchange(5).byteTime, 0.0);
}

// --------------------------------------------------------------------------------------------
// Faults

// Each fault against the healthy answer of the same order: what it changes, and that the rest
// of what goes out is the healthy answer.
TEST_F(EngineTest, EachFaultDamagesOnlyItsPartOfTheAnswer)
{
    engine->setLateMs(1200);
    const struct {
        Fault fault;
        uint8_t order;
        size_t size; // bytes on the line
        bool sync, headerCrc;
        uint16_t length; // as announced
        bool dataCrc;    // byte 6 fits the data, for an answer sent whole
        bool close;
        double delay;
        // clang-format off
    } rows[] = {
        {Fault::BadHeaderCrc, 8, 48, true, false, 40, true, false, 0},
        {Fault::BadSync, 8, 48, false, true, 40, true, false, 0},
        {Fault::BadDataCrc, 8, 48, true, true, 40, false, false, 0},
        {Fault::ShortLength, 8, 48, true, true, 32, true, false, 0}, // all the data is still sent
        {Fault::ShortLength, 6, 10, true, true, 2, true, false, 0},  // 2 data bytes: left alone
        {Fault::OversizedLength, 9, 520, true, true, 5000, true, false, 0},
        {Fault::Late, 8, 48, true, true, 40, true, false, 1.2},
        {Fault::Half, 8, 28, true, true, 40, true, false, 0},
        {Fault::Half, 5, 4, true, true, 0, true, false, 0}, // no data: half the header
        {Fault::Close, 8, 28, true, true, 40, true, true, 0},
        {Fault::Silent, 8, 0, true, true, 0, true, false, 0},
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << faultName(row.fault) << " on order " << int(row.order));
        const Bytes good = exchange(row.order, 0, {}, 4.0).bytes;
        engine->setFaultOnce(row.fault);
        const Reply reply = exchange(row.order, 0, {}, 4.0);
        const Bytes &bytes = reply.bytes;
        ASSERT_EQ(bytes.size(), row.size);
        ASSERT_LE(bytes.size(), good.size());
        EXPECT_EQ(std::tuple(reply.closeAfter, reply.delay), std::tuple(row.close, row.delay));
        if (bytes.empty())
            continue;
        const size_t head = std::min<size_t>(4, bytes.size());
        EXPECT_EQ(Bytes(bytes.begin() + 1, bytes.begin() + head), Bytes(good.begin() + 1, good.begin() + head))
            << "order and address";
        if (bytes.size() < kHeaderSize)
            continue;
        EXPECT_EQ(std::tuple(bytes[0] == kSync, crcOver(bytes, 0, 8) == 0, u16At(bytes, 4)),
                  std::tuple(row.sync, row.headerCrc, row.length));
        EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.end()), Bytes(good.begin() + 8, good.begin() + bytes.size()));
        if (bytes.size() == good.size()) {
            EXPECT_EQ(bytes[6] == crcOver(bytes, 8, bytes.size() - 8), row.dataCrc);
        }
    }
    engine->setFaultOnce(Fault::Error1);
    EXPECT_EQ(exchange(8).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    engine->setFaultOnce(Fault::Error2);
    EXPECT_EQ(exchange(5).bytes, hexBytes("55 00 02 00 00 00 aa 54"));
    Bytes garbage[2];
    for (int i = 0; i < 300; ++i) {
        engine->setFaultOnce(Fault::Garbage);
        garbage[i % 2] = exchange(8, 0, {}, 4.0).bytes;
        ASSERT_EQ(garbage[i % 2].size(), 16u);
        ASSERT_NE(garbage[i % 2][0], kSync);
    }
    EXPECT_NE(garbage[0], garbage[1]);
    // Whatever the data, a check over the announced part of a short answer fails.
    for (int last = 0; last < 256; ++last) {
        Bytes data(40, 0);
        data.back() = static_cast<uint8_t>(last);
        const Bytes bytes = applyFault(buildFrame(8, 0, data), Fault::ShortLength, 0).bytes;
        ASSERT_NE(crcOver(bytes, 8, 32), bytes[6]) << "last byte " << last;
        ASSERT_EQ(crcOver(bytes, 8, 40), bytes[6]) << "last byte " << last;
    }
}

TEST_F(EngineTest, FaultCommandsOnceAlwaysAimedAndNone)
{
    ControlInterpreter control(*engine);
    EXPECT_EQ(control.execute("fault error-1 always\r\n"), "ok");
    EXPECT_EQ(control.execute("fault silent"), "ok");
    EXPECT_TRUE(exchange(5).bytes.empty()) << "the one-shot fault wins once";
    EXPECT_EQ(exchange(5).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    EXPECT_EQ(exchange(5).bytes, hexBytes("55 00 01 00 00 00 aa 1a"));
    EXPECT_EQ(control.execute("fault none"), "ok");
    EXPECT_EQ(parse(exchange(5).bytes).order, 5);

    // A one-shot fault aimed at one order waits for that order's answer.
    EXPECT_EQ(control.execute("fault silent order 24"), "ok");
    EXPECT_EQ(parse(exchange(5).bytes).order, 5);
    EXPECT_EQ(parse(exchange(7).bytes).order, 7);
    EXPECT_TRUE(exchange(24, 0x1100).bytes.empty());
    EXPECT_EQ(parse(exchange(24, 0x1100).bytes).order, 24);
}

// --------------------------------------------------------------------------------------------
// Triggered mode

// Counting, the limit, an aimed fault and the list of intact frames are followed through the
// triggered recordings against the simulator process; here what those do not reach.
TEST_F(EngineTest, TriggerFramesOnlyInTriggeredModeCarryTheRecordAndZeroLiftsTheLimit)
{
    ControlInterpreter control(*engine);
    EXPECT_TRUE(engine->triggerFrame(2.0).empty()) << "not in polled mode";
    ParamSet set = defaultParamSet();
    set.RS_232_Mode = 1;
    writeRam(set);
    EXPECT_EQ(control.execute("set trigger-count 1"), "ok");
    const Bytes record = ask(8, 0, {}, 3.0).data;
    EXPECT_EQ(parse(engine->triggerFrame(3.0)).data, Bytes(record.begin(), record.begin() + 12));
    EXPECT_TRUE(engine->triggerFrame(4.0).empty());
    EXPECT_EQ(control.execute("set trigger-count 0"), "ok");
    EXPECT_FALSE(engine->triggerFrame(4.5).empty());
}

// --------------------------------------------------------------------------------------------
// Command line

ParseOutcome parseArgs(std::vector<const char *> args, Options &options, std::string &message)
{
    args.insert(args.begin(), "mq-sensor-sim");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), options, message);
}

// The identity options, --tcp, --pty and --fault are followed through the identification and
// loop tests against the simulator process; here the rest and the defaults.
TEST(CommandLine, ReadsTheOptionsAndDefaultsAndRefusesBadOnesWithAReason)
{
    Options options;
    std::string message;
    ASSERT_EQ(parseArgs({"--pty", "p", "--control=0", "--baud", "115200", "--trigger-ms", "20", "--hardware-type",
                         "0x7E4CE", "--firmware-length", "40", "--late-ms", "300", "--eeprom", "e.bin"},
                        options, message),
              ParseOutcome::Run)
        << message;
    EXPECT_EQ(options.controlPort, 0);
    EXPECT_EQ(options.baud, 115200);
    EXPECT_EQ(options.triggerMs, 20);
    EXPECT_EQ(options.identity.hardwareType, 517326u) << "--hardware-type 0x7E4CE";
    EXPECT_EQ(options.identity.firmwareLength, 40);
    EXPECT_EQ(options.lateMs, 300);
    EXPECT_EQ(options.eepromPath, "e.bin");
    EXPECT_EQ(options.tcpPort, -1) << "a pty link opens no TCP port";

    Options defaults;
    ASSERT_EQ(parseArgs({"--tcp", "0"}, defaults, message), ParseOutcome::Run);
    EXPECT_EQ(defaults.controlPort, -1) << "no control port unless asked";
    EXPECT_EQ(defaults.eepromPath, "mq-sensor-sim.eeprom");
    EXPECT_EQ(defaults.identity.firmware, "K-VOR-MQ.V4.06 20-CL 2016");
    EXPECT_EQ(defaults.identity.pixelCount, 4096);

    // clang-format off
    const std::vector<std::vector<const char *>> bad = {
        {"--tcp", "0", "--bogus"},      {"--tcp"},
        {"--tcp", "65536"},             {"--tcp", "12ab"},
        {"--tcp", "-1"},                {"--pty", "p", "--fault", "loud"},
        {"--pty", "p", "--baud", "0"},  {"--pty", "p", "--serial", "70000"},
        {"--pty", "p", "--firmware-length", "513"},
        {"--control", "0"},             {"plain"},
        {"--pty", ""},
    };
    // clang-format on
    for (const auto &args : bad) {
        Options refused;
        message.clear();
        EXPECT_EQ(parseArgs(args, refused, message), ParseOutcome::Error) << args.front();
        EXPECT_FALSE(message.empty());
    }
    EXPECT_EQ(parseArgs({"--tcp", "1", "--help"}, options, message), ParseOutcome::Help);
    for (const char *documented : {"--tcp", "--pty", "--control", "--baud", "--fault", "--late-ms", "--trigger-ms",
                                   "--eeprom", "--firmware-length", "--adc-code", "--serial", "oversized-length",
                                   "reset-stats", "xflash PAGE", "trigger-count", "measurements"})
        EXPECT_NE(usageText().find(documented), std::string::npos) << documented;
}

// --------------------------------------------------------------------------------------------
// Control commands

TEST_F(EngineTest, ControlRefusesMalformedCommandsThenSetChangesIdentityAndLine)
{
    ControlInterpreter control(*engine);
    const int triggerMs = engine->triggerMs();
    for (const char *command :
         {"fault loud", "fault late sometimes", "fault silent order 300", "fault silent order x", "set serial 65536",
          "set colour red", "set", "set trigger-ms -1", "triggered now", "xflash 16", "xflash", "ram please", "dance",
          "", "set ambient -1", "set defocus 0.5", "set noise x", "set dirt 1e3", "video-edges now"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(control.execute(command).rfind("error ", 0), 0u);
    }
    // None of the refused commands changed a setting.
    EXPECT_EQ(engine->identity().serial, 4711);
    EXPECT_EQ(engine->triggerMs(), triggerMs);
    EXPECT_EQ(engine->scene().ambientPct, 0.0);
    EXPECT_EQ(engine->scene().defocus, 1.0);

    EXPECT_EQ(parse(exchange(5).bytes).order, 5) << "no fault armed";

    for (const char *command :
         {"set firmware K-VOR-NX.V1.02 10 2020", "set serial 99", "set firmware-length 16", "set hardware-type 517311",
          "set receiver-type 736215", "set firmware-no 410", "set pixel-count 100", "set adc-code 512"})
        EXPECT_EQ(control.execute(command), "ok") << command;
    const Answer firmware = ask(7);
    EXPECT_EQ(std::tuple(firmware.address, std::string(firmware.data.begin(), firmware.data.end())),
              std::tuple(99, std::string("K-VOR-NX.V1.02 1")));
    // Pixel count as set: the program does its own rounding. Words 12, 16 and 18 are fixed.
    const HwInfo info{.receiverType = 736215,
                      .hardwareType = 517311,
                      .serialNo = 99,
                      .firmwareNo = 410,
                      .word12 = 1024,
                      .pixelCount = 100,
                      .word16 = 1,
                      .word18 = 1024,
                      .adcCode = 512,
                      .rest = {}};
    EXPECT_EQ(ask(10).data, bytesOf(info));
    EXPECT_EQ(measure(2.0).EDGES, 2) << "a tiny pixel count still gives a usable model";
    // "set baud" and "set late-ms" are followed through the exchange and measure-run tests.
    // "set" of ambient, dirt and defocus is followed through the set-up assistant's tests.
    EXPECT_EQ(control.execute("set noise 0.5"), "ok");
    EXPECT_EQ(engine->scene().noisePct, 0.5);
    ask(9, 0, {}, 7.25);
    const EdgePair truth = edgesAt(7.25, engine->ram(), engine->identity(), false);
    char expected[80];
    std::snprintf(expected, sizeof expected, "ok left=%.3f right=%.3f", truth.left, truth.right);
    EXPECT_EQ(control.execute("video-edges"), expected) << "the edges of the profile just served";
}

// "last", "orders", "ram" and "xflash" are read through the support library by the order and
// identification tests against the simulator process; here the rest of the replies.
TEST_F(EngineTest, ControlReportsTheRequestCountAndTheEeprom)
{
    ControlInterpreter control(*engine);
    EXPECT_EQ(control.execute("stats"), "ok requests=0 last= orders=");
    exchange(5);
    exchange(180, 0x1300);
    EXPECT_EQ(control.execute("stats").substr(0, 14), "ok requests=2 ");
    EXPECT_EQ(control.execute("reset-stats"), "ok");
    EXPECT_EQ(control.execute("stats"), "ok requests=0 last= orders=");
    ParamSet set = defaultParamSet();
    set.Power = 777;
    writeRam(set);
    EXPECT_EQ(control.execute("eeprom").substr(0, 7), "ok f401") << "Power 500, little-endian";
    EXPECT_EQ(control.execute("ram").substr(0, 7), "ok 0903");
}

} // namespace
