#include "BookJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace ciap::book {

namespace {

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QDate date(const QJsonValue& v) {
    return QDate::fromString(v.toString(), Qt::ISODate);
}

qint64 cents(const QJsonValue& v) {
    return qint64(v.toDouble());
}

QJsonObject document(const BookDocument& d) {
    return {{"model", d.model}, {"series", d.series},       {"number", d.number},
            {"key", d.key},     {"date", dateText(d.date)}, {"participant", d.participant}};
}

std::optional<BookDocument> document(const QJsonValue& v) {
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    return BookDocument{o["model"].toString(), o["series"].toString(), o["number"].toString(),
                        o["key"].toString(),   date(o["date"]),        o["participant"].toString()};
}

QJsonObject asset(const BookAsset& a) {
    QJsonArray lines;
    for (const BookLine& l : a.lines)
        lines.append(QJsonObject{{"number", l.number},
                                 {"month", l.month},
                                 {"state", int(l.state)},
                                 {"coefficient", double(l.coefficient)},
                                 {"instalment", double(l.instalmentCents)},
                                 {"credited", double(l.creditedCents)}});
    QJsonObject o{{"code", a.code},
                  {"name", a.name},
                  {"patrimony", a.patrimony},
                  {"entry", dateText(a.entry)},
                  {"own", double(a.ownCents)},
                  {"st", double(a.stCents)},
                  {"freight", double(a.freightCents)},
                  {"difal", double(a.difalCents)},
                  {"instalments", a.instalments},
                  {"instalmentNumber", a.instalmentNumber},
                  {"instalment", double(a.instalmentCents)},
                  {"appropriated", double(a.appropriatedCents)},
                  {"loaded", a.loaded},
                  {"exitDate", dateText(a.exitDate)},
                  {"exitKind", a.exitKind},
                  {"remaining", double(a.remainingCents)},
                  {"lines", lines}};
    if (a.entryDocument)
        o["entryDocument"] = document(*a.entryDocument);
    if (a.exitDocument)
        o["exitDocument"] = document(*a.exitDocument);
    return o;
}

BookAsset asset(const QJsonObject& o) {
    BookAsset a;
    a.code = o["code"].toString();
    a.name = o["name"].toString();
    a.patrimony = o["patrimony"].toString();
    a.entry = date(o["entry"]);
    a.entryDocument = document(o["entryDocument"]);
    a.ownCents = cents(o["own"]);
    a.stCents = cents(o["st"]);
    a.freightCents = cents(o["freight"]);
    a.difalCents = cents(o["difal"]);
    a.instalments = o["instalments"].toInt();
    a.instalmentNumber = o["instalmentNumber"].toInt();
    a.instalmentCents = cents(o["instalment"]);
    a.appropriatedCents = cents(o["appropriated"]);
    a.loaded = o["loaded"].toBool();
    a.exitDate = date(o["exitDate"]);
    a.exitKind = o["exitKind"].toString();
    a.exitDocument = document(o["exitDocument"]);
    a.remainingCents = cents(o["remaining"]);
    for (const QJsonValue& v : o["lines"].toArray()) {
        const QJsonObject l = v.toObject();
        const int state = l["state"].toInt();
        if (state < int(BookLine::State::Later) || state > int(BookLine::State::Appropriated))
            throw std::runtime_error("book line state");
        a.lines << BookLine{l["number"].toInt(),     l["month"].toString(),  BookLine::State(state),
                            cents(l["coefficient"]), cents(l["instalment"]), cents(l["credited"])};
    }
    return a;
}

} // namespace

QByteArray BookJson::write(const CiapBook& book) {
    const BookHeader& h = book.header;
    const BookMonth& f = book.figures;
    QJsonArray assets;
    for (const BookAsset& a : book.assets)
        assets.append(asset(a));
    const QJsonObject o{{"model", book.model == BookModel::C ? "C" : "D"},
                        {"header", QJsonObject{{"company", h.company},
                                               {"companyName", h.companyName},
                                               {"cnpj", h.cnpj},
                                               {"registration", h.registration},
                                               {"uf", h.uf},
                                               {"month", h.month},
                                               {"tax", h.tax},
                                               {"taxName", h.taxName},
                                               {"wholeBalance", h.wholeBalance}}},
                        {"figures", QJsonObject{{"taxed", double(f.taxedCents)},
                                                {"total", double(f.totalCents)},
                                                {"coefficient", double(f.coefficient)},
                                                {"balance", double(f.balanceCents)},
                                                {"credit", double(f.creditCents)}}},
                        {"assets", assets}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

CiapBook BookJson::read(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    const QJsonObject o = doc.object();
    const QString model = o["model"].toString();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        (model != QLatin1String("C") && model != QLatin1String("D")))
        throw std::runtime_error("not a CIAP book");
    CiapBook book;
    book.model = model == QLatin1String("C") ? BookModel::C : BookModel::D;
    const QJsonObject h = o["header"].toObject();
    book.header = {
        h["company"].toString(),      h["companyName"].toString(), h["cnpj"].toString(),
        h["registration"].toString(), h["uf"].toString(),          h["month"].toString(),
        h["tax"].toString(),          h["taxName"].toString(),     h["wholeBalance"].toBool()};
    const QJsonObject f = o["figures"].toObject();
    book.figures = {cents(f["taxed"]), cents(f["total"]), cents(f["coefficient"]),
                    cents(f["balance"]), cents(f["credit"])};
    for (const QJsonValue& v : o["assets"].toArray())
        book.assets << asset(v.toObject());
    return book;
}

} // namespace ciap::book
