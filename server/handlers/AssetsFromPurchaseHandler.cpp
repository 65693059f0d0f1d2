#include "AssetsFromPurchaseHandler.h"

#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterEditing.h"
#include "TransactionGuard.h"

#include <QJsonDocument>

namespace ciap::server {

QByteArray AssetsFromPurchaseHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    const QString key = p.text(1).trimmed();
    const QList<int> items = RegisterArguments::items(p, 2);
    TransactionGuard tx(session);
    const QStringList codes = RegisterEditing(session).assetsFromPurchase(company, key, items);
    tx.commit();
    return QJsonDocument(QJsonArray::fromStringList(codes)).toJson(QJsonDocument::Compact);
}

} // namespace ciap::server
