#include "ctl/qt_ctl_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

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

} // namespace orva
