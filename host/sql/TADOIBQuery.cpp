#include "TADOIBQuery.h"

#include "DtmDBGeral.h"
#include "HostErrors.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

bool isNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

TADOIBQuery::TADOIBQuery(QObject* parent)
    : TClientDataSet(parent) {}

void TADOIBQuery::syncParams() {
    const QString sql = SQL.join(QLatin1Char('\n'));
    if (sql == m_parsedFor && !m_preparedSql.isEmpty())
        return;
    // ":NAME" outside quoted text and comments becomes a "?" bound to the parameter; a
    // PostgreSQL cast "::type" is not a parameter.
    QString out;
    QStringList order;
    out.reserve(sql.size());
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = sql.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            out += QStringView(sql).mid(i, end - i);
            i = end - 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            const qsizetype eol = sql.indexOf(QLatin1Char('\n'), i);
            const qsizetype end = eol < 0 ? n : eol;
            out += QStringView(sql).mid(i, end - i);
            i = end - 1;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql.at(i + 1) == QLatin1Char(':')) {
            out += QLatin1String("::");
            ++i;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(sql.at(i + 1))) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql.at(j)))
                ++j;
            order.append(sql.mid(i + 1, j - i - 1));
            out += QLatin1Char('?');
            i = j - 1;
        } else {
            out += c;
        }
    }
    QList<TQueryParam> params;
    for (const QString& name : std::as_const(order)) {
        bool seen = false;
        for (const TQueryParam& p : std::as_const(params))
            seen = seen || p.Name().compare(name, Qt::CaseInsensitive) == 0;
        if (seen)
            continue;
        TQueryParam param(name);
        for (const TQueryParam& old : std::as_const(m_params))
            if (old.Name().compare(name, Qt::CaseInsensitive) == 0 && old.Value().isValid())
                param.SetAsString(old.AsString());
        params.append(param);
    }
    m_params = std::move(params);
    m_bindOrder = order;
    m_preparedSql = out;
    m_parsedFor = sql;
}

TQueryParam& TADOIBQuery::ParamByName(const QString& name) {
    syncParams();
    for (TQueryParam& p : m_params)
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
            return p;
    throw EHostError(QStringLiteral("Parâmetro não encontrado: %1").arg(name));
}

QStringList TADOIBQuery::paramNames() const {
    const_cast<TADOIBQuery*>(this)->syncParams();
    QStringList names;
    for (const TQueryParam& p : m_params)
        names.append(p.Name());
    return names;
}

void TADOIBQuery::Open() {
    if (Active())
        return;
    syncParams();
    if (m_preparedSql.trimmed().isEmpty())
        throw EHostError(QStringLiteral("Consulta sem texto SQL."));

    ciap::DataPacket packet;
    {
        QSqlQuery query(dtmDBGeral().database());
        query.setForwardOnly(true);
        if (!query.prepare(m_preparedSql))
            throw EHostError(query.lastError().text());
        for (const QString& name : std::as_const(m_bindOrder)) {
            const QVariant value = ParamByName(name).Value();
            query.addBindValue(value.isValid() ? QVariant(value.toString())
                                               : QVariant(QMetaType::fromType<QString>()));
        }
        if (!query.exec())
            throw EHostError(query.lastError().text());

        if (m_autoFields) {
            ClearFields();
            m_autoFields = false;
        }
        const QList<ciap::FieldDef> declared = FieldDefs();
        const QSqlRecord record = query.record();
        QList<ciap::FieldType> types;
        for (int c = 0; c < record.count(); ++c) {
            ciap::FieldDef def{record.fieldName(c), ciap::FieldType::String, 0};
            for (const ciap::FieldDef& d : declared)
                if (d.name.compare(def.name, Qt::CaseInsensitive) == 0)
                    def = ciap::FieldDef{def.name, d.type, d.size};
            if (def.type == ciap::FieldType::String && def.size <= 0)
                def.size = qMax(0, record.field(c).length());
            types.append(def.type);
            packet.fields.append(def);
        }
        while (query.next()) {
            QVariantList row;
            row.reserve(types.size());
            for (int c = 0; c < types.size(); ++c) {
                const QVariant v = query.value(c);
                if (v.isNull()) {
                    row.append(QVariant());
                } else if (types.at(c) == ciap::FieldType::Float) {
                    row.append(v.toDouble());
                } else if (types.at(c) == ciap::FieldType::DateTime) {
                    const QDate d = v.toDate();
                    row.append(d.isValid() ? QVariant(d) : QVariant());
                } else {
                    row.append(v.toString());
                }
            }
            packet.rows.append(std::move(row));
        }
        // Drivers that know no column width (SQLite) get the widest value, so nothing is cut.
        for (int c = 0; c < types.size(); ++c) {
            ciap::FieldDef& def = packet.fields[c];
            if (def.type != ciap::FieldType::String || def.size > 0)
                continue;
            qsizetype widest = 1;
            for (const QVariantList& row : std::as_const(packet.rows))
                widest = qMax(widest, row.at(c).toString().size());
            def.size = int(widest);
        }
    }
    const bool hadFields = FieldCount() > 0;
    SetData(std::move(packet));
    m_autoFields = !hadFields;
}
