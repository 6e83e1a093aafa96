// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/scripted_sensor.h"

#include "app/shell.h"
#include "harness/sim_process.h"
#include "platform/system.h"
#include "support/reference_frames.h"
#include "ui/runtime.h"

QByteArray SensorFrame(unsigned char order, unsigned short address, const QByteArray &data)
{
    const std::vector<unsigned char> f = ReferenceFrame(order, address, {data.begin(), data.end()});
    return {reinterpret_cast<const char *>(f.data()), static_cast<qsizetype>(f.size())};
}

void ScriptedSensorFixture::SetUp()
{
    AppFixture::SetUp();
    const std::string ours = programDir + "/program-end", theirs = programDir + "/sensor-end";
    socat.start("socat", {QString::fromStdString("pty,raw,echo=0,link=" + ours),
                          QString::fromStdString("pty,raw,echo=0,link=" + theirs)});
    ASSERT_TRUE(socat.waitForStarted(5000));
    WaitWithEvents([&] { return ui::FileExists(ours) && ui::FileExists(theirs); }, 2.5);
    sensor.setPortName(QString::fromStdString(theirs));
    ASSERT_TRUE(sensor.open(QIODevice::ReadWrite));
    QObject::connect(&sensor, &QSerialPort::readyRead, [this] { answerRequests(); });
    ASSERT_EQ(1, openSerial(ours));
}

void ScriptedSensorFixture::answerRequests()
{
    const QByteArray bytes = sensor.readAll();
    received += bytes;
    pending += bytes;
    while (pending.size() >= 8) {
        const auto order = static_cast<unsigned char>(pending[1]);
        const int length = static_cast<unsigned char>(pending[4]) | static_cast<unsigned char>(pending[5]) << 8;
        if (pending.size() < 8 + length)
            break;
        pending.remove(0, 8 + length);
        if (!nextAnswer.isEmpty()) {
            sensor.write(nextAnswer);
            nextAnswer.clear();
        } else if (answers.count(order)) {
            sensor.write(answers[order]);
        }
        sensor.flush();
    }
}

void ScriptedSensorFixture::TearDown()
{
    CloseLinkAndPanels();
    sensor.close();
    socat.terminate();
    socat.waitForFinished(3000);
    AppFixture::TearDown();
}
