// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Commands of the control channel, independent of the socket that carries them. Each command line
// yields exactly one answer line (without the line end): "ok ..." or "error <reason>".

#include "engine.h"

#include <string>
#include <string_view>

namespace mqsim {

class ControlInterpreter {
public:
    explicit ControlInterpreter(SensorEngine &engine) : engine_(engine) {}
    std::string execute(std::string_view line);

private:
    std::string fault(std::string_view arguments);
    std::string set(std::string_view arguments);
    std::string stats() const;
    std::string xflash(std::string_view arguments) const;

    SensorEngine &engine_;
};

} // namespace mqsim
