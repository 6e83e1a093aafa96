// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/backup_file.h"

#include "params/parafile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace cli {

namespace {

QJsonObject setToJson(const ParameterSet &set)
{
    QJsonObject object;
    for (int i = 0; i < kParaKeyCount; ++i)
        object.insert(kParaKeys[i].name, static_cast<int>(set.*kParaKeys[i].field));
    object.insert("um-Slope", static_cast<qint64>(set.um_Slope));
    return object;
}

// An integer member within lowest..highest.
bool integer(const QJsonObject &object, const char *key, double lowest, double highest, double &value,
             const std::string &where, std::string &error)
{
    const QJsonValue member = object.value(key);
    if (!member.isDouble()) {
        error = where + "." + key + " is missing or not a number";
        return false;
    }
    value = member.toDouble();
    if (value != std::floor(value) || value < lowest || value > highest) {
        error = where + "." + key + " is not an integer from " + std::to_string(static_cast<long long>(lowest)) +
                " to " + std::to_string(static_cast<long long>(highest));
        return false;
    }
    return true;
}

bool setFromJson(const QJsonValue &member, const char *where, ParameterSet &set, std::string &error)
{
    if (!member.isObject()) {
        error = std::string(where) + " is missing or not an object";
        return false;
    }
    const QJsonObject object = member.toObject();
    double value = 0;
    for (int i = 0; i < kParaKeyCount; ++i) {
        if (!integer(object, kParaKeys[i].name, 0, 65535, value, where, error))
            return false;
        set.*kParaKeys[i].field = static_cast<std::uint16_t>(value);
    }
    if (!integer(object, "um-Slope", 0, 4294967295.0, value, where, error))
        return false;
    set.um_Slope = static_cast<std::uint32_t>(value);
    return true;
}

struct HeaderField {
    const char *name;
    double lowest, highest;
    void (*put)(CalibrationHeader &, double);
    double (*get)(const CalibrationHeader &);
};
#define MQ_FIELD(f, lo, hi, type)                                                                                      \
    {                                                                                                                  \
#f, lo, hi,                                                                                                    \
            [](CalibrationHeader & c,                                                                                  \
               double v) { c.f = static_cast<type>(v); }, [](const CalibrationHeader                                   \
                                                                 &c) { return static_cast<double>(c.f); }              \
    }
const HeaderField kHeaderFields[] = {
    MQ_FIELD(HW_TYPE, -2147483648.0, 2147483647.0, std::int32_t),
    MQ_FIELD(SER_NO, 0, 65535, std::uint16_t),
    MQ_FIELD(XF_DIVISOR, 0, 65535, std::uint16_t),
    MQ_FIELD(XF_SIZE, 0, 65535, std::uint16_t),
    MQ_FIELD(reserved, 0, 65535, std::uint16_t),
    MQ_FIELD(UM_SLOPE, 0, 4294967295.0, std::uint32_t),
    MQ_FIELD(UM_OFFSET, -2147483648.0, 2147483647.0, std::int32_t),
    MQ_FIELD(UM_RANGE, -2147483648.0, 2147483647.0, std::int32_t),
};
#undef MQ_FIELD

} // namespace

QJsonObject IdentityToJson(const Identity &identity)
{
    QJsonObject object;
    object.insert("serial", static_cast<int>(identity.serial));
    object.insert("firmware", QString::fromLatin1(identity.firmware.c_str()));
    object.insert("firmware_no", identity.firmwareNo);
    object.insert("hardware_type", static_cast<qint64>(identity.hardwareType));
    object.insert("receiver_type", static_cast<qint64>(identity.receiverType));
    object.insert("pixel_count", identity.pixelCount);
    object.insert("served", identity.served);
    return object;
}

std::string BackupToJson(const Backup &backup)
{
    QJsonObject object;
    object.insert("program_version", QString::fromStdString(backup.programVersion));
    object.insert("time", QString::fromStdString(backup.time));
    object.insert("address", QString::fromStdString(backup.address));
    object.insert("identity", IdentityToJson(backup.identity));
    object.insert("ram", setToJson(backup.ram));
    object.insert("eeprom", setToJson(backup.eeprom));
    QJsonObject calibration;
    for (const HeaderField &f : kHeaderFields)
        calibration.insert(f.name, static_cast<qint64>(f.get(backup.calibration)));
    object.insert("calibration", calibration);
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

bool BackupFromJson(const std::string &bytes, Backup &backup, std::string &error)
{
    QJsonParseError parse{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = "not JSON (" + parse.errorString().toStdString() + " at byte " + std::to_string(parse.offset) + ")";
        return false;
    }
    if (!document.isObject()) {
        error = "not a backup: the top level is not an object";
        return false;
    }
    const QJsonObject object = document.object();
    Backup read;
    read.programVersion = object.value("program_version").toString().toStdString();
    read.time = object.value("time").toString().toStdString();
    read.address = object.value("address").toString().toStdString();
    const QJsonObject identity = object.value("identity").toObject();
    double value = 0;
    if (!identity.isEmpty()) {
        if (!integer(identity, "serial", 0, 65535, value, "identity", error))
            return false;
        read.identity.serial = static_cast<unsigned>(value);
        read.identity.firmware = identity.value("firmware").toString().toStdString();
        if (!integer(identity, "firmware_no", -32768, 32767, value, "identity", error))
            return false;
        read.identity.firmwareNo = static_cast<int>(value);
        if (!integer(identity, "hardware_type", 0, 4294967295.0, value, "identity", error))
            return false;
        read.identity.hardwareType = static_cast<std::uint32_t>(value);
        if (!integer(identity, "receiver_type", 0, 4294967295.0, value, "identity", error))
            return false;
        read.identity.receiverType = static_cast<std::uint32_t>(value);
        if (!integer(identity, "pixel_count", -32768, 32767, value, "identity", error))
            return false;
        read.identity.pixelCount = static_cast<int>(value);
        read.identity.served = identity.value("served").toBool();
    } else {
        error = "identity is missing or empty";
        return false;
    }
    if (!setFromJson(object.value("eeprom"), "eeprom", read.eeprom, error) ||
        !setFromJson(object.value("ram"), "ram", read.ram, error))
        return false;
    const QJsonValue calibration = object.value("calibration");
    if (!calibration.isObject()) {
        error = "calibration is missing or not an object";
        return false;
    }
    for (const HeaderField &f : kHeaderFields) {
        if (!integer(calibration.toObject(), f.name, f.lowest, f.highest, value, "calibration", error))
            return false;
        f.put(read.calibration, value);
    }
    backup = read;
    return true;
}

} // namespace cli
