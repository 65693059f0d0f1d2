// A delta arrives inside a request's parameters: any JSON must give a Delta or a ProtocolError,
// and an accepted delta survives a trip through its JSON form.
#include "PacketCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdlib>

using namespace ciap;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QJsonValue value =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    Delta delta;
    try {
        delta = deltaFromJson(value);
    } catch (const ProtocolError&) {
        return 0;
    }
    const QJsonValue json = deltaToJson(delta);
    const Delta again = deltaFromJson(json);
    if (again.fields != delta.fields || again.changes.size() != delta.changes.size() ||
        deltaToJson(again) != json)
        std::abort();
    return 0;
}
