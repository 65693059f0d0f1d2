#include "GerarBlocoGHandler.h"

#include "BlocoGExport.h"
#include "Keys.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ciap::server {

namespace {

// A JSON string of a short text; the Base64 of the file needs no escaping and is appended as
// it is, so a large file is not copied through a JSON document.
QByteArray quoted(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray problemsPacket(const QList<efd::Problem>& problems) {
    PacketWriter w(Packets::efdProblems());
    for (const efd::Problem& p : problems) {
        w.beginRow();
        w.text(efd::ruleCode(p.rule));
        w.text(p.reg);
        w.number(p.line);
        w.text(p.asset);
        w.text(p.field);
        w.text(p.message);
        w.text(p.hint);
        w.text(p.text());
        w.endRow();
    }
    return w.finish();
}

} // namespace

QByteArray GerarBlocoGHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    BlocoGRequest q;
    q.company = p.company(0);
    q.registration = p.registration(1);
    q.month = p.month(2);
    if (!p.text(3).trimmed().isEmpty())
        q.tax = p.tax(3);
    const BlocoGResult r = BlocoGExport(session).run(q);
    QByteArray out;
    out.reserve(r.bytes.size() * 4 / 3 + 4096);
    out += '[';
    out += quoted(r.ok() ? QStringLiteral("OK") : QStringLiteral("PROBLEMAS"));
    out += ',';
    out += quoted(r.fileName);
    out += ",\"";
    out += r.bytes.toBase64();
    out += "\",";
    out += problemsPacket(r.problems);
    out += ',';
    out += QByteArray::number(r.lines);
    out += ',';
    out += QByteArray::number(r.movements);
    out += ',';
    out += quoted(r.tax);
    out += ']';
    return out;
}

} // namespace ciap::server
