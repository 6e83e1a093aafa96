#pragma once
// A test with the real panels loaded offscreen, the defaults of start-up in place and a
// program directory of its own (where com<n> links point COM ports at ptys).

#include "support/scripted_popups.h"

#include <gtest/gtest.h>

#include <string>

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes COM port n open the given device.
    void linkComPort(int port, const std::string &device);
    // Opens the RS-232 link to a device through COM port 1 / the TCP link to a port.
    int openSerial(const std::string &device);
    int openTcp(int port);

    std::string programDir;
    ScriptedPopups *popups = nullptr;
};
