// SPDX-License-Identifier: GPL-3.0-or-later

#include "options.h"

#include <string_view>

namespace mqsim {

namespace {

bool numberOption(std::string_view name, std::string_view value, long long min, long long max, int &target,
                  std::string &message)
{
    long long number = 0;
    if (!parseInteger(value, min, max, number)) {
        message = "--" + std::string(name) + " wants an integer from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not '" + std::string(value) + "'";
        return false;
    }
    target = static_cast<int>(number);
    return true;
}

} // namespace

std::string usageText()
{
    return "usage: mq-sensor-sim [options]\n"
           "\n"
           "A K-VOR-MQ sensor in software. It answers every order of the sensor protocol from its own\n"
           "RAM, EEPROM and XFLASH state, on a TCP port and/or on a pseudo-terminal it creates.\n"
           "\n"
           "Transports (at least one of --tcp, --pty):\n"
           "  --tcp PORT            serve the sensor protocol on 127.0.0.1:PORT (0 = a free port);\n"
           "                        one client at a time, a new client replaces the old one\n"
           "  --pty PATH            create a pseudo-terminal and make PATH a symbolic link to its\n"
           "                        slave device (an existing link at PATH is replaced; removed on exit)\n"
           "  --control PORT        line-based control channel on 127.0.0.1:PORT (0 = a free port)\n"
           "  --sensors N           serve N sensors (1 to 1000), the k-th (from 0) on TCP port PORT+k with\n"
           "                        serial number SERIAL+k, EEPROM file FILE-k (k > 0) and control port\n"
           "                        CONTROL+k; each has its own state (--tcp only, a fixed port)\n"
           "\n"
           "Line and faults:\n"
           "  --baud N              pace answers as a serial line at N baud (10 bits per byte);\n"
           "                        default: answers go out at once\n"
           "  --fault NAME          apply a fault to every answer: " +
           faultNameList() +
           "\n"
           "  --late-ms N           delay of the 'late' fault in milliseconds (default 2500)\n"
           "  --trigger-ms N        in the triggered serial mode (RS-232-Mode 1) send an unsolicited\n"
           "                        measurement frame (order 0x12) every N ms (default 0 = never)\n"
           "  --eeprom FILE         file that keeps the EEPROM parameter set, threshold profile and\n"
           "                        the XFLASH pages\n"
           "                        (default mq-sensor-sim.eeprom in the working directory)\n"
           "\n"
           "Identity:\n"
           "  --firmware TEXT       firmware text (default \"K-VOR-MQ.V4.06 20-CL 2016\")\n"
           "  --firmware-length N   data bytes of the firmware answer, 0..512 (default 72)\n"
           "  --firmware-no N       firmware number in hundredths (default 406)\n"
           "  --receiver-type N     receiver-type code (default 736214)\n"
           "  --hardware-type N     hardware-type code (default 517318)\n"
           "  --pixel-count N       receiver pixels (default 4096)\n"
           "  --adc-code N          video resolution code (default 1024)\n"
           "  --serial N            serial number (default 4711)\n"
           "  --reference-um N      size in micrometres of the reference object that calibration\n"
           "                        mode measures (default 10000)\n"
           "\n"
           "  -h, --help            show this text and exit\n"
           "\n"
           "Options take their value as the next argument or after '='. Numbers may be given in\n"
           "hexadecimal with 0x.\n"
           "\n"
           "Start-up prints, one line each and in this order, those configured:\n"
           "  tcp 127.0.0.1:<port>, pty <slave path>, control 127.0.0.1:<port>, then ready.\n"
           "The simulator runs until SIGINT or SIGTERM.\n"
           "\n"
           "Control channel commands (each answered by one line, 'ok ...' or 'error <reason>'):\n"
           "  fault NAME            fault for the next answer only\n"
           "  fault NAME always     fault for every answer\n"
           "  fault NAME order N    fault for the next answer to order N only\n"
           "  fault none            clear both\n"
           "  set KEY VALUE         KEY: firmware, firmware-length, firmware-no, receiver-type,\n"
           "                        hardware-type, pixel-count, adc-code, serial, reference-um,\n"
           "                        late-ms, baud (0 = no pacing), trigger-ms (as --trigger-ms),\n"
           "                        trigger-count (send N more triggered frames, then stop; 0 = no limit)\n"
           "  set eeprom-worn 0|1   1: EEPROM writes are acknowledged but the set stays as it was\n"
           "  set ambient PCT       ambient light, % of full scale at 1 ms exposure (default 0)\n"
           "  set noise PCT         receiver noise amplitude, % of full scale (default 1)\n"
           "  set dirt PCT          a dirty window: a dip of PCT % in the light band (default 0)\n"
           "  set dirt-at PCT       where the dip sits, % of the evaluation window (default 8)\n"
           "  set defocus FACTOR    edges FACTOR times softer than in focus (1 to 50, default 1)\n"
           "  set brightness PCT    light of the band, % of the usual at the same power and exposure\n"
           "                        (1 to 1000, default 100)\n"
           "                        Background-Mode 1 takes most of the stray and ambient light out.\n"
           "  stats                 ok requests=<count> last=<hex of the last request>\n"
           "                        orders=<order codes of all requests, comma-separated>\n"
           "  reset-stats           forget the request statistics\n"
           "  triggered             ok <unsolicited frames sent, damaged ones included>\n"
           "  measurements          ok <hex of the first 12 bytes of each measurement record sent\n"
           "                        intact (answers to order 8, triggered frames), comma-separated>\n"
           "  ram | eeprom          ok <hex of the 60-byte parameter set>\n"
           "  xflash PAGE           ok <hex of the 512 bytes of XFLASH page PAGE (0..15)>\n"
           "  video-edges           ok left=<pixel> right=<pixel>: the object's true edges when the\n"
           "                        last video profile was taken\n";
}

ParseOutcome parseCommandLine(int argc, const char *const *argv, Options &options, std::string &message)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help")
            return ParseOutcome::Help;
        if (argument.substr(0, 2) != "--" || argument.size() == 2) {
            message = "unexpected argument '" + std::string(argument) + "' (see --help)";
            return ParseOutcome::Error;
        }
        std::string_view name = argument.substr(2);
        std::string_view value;
        bool haveValue = false;
        if (auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            haveValue = true;
        }
        static constexpr std::string_view known[] = {
            "tcp",         "sensors",  "pty",      "control",         "baud",        "fault",         "late-ms",
            "trigger-ms",  "eeprom",   "firmware", "firmware-length", "firmware-no", "receiver-type", "hardware-type",
            "pixel-count", "adc-code", "serial",   "reference-um",
        };
        bool isKnown = false;
        for (auto candidate : known)
            isKnown = isKnown || name == candidate;
        if (!isKnown) {
            message = "unknown option '--" + std::string(name) + "' (see --help)";
            return ParseOutcome::Error;
        }
        if (!haveValue) {
            if (i + 1 >= argc) {
                message = "option '--" + std::string(name) + "' needs a value";
                return ParseOutcome::Error;
            }
            value = argv[++i];
        }

        bool ok = true;
        if (name == "tcp")
            ok = numberOption(name, value, 0, 65535, options.tcpPort, message);
        else if (name == "sensors")
            ok = numberOption(name, value, 1, 1000, options.sensors, message);
        else if (name == "control")
            ok = numberOption(name, value, 0, 65535, options.controlPort, message);
        else if (name == "baud")
            ok = numberOption(name, value, 1, 10000000, options.baud, message);
        else if (name == "late-ms")
            ok = numberOption(name, value, 0, 3600000, options.lateMs, message);
        else if (name == "trigger-ms")
            ok = numberOption(name, value, 0, 3600000, options.triggerMs, message);
        else if (name == "pty" || name == "eeprom") {
            if (value.empty()) {
                message = "option '--" + std::string(name) + "' needs a non-empty path";
                return ParseOutcome::Error;
            }
            (name == "pty" ? options.ptyPath : options.eepromPath) = std::string(value);
        } else if (name == "fault") {
            auto fault = faultFromName(value);
            if (!fault) {
                message = "unknown fault '" + std::string(value) + "'; known: none, " + faultNameList();
                return ParseOutcome::Error;
            }
            options.fault = *fault;
        } else {
            std::string error;
            ok = setIdentityValue(options.identity, name, value, error);
            if (!ok)
                message = "--" + error;
        }
        if (!ok)
            return ParseOutcome::Error;
    }
    if (options.tcpPort < 0 && options.ptyPath.empty()) {
        message = "give at least one of --tcp PORT and --pty PATH (see --help)";
        return ParseOutcome::Error;
    }
    if (options.sensors > 1 && (options.tcpPort <= 0 || !options.ptyPath.empty())) {
        message = "--sensors N serves on --tcp PORT, a fixed port, and no pty";
        return ParseOutcome::Error;
    }
    if (options.sensors > 1 &&
        (options.tcpPort + options.sensors - 1 > 65535 || options.controlPort + options.sensors - 1 > 65535)) {
        message = "--sensors N: the ports from PORT on run past 65535";
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

} // namespace mqsim
