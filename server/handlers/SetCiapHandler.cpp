#include "SetCiapHandler.h"

#include "CiapRules.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "DataPacket.h"
#include "HandlerSupport.h"
#include "Keys.h"
#include "PacketCodec.h"
#include "Params.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

#include <QDate>
#include <cmath>

namespace ciap::server {

namespace {

// The values of one side (old or new) of a delta row, read by field name.
class RowValues final {
public:
    RowValues(const QList<FieldDef>& fields, const QVariantList& values, int change,
              const char* side)
        : m_fields(fields)
        , m_values(values)
        , m_change(change)
        , m_side(side) {
        if (values.size() != fields.size())
            fail(QStringLiteral("tem %1 valores para %2 campos")
                     .arg(values.size())
                     .arg(fields.size()));
    }

    bool has(const char* field) const { return index(field) >= 0; }
    QVariant value(const char* field) const {
        const int i = index(field);
        return i < 0 ? QVariant() : m_values.at(i);
    }
    QString text(const char* field) const { return value(field).toString(); }
    double amount(const char* field) const {
        const QVariant v = value(field);
        if (v.isNull() || !v.isValid())
            return 0.0;
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            fail(QStringLiteral("%1 não é um número").arg(QLatin1String(field)));
        return d;
    }
    QString code(const char* field, int width) const {
        const QString t = text(field);
        for (QChar ch : t) {
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
                fail(QStringLiteral("%1 contém caracteres de controle").arg(QLatin1String(field)));
        }
        const auto c = Keys::pad(t, width);
        if (!c || c->trimmed().isEmpty())
            fail(QStringLiteral("%1 inválido").arg(QLatin1String(field)));
        return *c;
    }
    Month month() const {
        const QString t = text("COMPETENCIA");
        if (!t.trimmed().isEmpty()) {
            if (const auto m = Month::parse(t))
                return *m;
            fail(QStringLiteral("COMPETENCIA deve ser MM/AAAA"));
        }
        const QVariant d = value("DTCOMPETECIAP");
        const QDate date = d.metaType().id() == QMetaType::QDate
                               ? d.toDate()
                               : QDate::fromString(d.toString().left(10), Qt::ISODate);
        if (!date.isValid())
            fail(QStringLiteral("falta COMPETENCIA"));
        return Month::of(date);
    }
    std::optional<qint64> sequence() const { return Keys::parseSequence(text("NRSEQCIAP")); }

    [[noreturn]] void fail(const QString& what) const {
        throw ServiceError::invalidParams(QStringLiteral("setCiap: alteração %1 (%2): %3.")
                                              .arg(m_change + 1)
                                              .arg(QLatin1String(m_side), what));
    }

private:
    int index(const char* field) const {
        for (int i = 0; i < m_fields.size(); ++i) {
            if (m_fields.at(i).name.compare(QLatin1String(field), Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    const QList<FieldDef>& m_fields;
    const QVariantList& m_values;
    int m_change;
    const char* m_side;
};

bool sameAmount(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// The row as the client read it must still be the stored row: otherwise another screen
// changed it in between and applying the delta would overwrite that change. A deletion does not
// compare the figures derived from the assets: the screen removes the assets (delBensComp)
// before it sends the deletion, so those no longer match what it read.
void checkUnchanged(const RowValues& old, const CompetenciaRow& stored, bool derivedToo) {
    auto same = [&old](const char* field, double stored) {
        return !old.has(field) || sameAmount(old.amount(field), stored);
    };
    const bool unchanged =
        old.month() == stored.month &&
        (!old.has("CDINSCESTA") || old.text("CDINSCESTA") == stored.registration) &&
        same("VRSAIDACIAP", stored.total) && same("VRSAIDATRIBCIAP", stored.taxed) &&
        same("VRCOEFICIAP", stored.coefficient) &&
        (!old.has("IDSITCOMPETCIAP") || old.text("IDSITCOMPETCIAP") == stored.situation) &&
        (!derivedToo ||
         (same("VRSALDOPARCCIAP", stored.balance) && same("VRCREDAPROPCIAP", stored.credit) &&
          same("ITEMEXISTE", stored.assetCount)));
    if (!unchanged)
        throw ServiceError::conflict();
}

class DeltaApplier final {
public:
    explicit DeltaApplier(Session& session)
        : m_registers(session)
        , m_store(session) {}

    void insert(const RowValues& v) {
        CompetenciaRow row;
        row.company = v.code("CDEMPRESA", Keys::CompanyWidth);
        row.tax = v.code("CDIMPOSTO", Keys::TaxWidth);
        HandlerSupport::requireCompany(m_registers, row.company);
        const TaxInfo info = HandlerSupport::requireTax(m_registers, row.tax);
        row.month = v.month();
        row.registration = registration(row.company, v);
        row.total = v.amount("VRSAIDACIAP");
        row.taxed = v.amount("VRSAIDATRIBCIAP");
        CiapRules::checkOutgoing(row.total, row.taxed);
        // A new competência is always pending; its figures are derived below.
        row.situation = QStringLiteral("P");
        if (const auto seq = v.sequence()) {
            if (*seq > m_store.lastSequence(row.company, row.tax))
                throw ServiceError::rule(ServerMessages::sequenceNotIssued());
            if (m_store.find(row.company, row.tax, *seq, false))
                throw ServiceError::conflict();
            row.sequence = *seq;
        } else if (v.text("NRSEQCIAP").trimmed().isEmpty()) {
            row.sequence = m_store.nextSequence(row.company, row.tax);
        } else {
            v.fail(QStringLiteral("NRSEQCIAP inválido"));
        }
        if (m_store.countByKey(row.company, row.tax, row.registration, row.month) > 0)
            throw ServiceError::rule(ServerMessages::competenciaExists());
        m_store.insert(row);
        CompetenciaFigures::recompute(m_store, row, info.kind);
    }

    void modify(const RowValues& old, const RowValues& now) {
        CompetenciaRow row = locked(old, true);
        if (now.code("CDEMPRESA", Keys::CompanyWidth) != row.company ||
            now.code("CDIMPOSTO", Keys::TaxWidth) != row.tax)
            throw ServiceError::rule(ServerMessages::identityChange());
        if (now.has("IDSITCOMPETCIAP") && now.text("IDSITCOMPETCIAP") != row.situation)
            throw ServiceError::rule(ServerMessages::situationChange());
        const TaxInfo info = HandlerSupport::requireTax(m_registers, row.tax);
        const Month month = now.month();
        const QString reg = registration(row.company, now);
        if (month != row.month || reg != row.registration) {
            if (row.assetCount > 0)
                throw ServiceError::rule(ServerMessages::keyChangeWithAssets());
            if (m_store.countByKey(row.company, row.tax, reg, month) > 0)
                throw ServiceError::rule(ServerMessages::competenciaExists());
        }
        row.month = month;
        row.registration = reg;
        row.total = now.amount("VRSAIDACIAP");
        row.taxed = now.amount("VRSAIDATRIBCIAP");
        CiapRules::checkOutgoing(row.total, row.taxed);
        m_store.updateKeyAndOutgoing(row);
        CompetenciaFigures::recompute(m_store, row, info.kind);
    }

    void remove(const RowValues& old) { m_store.remove(locked(old, false)); }

private:
    // The stored row the old values name, unchanged since it was read and still pending.
    CompetenciaRow locked(const RowValues& old, bool derivedToo) {
        const QString company = old.code("CDEMPRESA", Keys::CompanyWidth);
        const QString tax = old.code("CDIMPOSTO", Keys::TaxWidth);
        const auto seq = old.sequence();
        if (!seq)
            old.fail(QStringLiteral("NRSEQCIAP inválido"));
        const auto row = m_store.find(company, tax, *seq, true);
        if (!row)
            throw ServiceError::conflict();
        checkUnchanged(old, *row, derivedToo);
        HandlerSupport::requirePending(*row);
        return *row;
    }

    QString registration(const QString& company, const RowValues& v) {
        const auto reg = m_registers.resolveRegistration(company, v.text("CDINSCESTA"));
        if (!reg)
            throw ServiceError::rule(ServerMessages::registrationNotRegistered());
        return *reg;
    }

    RegisterStore m_registers;
    CompetenciaStore m_store;
};

} // namespace

QByteArray SetCiapHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    Delta delta;
    try {
        delta = deltaFromJson(p.raw(0));
    } catch (const ProtocolError& e) {
        p.fail(0, QStringLiteral("não é um delta válido: %1").arg(e.message()));
    }
    TransactionGuard tx(session);
    DeltaApplier apply(session);
    for (int i = 0; i < delta.changes.size(); ++i) {
        const DeltaChange& c = delta.changes.at(i);
        switch (c.status) {
        case ChangeStatus::Inserted:
            apply.insert(RowValues(delta.fields, c.newValues, i, "novo"));
            break;
        case ChangeStatus::Modified:
            apply.modify(RowValues(delta.fields, c.oldValues, i, "original"),
                         RowValues(delta.fields, c.newValues, i, "novo"));
            break;
        case ChangeStatus::Deleted:
            apply.remove(RowValues(delta.fields, c.oldValues, i, "original"));
            break;
        }
    }
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
