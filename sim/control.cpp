// SPDX-License-Identifier: GPL-3.0-or-later

#include "control.h"

#include <cstdio>
#include <cstdlib>

namespace mqsim {

namespace {

std::string_view trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the first blank-separated word; `rest` keeps everything after the one separator.
std::string_view firstWord(std::string_view text, std::string_view &rest)
{
    const auto space = text.find(' ');
    if (space == std::string_view::npos) {
        rest = {};
        return text;
    }
    rest = text.substr(space + 1);
    return text.substr(0, space);
}

// A plain decimal number within [min, max], the whole text.
bool parseDecimal(std::string_view text, double min, double max, double &out)
{
    const std::string copy(text);
    if (copy.empty() || copy.find_first_not_of("0123456789.+-") != std::string::npos)
        return false;
    char *end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (*end != '\0' || !(value >= min && value <= max))
        return false;
    out = value;
    return true;
}

struct SceneKey {
    const char *name;
    double Scene::*field;
    double min;
    double max;
};

// The light band's surroundings, in the units the help text names.
constexpr SceneKey kSceneKeys[] = {
    {"ambient", &Scene::ambientPct, 0.0, 100.0}, {"noise", &Scene::noisePct, 0.0, 50.0},
    {"dirt", &Scene::dirtPct, 0.0, 100.0},       {"dirt-at", &Scene::dirtAtPct, 0.0, 100.0},
    {"defocus", &Scene::defocus, 1.0, 50.0},     {"brightness", &Scene::brightnessPct, 1.0, 1000.0},
};

template <typename T> std::string recordHex(const T &record)
{
    return toHex(reinterpret_cast<const uint8_t *>(&record), sizeof(T));
}

} // namespace

std::string ControlInterpreter::execute(std::string_view line)
{
    // Only the line end is dropped up front: a firmware text may carry meaningful blanks.
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    std::string_view arguments;
    const std::string_view command = firstWord(line, arguments);
    if (command.empty())
        return "error empty command";
    if (command == "fault")
        return fault(trim(arguments));
    if (command == "set")
        return set(arguments);
    if (command == "stats" || command == "reset-stats" || command == "ram" || command == "eeprom") {
        if (!trim(arguments).empty())
            return "error " + std::string(command) + " takes no argument";
        if (command == "stats")
            return stats();
        if (command == "reset-stats") {
            engine_.resetStats();
            return "ok";
        }
        return "ok " + recordHex(command == "ram" ? engine_.ram() : engine_.eeprom());
    }
    if (command == "xflash")
        return xflash(trim(arguments));
    if (command == "video-edges") {
        if (!trim(arguments).empty())
            return "error video-edges takes no argument";
        const EdgePair edges = engine_.lastVideoEdges();
        char text[96];
        std::snprintf(text, sizeof text, "ok left=%.3f right=%.3f", edges.left, edges.right);
        return text;
    }
    if (command == "triggered" || command == "measurements") {
        if (!trim(arguments).empty())
            return "error " + std::string(command) + " takes no argument";
        const EngineStats &stats = engine_.stats();
        if (command == "triggered")
            return "ok " + std::to_string(stats.triggered);
        std::string text = "ok ";
        text.reserve(text.size() + stats.measurements.size() * 25);
        for (size_t i = 0; i < stats.measurements.size(); ++i) {
            if (i > 0)
                text += ',';
            text += toHex(stats.measurements[i]);
        }
        return text;
    }
    return "error unknown command '" + std::string(command) + "'";
}

std::string ControlInterpreter::fault(std::string_view arguments)
{
    std::string_view rest;
    const std::string_view name = firstWord(arguments, rest);
    rest = trim(rest);
    const auto fault = faultFromName(name);
    if (!fault)
        return "error unknown fault '" + std::string(name) + "'";
    if (*fault == Fault::None) {
        if (!rest.empty())
            return "error fault none takes no further word";
        engine_.clearFaults();
        return "ok";
    }
    if (rest.empty()) {
        engine_.setFaultOnce(*fault);
        return "ok";
    }
    if (rest == "always") {
        engine_.setFaultAlways(*fault);
        return "ok";
    }
    if (rest.substr(0, 6) == "order ") {
        const std::string number(trim(rest.substr(6)));
        char *end = nullptr;
        const long order = std::strtol(number.c_str(), &end, 0);
        if (number.empty() || *end != '\0' || order < 0 || order > 255)
            return "error expected an order code 0..255 after 'order'";
        engine_.setFaultOnceForOrder(*fault, static_cast<int>(order));
        return "ok";
    }
    return "error expected 'always' or 'order N' after the fault name, not '" + std::string(rest) + "'";
}

std::string ControlInterpreter::set(std::string_view arguments)
{
    std::string_view value;
    const std::string_view key = firstWord(arguments, value);
    if (key.empty())
        return "error set wants KEY VALUE";
    if (key != "firmware")
        value = trim(value);
    std::string error;
    if (key == "trigger-ms" || key == "trigger-count") {
        long long number = 0;
        const long long max = key == "trigger-ms" ? 3600000 : 1000000000;
        if (!parseInteger(value, 0, max, number))
            return "error " + std::string(key) + " wants an integer from 0 to " + std::to_string(max);
        if (key == "trigger-ms")
            engine_.setTriggerMs(static_cast<int>(number));
        else
            engine_.setTriggerCount(static_cast<uint64_t>(number));
        return "ok";
    }
    if (key == "eeprom-worn") {
        long long number = 0;
        if (!parseInteger(value, 0, 1, number))
            return "error eeprom-worn wants 0 or 1";
        engine_.setEepromWorn(number == 1);
        return "ok";
    }
    if (key == "late-ms" || key == "baud") {
        long long number = 0;
        const long long max = key == "baud" ? 10000000 : 3600000;
        if (!parseInteger(value, 0, max, number))
            return "error " + std::string(key) + " wants an integer from 0 to " + std::to_string(max);
        if (key == "baud")
            engine_.setBaud(static_cast<int>(number));
        else
            engine_.setLateMs(static_cast<int>(number));
        return "ok";
    }
    for (const SceneKey &scene : kSceneKeys) {
        if (key != scene.name)
            continue;
        double number = 0.0;
        if (!parseDecimal(value, scene.min, scene.max, number)) {
            char text[96];
            std::snprintf(text, sizeof text, "error %s wants a number from %g to %g", scene.name, scene.min, scene.max);
            return text;
        }
        engine_.scene().*scene.field = number;
        return "ok";
    }
    if (!isIdentityKey(key))
        return "error unknown key '" + std::string(key) + "'";
    if (!setIdentityValue(engine_.identity(), key, value, error))
        return "error " + error;
    return "ok";
}

std::string ControlInterpreter::stats() const
{
    const EngineStats &stats = engine_.stats();
    std::string text = "ok requests=" + std::to_string(stats.requests) + " last=" + toHex(stats.last) + " orders=";
    text.reserve(text.size() + stats.orders.size() * 4);
    for (size_t i = 0; i < stats.orders.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(stats.orders[i]);
    }
    return text;
}

std::string ControlInterpreter::xflash(std::string_view arguments) const
{
    long long page = 0;
    if (!parseInteger(arguments, 0, XFlash::kPages - 1, page))
        return "error xflash wants a page number from 0 to 15";
    const auto &bytes = engine_.xflash().page(static_cast<int>(page));
    return "ok " + toHex(bytes.data(), bytes.size());
}

} // namespace mqsim
