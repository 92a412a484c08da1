#include "ctl/qt_ctl_output.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSerialPortInfo>

#ifndef _WIN32
#include <sys/stat.h>
#endif


namespace orva {
namespace {

QJsonValue toQt(const JsonValue& v)
{
    switch (v.kind()) {
    case JsonValue::Kind::Null:
        break;
    case JsonValue::Kind::Bool:
        return QJsonValue(*v.boolean());
    case JsonValue::Kind::Number:
        return QJsonValue(*v.number());
    case JsonValue::Kind::String:
        return QJsonValue(QString::fromStdString(*v.string()));
    case JsonValue::Kind::Array: {
        QJsonArray a;
        for (const JsonValue& e : *v.array())
            a.append(toQt(e));
        return a;
    }
    case JsonValue::Kind::Object: {
        QJsonObject o;
        for (const auto& [k, e] : *v.object())
            o.insert(QString::fromStdString(k), toQt(e));
        return o;
    }
    }
    return QJsonValue(QJsonValue::Null);
}

} // namespace

QByteArray jsonLine(const JsonValue& value)
{
    const QJsonValue v = toQt(value);
    QByteArray out = v.isArray() ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                                 : QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
    out += '\n';
    return out;
}

std::vector<SerialDevice> serialDevicesPresent()
{
    // /dev/serial/by-id/ holds a stable name for each USB adapter: a link to
    // the device node, which may change from one plugging to the next.
    QMap<QString, QString> byId;
    const QDir ids(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : ids.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());

    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation().toStdString();
        d.byId = byId.value(QFileInfo(info.systemLocation()).canonicalFilePath()).toStdString();
        d.description = info.description().toStdString();
        d.manufacturer = info.manufacturer().toStdString();
        d.serialNumber = info.serialNumber().toStdString();
        devices.push_back(std::move(d));
    }
    return devices;
}

PathState probePath(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return PathState::CharacterDevice;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return PathState::Absent;
    return S_ISCHR(st.st_mode) ? PathState::CharacterDevice : PathState::NotADevice;
#endif
}

} // namespace orva
