// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The orders the program sends to the sensor, and the simple order routines.

#include <cstdint>

enum Order : unsigned char {
    ORDER_ERROR = 0x00, // answer only: the sensor refused the request
    ORDER_WRITE_PARA_RAM = 0x01,
    ORDER_READ_PARA_RAM = 0x02,
    ORDER_WRITE_PARA_EE = 0x03,
    ORDER_READ_PARA_EE = 0x04,
    ORDER_ECHO = 0x05,
    ORDER_TEACH = 0x06,
    ORDER_FIRMWARE = 0x07,
    ORDER_MEASUREMENT = 0x08,
    ORDER_CURVE = 0x09,
    ORDER_HARDWARE_INFO = 0x0A,
    ORDER_RESET_OUTPUT = 0x0B,
    ORDER_CALIBRATION = 0x0C,
    ORDER_VTHD_RAM = 0x0D,
    ORDER_VTHD_EE = 0x0E,
    ORDER_TRIGGERED_FRAME = 0x12, // sent by the sensor without a request
    ORDER_WRITE_CAL_HEADER = 0x17,
    ORDER_READ_CAL_HEADER = 0x18,
    ORDER_ERASE_XFLASH = 0xB4,
    ORDER_WRITE_XFLASH = 0xB6,
    ORDER_CHANGE_BAUDRATE = 0xBE,
    ORDER_HARDWARE_DUMP = 0xC2,
};

constexpr unsigned short kHardwareDumpAddress = 0x2BAD;

// One request (header plus data) and its answer; 1 or -1 as the exchange.
int IssueOrder(unsigned char order, unsigned short address, const void *data = nullptr, unsigned short length = 0);
// IssueOrder in two halves: the request goes out, and its answer is awaited later. Nothing
// else may be exchanged in between; a second SendOrder is refused as busy.
int SendOrder(unsigned char order, unsigned short address, const void *data = nullptr, unsigned short length = 0);
int AwaitAnswer();
// Copies count bytes of answer data (from byte 8 of the receive buffer).
void CopyAnswerData(void *destination, unsigned count);

// The link's failure wording for an operation: prefix + "Timeout RS232-Line!" or
// prefix + "Timeout TCP-Server-error!".
const char *LinkFailureText(const char *rs232Text, const char *tcpText);

int GetRAW();
int GetDATA(std::uint16_t selector);
// The sensor takes its current measurement as the set point; 0 with pset.Teach_Value
// set to it, -1 when the order failed (the status line says which).
int TeachSetPoint();
// Resets the analog and digital outputs; 0, or -1 when the order failed.
int PushRESET();
int WriteVideoDataToRAM(std::uint16_t threshold);
int WriteVideoDataToEE(std::uint16_t threshold);
