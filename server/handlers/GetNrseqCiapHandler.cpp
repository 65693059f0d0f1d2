#include "GetNrseqCiapHandler.h"

#include "CompetenciaStore.h"
#include "HandlerSupport.h"
#include "Keys.h"
#include "Params.h"
#include "RegisterStore.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray GetNrseqCiapHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString tax = p.tax(1);
    p.date(2); // the month does not take part in the number, but must be a date
    RegisterStore registers(session);
    HandlerSupport::requireCompany(registers, company);
    HandlerSupport::requireTax(registers, tax);
    TransactionGuard tx(session);
    const qint64 next = CompetenciaStore(session).nextSequence(company, tax);
    tx.commit();
    return textArray(Keys::formatSequence(next));
}

} // namespace ciap::server
