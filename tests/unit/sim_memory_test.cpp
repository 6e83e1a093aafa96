// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's memories: XFLASH pages with flash semantics and the EEPROM file that
// keeps parameters, threshold and flash across restarts.

#include "support/files.h"
#include "unit/sim_engine_fixture.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

// --------------------------------------------------------------------------------------------
// XFLASH

TEST_F(EngineTest, HeaderStartsValidAndEraseTakesOnlyPageStartsAndWritesOnlyFlashAddresses)
{
    const CalHeader expected{.HW_TYPE = 517318,
                             .SER_NO = 4711,
                             .XF_DIVISOR = 1,
                             .XF_SIZE = 2048,
                             .reserved = 0,
                             .UM_SLOPE = 81920,
                             .UM_OFFSET = 0,
                             .UM_RANGE = 20000};
    EXPECT_EQ(ask(24, 0x1100).data, bytesOf(expected));
    XFlash::Page erased;
    erased.fill(0xFF);
    EXPECT_EQ(engine->xflash().page(0), erased);
    EXPECT_EQ(engine->xflash().page(1)[24], 0xFF) << "only the header is written";

    for (uint16_t address : {0x1000, 0x1100, 0x1F00})
        EXPECT_EQ(ask(180, address).order, 180) << std::hex << address;
    const struct {
        uint8_t order;
        uint16_t address;
    } refused[] = {{180, 0x0F00}, {180, 0x1080}, {180, 0x1001}, {180, 0x2000},
                   {180, 0xFFFF}, {182, 0x0FFF}, {182, 0x2000}};
    for (const auto &r : refused) {
        SCOPED_TRACE(testing::Message() << int(r.order) << " at " << std::hex << r.address);
        const Answer answer = ask(r.order, r.address, r.order == 182 ? Bytes{0} : Bytes{});
        EXPECT_EQ(std::tuple(int{answer.order}, answer.address), std::tuple(0, 1));
    }
    EXPECT_EQ(engine->xflash().page(1)[0], 0xFF) << "erasing page 1 wiped the header";
}

TEST_F(EngineTest, BlockWritesHaveFlashSemantics)
{
    const auto bytesAt = [&](int page, size_t from, size_t count) {
        const XFlash::Page &p = engine->xflash().page(page);
        return Bytes(p.begin() + from, p.begin() + from + count);
    };
    ask(182, 0x1200, Bytes{0xF0, 0xFF, 0x00});
    ask(182, 0x1200, Bytes{0x3C, 0x0F, 0xFF});
    EXPECT_EQ(bytesAt(2, 0, 4), hexBytes("30 0f 00 ff")) << "bits only clear until the page is erased";
    ask(180, 0x1200);
    ask(182, 0x1200, Bytes{0x3C});
    EXPECT_EQ(bytesAt(2, 0, 1), hexBytes("3c"));

    // One address step is one 16-bit word; bytes past the page end are dropped, never spilled.
    ask(182, 0x12FF, Bytes(8, 0x11));
    EXPECT_EQ(bytesAt(2, 510, 2), hexBytes("11 11"));
    EXPECT_EQ(bytesAt(3, 0, 1), hexBytes("ff"));
    ask(182, 0x1FFF, Bytes(512, 0x00));
    EXPECT_EQ(bytesAt(15, 509, 3), hexBytes("ff 00 00"));
}

// --------------------------------------------------------------------------------------------
// EEPROM file

class EepromFileTest : public EngineTest {
protected:
    void SetUp() override
    {
        config.eepromPath = path;
        restart();
    }
    TempDir tmp;
    const std::string path = tmp / "sim.eeprom";
};

TEST_F(EepromFileTest, EepromThresholdAndFlashSurviveARestart)
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
    CalHeader written{};
    written.HW_TYPE = 517465;
    written.UM_SLOPE = 57344;
    Bytes piece(512);
    for (size_t i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<uint8_t>(i * 7);
    const std::vector<int> orders = {ask(180, 0x1100).order, ask(23, 0x1100, bytesOf(written)).order,
                                     ask(180, 0x1500).order, ask(182, 0x1500, piece).order};
    EXPECT_EQ(orders, std::vector({180, 23, 180, 182}));
    const auto pages = engine->xflash().pages();

    config.identity.hardwareType = 517311; // the flash keeps what was written, not the identity
    restart();
    EXPECT_TRUE(log.str().empty()) << log.str();
    const ParamSet ram = ramSet();
    EXPECT_EQ(std::tuple(ram.Power, ram.Teach_Value, ram.Video_Thd_Auto), std::tuple(321, 1234, 45))
        << "RAM starts as the EEPROM";
    EXPECT_EQ(curve(1, 1.0), threshold);
    EXPECT_EQ(engine->xflash().pages(), pages);
    EXPECT_EQ(ask(24, 0x1100).data, bytesOf(written));

    // A parameter write keeps the flash in the file as well.
    ask(3, 0, bytesOf(defaultParamSet()));
    restart();
    EXPECT_EQ(engine->xflash().page(5), pages[5]);
}

TEST_F(EepromFileTest, MissingCorruptShortOrLongFileFallsBackToDefaultsWithAMessage)
{
    EXPECT_NE(log.str().find("not found"), std::string::npos) << log.str();
    EXPECT_EQ(ramSet().Power, 500);
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is written until the EEPROM is";

    ParamSet set = defaultParamSet();
    set.Power = 42;
    ask(3, 0, bytesOf(set));
    const auto size = std::filesystem::file_size(path);
    const auto poke = [&](long at, char byte) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(at);
        file.put(byte);
    };
    const struct {
        const char *says;
        std::function<void()> damage;
    } damages[] = {
        {"corrupt", [&] { poke(20, '\x7F'); }}, // inside the parameter set
        {"corrupt", [&] { poke(0, 'X'); }},     // wrong magic
        {"too few", [&] { std::filesystem::resize_file(path, size - 10); }},
        {"too many", [&] { std::ofstream(path, std::ios::binary | std::ios::app) << "trailing"; }},
    };
    for (const auto &d : damages) {
        SCOPED_TRACE(d.says);
        d.damage();
        restart();
        EXPECT_NE(log.str().find(d.says), std::string::npos) << log.str();
        EXPECT_EQ(std::tuple(ramSet().Power, recordFrom<ParamSet>(ask(4)).Power), std::tuple(500, 500));
        ask(3, 0, bytesOf(set)); // rewrite a good file for the next kind of damage
    }
}

} // namespace
