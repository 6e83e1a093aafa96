// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A sensor played by the test on the far end of a socat pty pair, to send answers the
// simulator never would. The program's end is opened as COM port 1.

#include "support/app_fixture.h"

#include <QByteArray>
#include <QProcess>
#include <QSerialPort>

#include <map>

// A complete frame: header with both CRCs, then the data.
QByteArray SensorFrame(unsigned char order, unsigned short address, const QByteArray &data);

class ScriptedSensorFixture : public AppFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every byte the program sent since the test last cleared it.
    QByteArray received;
    // Sent once, in answer to the next complete request whatever its order.
    QByteArray nextAnswer;
    // Sent in answer to every complete request of that order (when no nextAnswer waits).
    std::map<unsigned char, QByteArray> answers;

private:
    void answerRequests();

    QProcess socat;
    QSerialPort sensor;
    QByteArray pending;
};
