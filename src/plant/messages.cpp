// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/messages.h"

#include "params/parafile.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::string compact(const QJsonObject &o) { return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString(); }

QJsonObject frameObject(std::uint64_t seq, std::int64_t msecs, const MeasurementRecord &r, bool inTolerance)
{
    QJsonObject o;
    o["seq"] = static_cast<qint64>(seq);
    o["time"] = QString::fromStdString(PlantTimeText(msecs));
    o["M-VALUE"] = r.M_VALUE;
    o["E-LEFT"] = r.E_LEFT;
    o["E-RIGHT"] = r.E_RIGHT;
    o["EDGES"] = r.EDGES;
    o["M-VAL[um]"] = static_cast<std::int32_t>(r.M_VAL_um);
    o["in_tolerance"] = inTolerance;
    return o;
}

} // namespace

std::string PlantTopic(const std::string &prefix, unsigned serial, const char *leaf)
{
    return prefix + "/" + std::to_string(serial) + "/" + leaf;
}

std::string PlantTimeText(std::int64_t msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).toString(Qt::ISODateWithMs).toStdString();
}

std::string IdentityPayload(const PlantIdentity &id)
{
    QJsonObject o;
    o["firmware"] = QString::fromLatin1(id.firmware.c_str());
    o["firmware_no"] = id.hardware.firmwareNo;
    o["hardware_type"] = static_cast<qint64>(id.hardware.hardwareType);
    o["receiver_type"] = static_cast<qint64>(id.hardware.receiverType);
    o["pixel_count"] = static_cast<qint64>(id.pixelCount);
    o["serial"] = id.hardware.serialNo;
    o["slope_um_per_pixel"] = id.slopeUmPerPixel;
    o["program_version"] = QString::fromStdString(id.programVersion);
    return compact(o);
}

std::string ParametersPayload(const ParameterSet &p, const char *source)
{
    QJsonObject o;
    for (int i = 0; i < kParaKeyCount; ++i)
        o[kParaKeys[i].name] = p.*kParaKeys[i].field;
    o["um-Slope"] = static_cast<qint64>(p.um_Slope);
    o["source"] = source;
    return compact(o);
}

std::string MeasurementPayload(std::uint64_t seq, std::int64_t msecs, const MeasurementRecord &r, bool inTolerance)
{
    return compact(frameObject(seq, msecs, r, inTolerance));
}

std::string RecordPayload(std::uint64_t seq, std::int64_t msecs, const MeasurementRecord &r, bool inTolerance,
                          int sample, const std::string &fileName)
{
    QJsonObject o = frameObject(seq, msecs, r, inTolerance);
    o["sample"] = sample;
    o["file"] = QString::fromLocal8Bit(fileName.c_str());
    return compact(o);
}
