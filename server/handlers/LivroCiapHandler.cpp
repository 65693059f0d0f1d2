#include "LivroCiapHandler.h"

#include "BookExport.h"
#include "BookJson.h"
#include "Params.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ciap::server {

QByteArray LivroCiapHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    BookRequest q;
    q.company = p.company(0);
    q.registration = p.registration(1);
    q.month = p.month(2);
    const QString model = p.text(3).trimmed().toUpper();
    if (model != QLatin1String("C") && model != QLatin1String("D"))
        p.fail(3, QStringLiteral("deve ser \"C\" ou \"D\"."));
    q.model = model == QLatin1String("C") ? book::BookModel::C : book::BookModel::D;
    if (!p.text(4).trimmed().isEmpty())
        q.tax = p.tax(4);
    const book::CiapBook b = BookExport(session).run(q);
    const QJsonArray answer{BookExport::fileName(q, b.header.registration),
                            QString::fromUtf8(book::BookJson::write(b))};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

} // namespace ciap::server
