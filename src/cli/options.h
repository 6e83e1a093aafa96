// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The exit codes of mq-vista-cli and the options every command shares.

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;

struct CommonOptions {
    bool json = false;
    int jobs = 8;
    double timeout = 10.0; // seconds for opening a link
};

} // namespace cli
