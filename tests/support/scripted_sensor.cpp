#include "support/scripted_sensor.h"

#include "app/shell.h"
#include "link/crc8.h"
#include "ui/runtime.h"
#include "ui/system.h"

QByteArray SensorFrame(unsigned char order, unsigned short address, const QByteArray &data)
{
    QByteArray f(8, 0);
    f[0] = 0x55;
    f[1] = static_cast<char>(order);
    f[2] = static_cast<char>(address & 0xFF);
    f[3] = static_cast<char>(address >> 8);
    f[4] = static_cast<char>(data.size() & 0xFF);
    f[5] = static_cast<char>(data.size() >> 8);
    f[6] = static_cast<char>(crc8Update(data.constData(), 0, static_cast<unsigned>(data.size()), crc8Array));
    f[7] = static_cast<char>(crc8Update(f.constData(), 0, 7, crc8Array));
    return f + data;
}

void ScriptedSensorFixture::SetUp()
{
    AppFixture::SetUp();
    const std::string ours = programDir + "/program-end", theirs = programDir + "/sensor-end";
    socat.start("socat", {QString::fromStdString("pty,raw,echo=0,link=" + ours),
                          QString::fromStdString("pty,raw,echo=0,link=" + theirs)});
    ASSERT_TRUE(socat.waitForStarted(5000));
    for (int i = 0; i < 50 && !(ui::FileExists(ours) && ui::FileExists(theirs)); ++i)
        ui::DelayWithEventProcessing(0.05);
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
