#include "AssetRegisterDelta.h"

#include "AssetRegisterRows.h"
#include "HandlerSupport.h"
#include "Keys.h"
#include "RegisterEditing.h"
#include "RegisterMessages.h"
#include "RegisterPackets.h"
#include "RegisterStore.h"
#include "ServiceError.h"

#include <QHash>
#include <cmath>

namespace ciap::server {

namespace {

[[noreturn]] void refuse(const QString& text) {
    throw ServiceError::rule(text);
}

// What the user reads a field as, in a refusal.
QString label(const QString& field) {
    static const QHash<QString, QString> labels{
        {QStringLiteral("NMBEMATIVO"), QStringLiteral("Nome")},
        {QStringLiteral("CDPATRIBEMATIVO"), QStringLiteral("Código de patrimônio")},
        {QStringLiteral("NRPARCELAS"), QStringLiteral("Parcelas")},
        {QStringLiteral("NRVIDAUTIL"), QStringLiteral("Vida útil (meses)")},
        {QStringLiteral("VRICMSPROPRIOCENT"), QStringLiteral("ICMS próprio")},
        {QStringLiteral("VRICMSSTCENT"), QStringLiteral("ICMS-ST")},
        {QStringLiteral("VRICMSFRETECENT"), QStringLiteral("ICMS do frete")},
        {QStringLiteral("VRICMSDIFALCENT"), QStringLiteral("Diferencial de alíquota")},
        {QStringLiteral("NRDOCARRECADACAO"), QStringLiteral("Documento de arrecadação")},
        {QStringLiteral("CDBEMPRINCIPAL"), QStringLiteral("Bem principal")},
        {QStringLiteral("CDCONTA"), QStringLiteral("Conta contábil")},
        {QStringLiteral("CDCCUSTO"), QStringLiteral("Centro de custo")},
        {QStringLiteral("DSFUNCAO"), QStringLiteral("Função")},
        {QStringLiteral("CDITEM"), QStringLiteral("Código do item")},
        {QStringLiteral("CDUNIDADE"), QStringLiteral("Unidade")},
        {QStringLiteral("CDPARTICIPANTEENT"), QStringLiteral("Participante")},
        {QStringLiteral("CDMODELOENT"), QStringLiteral("Modelo do documento")},
        {QStringLiteral("NRSERIEENT"), QStringLiteral("Série do documento")},
        {QStringLiteral("NRDOCUMENTOENT"), QStringLiteral("Número do documento")},
        {QStringLiteral("NRITEMENT"), QStringLiteral("Item do documento")},
        {QStringLiteral("QTAPLICADAENT"), QStringLiteral("Quantidade")},
        {QStringLiteral("NRITEMSAI"), QStringLiteral("Item do documento de saída")},
    };
    return labels.value(field, field);
}

// Fields a user may change; the rest come from documents or are computed.
const QStringList& editable() {
    static const QStringList fields{
        QStringLiteral("NMBEMATIVO"),       QStringLiteral("CDPATRIBEMATIVO"),
        QStringLiteral("DTENTRADA"),        QStringLiteral("NRPARCELAS"),
        QStringLiteral("IDTPAPROPPISCOF"),  QStringLiteral("VRICMSPROPRIOCENT"),
        QStringLiteral("VRICMSSTCENT"),     QStringLiteral("VRICMSFRETECENT"),
        QStringLiteral("VRICMSDIFALCENT"),  QStringLiteral("IDDIFALPENDENTE"),
        QStringLiteral("NRDOCARRECADACAO"), QStringLiteral("IDTPBEM"),
        QStringLiteral("CDBEMPRINCIPAL"),   QStringLiteral("CDCONTA"),
        QStringLiteral("CDCCUSTO"),         QStringLiteral("DSFUNCAO"),
        QStringLiteral("NRVIDAUTIL"),       QStringLiteral("CDITEM"),
        QStringLiteral("CDUNIDADE"),        QStringLiteral("CDPARTICIPANTEENT"),
        QStringLiteral("CDMODELOENT"),      QStringLiteral("NRSERIEENT"),
        QStringLiteral("NRDOCUMENTOENT"),   QStringLiteral("CHDOCUMENTOENT"),
        QStringLiteral("DTDOCUMENTOENT"),   QStringLiteral("NRITEMENT"),
        QStringLiteral("QTAPLICADAENT"),    QStringLiteral("DTSAIDA"),
        QStringLiteral("IDTPSAIDA"),        QStringLiteral("CHDOCUMENTOSAI"),
        QStringLiteral("NRITEMSAI")};
    return fields;
}

bool same(FieldType type, const QVariant& a, const QVariant& b) {
    switch (type) {
    case FieldType::String:
        // A data set reads an empty text back as null.
        return a.toString() == b.toString();
    case FieldType::DateTime:
        return a.toDate() == b.toDate();
    case FieldType::Float:
        if (!a.isValid() || !b.isValid())
            return a.isValid() == b.isValid();
        const double x = a.toDouble();
        const double y = b.toDouble();
        return std::fabs(x - y) <= 1e-9 * std::max({1.0, std::fabs(x), std::fabs(y)});
    }
    return false;
}

// The new values of one row, read by field name and checked as the register takes them.
class NewValues final {
public:
    NewValues(const QHash<QString, QVariant>& values)
        : m_values(values) {}

    QVariant raw(const char* field) const { return m_values.value(QLatin1String(field)); }
    QString text(const char* field) const {
        const QString name = QLatin1String(field);
        const QString t = m_values.value(name).toString().trimmed();
        for (const FieldDef& f : RegisterPackets::assets()) {
            if (f.name == name && f.size > 0 && t.size() > f.size)
                refuse(RegisterMessages::tooLong(label(name), f.size));
        }
        return t;
    }
    int whole(const char* field, int low, int high, bool nullable) const {
        const QVariant v = raw(field);
        if (!v.isValid() && nullable)
            return 0;
        const double d = v.toDouble();
        if (!v.isValid() || d != std::floor(d) || d < low || d > high)
            refuse(RegisterMessages::outOfRange(label(QLatin1String(field)), low, high));
        return int(d);
    }
    qint64 cents(const char* field) const {
        const QVariant v = raw(field);
        if (!v.isValid())
            return 0;
        const double d = v.toDouble();
        // Whole cents, and far below where a double stops holding every one of them.
        if (!std::isfinite(d) || d != std::floor(d) || d < 0 || d > 1e13)
            refuse(RegisterMessages::badCents(label(QLatin1String(field))));
        return qint64(d);
    }

private:
    const QHash<QString, QVariant>& m_values;
};

} // namespace

void AssetRegisterDelta::apply(const Delta& delta) {
    for (int i = 0; i < delta.changes.size(); ++i)
        applyChange(delta.fields, delta.changes.at(i), i);
}

void AssetRegisterDelta::applyChange(const QList<FieldDef>& fields, const DeltaChange& change,
                                     int index) {
    const auto invalid = [index](const QString& what) {
        return ServiceError::invalidParams(
            QStringLiteral("saveAssets: alteração %1: %2.").arg(index + 1).arg(what));
    };
    if (change.status != ChangeStatus::Modified)
        refuse(RegisterMessages::onlyModifications());
    if (change.oldValues.size() != fields.size() || change.newValues.size() != fields.size())
        throw invalid(QStringLiteral("o número de valores difere do de campos"));

    QHash<QString, QVariant> old;
    QHash<QString, QVariant> now;
    for (int f = 0; f < fields.size(); ++f) {
        old.insert(fields.at(f).name.toUpper(), change.oldValues.at(f));
        now.insert(fields.at(f).name.toUpper(), change.newValues.at(f));
    }
    const auto company =
        Keys::pad(old.value(QStringLiteral("CDEMPRESA")).toString(), Keys::CompanyWidth);
    const auto code =
        Keys::pad(old.value(QStringLiteral("CDBEMATIVO")).toString(), Keys::AssetWidth);
    if (!company || !code || company->trimmed().isEmpty() || code->trimmed().isEmpty())
        throw invalid(QStringLiteral("faltam CDEMPRESA e CDBEMATIVO"));
    if (Keys::pad(now.value(QStringLiteral("CDEMPRESA")).toString(), Keys::CompanyWidth) !=
            company ||
        Keys::pad(now.value(QStringLiteral("CDBEMATIVO")).toString(), Keys::AssetWidth) != code)
        refuse(RegisterMessages::identityChange());

    RegisterStore registers(m_session);
    HandlerSupport::requireCompany(registers, *company);
    // The asset as the client read it must be the asset as stored: otherwise someone changed
    // it in between, and this change would overwrite theirs.
    const auto stored = AssetRegisterRows(m_session).current(*company, *code);
    if (!stored)
        throw ServiceError::conflict();
    const QList<FieldDef>& defs = RegisterPackets::assets();
    QStringList changed;
    for (int f = 0; f < defs.size(); ++f) {
        const FieldDef& def = defs.at(f);
        if (!old.contains(def.name))
            continue;
        if (!AssetRegisterRows::derived(def.name) &&
            !same(def.type, old.value(def.name), stored->at(f)))
            throw ServiceError::conflict();
        if (!same(def.type, old.value(def.name), now.value(def.name)))
            changed << def.name;
    }
    for (const QString& field : std::as_const(changed)) {
        if (!editable().contains(field))
            refuse(RegisterMessages::fieldNotEditable(label(field)));
    }
    const auto has = [&changed](const char* field) {
        return changed.contains(QLatin1String(field));
    };

    const NewValues v(now);
    AssetChanges c;
    bool any = false;
    const auto setText = [&](std::optional<QString>& member, const char* field) {
        if (has(field)) {
            member = v.text(field);
            any = true;
        }
    };
    if (has("NMBEMATIVO") && v.text("NMBEMATIVO").isEmpty())
        refuse(RegisterMessages::nameRequired());
    setText(c.name, "NMBEMATIVO");
    setText(c.patrimony, "CDPATRIBEMATIVO");
    if (has("IDTPAPROPPISCOF")) {
        const QString type = v.text("IDTPAPROPPISCOF");
        if (type != QLatin1String("01") && type != QLatin1String("09"))
            refuse(RegisterMessages::badAppropriationType());
        c.appropriationType = type;
        any = true;
    }
    if (has("DTENTRADA")) {
        if (!v.raw("DTENTRADA").toDate().isValid())
            refuse(RegisterMessages::entryDateRequired());
        c.entryDate = v.raw("DTENTRADA").toDate();
        any = true;
    }
    if (has("NRPARCELAS")) {
        c.instalments = v.whole("NRPARCELAS", 1, 999, false);
        any = true;
    }
    if (has("NRVIDAUTIL")) {
        c.usefulLife = v.whole("NRVIDAUTIL", 1, 999, true);
        any = true;
    }
    if (has("IDTPBEM") || has("CDBEMPRINCIPAL")) {
        const QString kind = v.text("IDTPBEM");
        if (kind != QLatin1String("1") && kind != QLatin1String("2"))
            refuse(RegisterMessages::badAssetKind());
        c.component = kind == QLatin1String("2");
        c.mainAsset = v.text("CDBEMPRINCIPAL");
        if (!*c.component && !c.mainAsset->isEmpty())
            refuse(RegisterMessages::mainAssetOfAsset());
        any = true;
    }
    setText(c.account, "CDCONTA");
    setText(c.costCentre, "CDCCUSTO");
    setText(c.function, "DSFUNCAO");
    setText(c.item, "CDITEM");
    setText(c.unit, "CDUNIDADE");
    setText(c.paymentDocument, "NRDOCARRECADACAO");
    const auto setCents = [&](std::optional<qint64>& member, const char* field) {
        if (has(field)) {
            member = v.cents(field);
            any = true;
        }
    };
    setCents(c.ownCents, "VRICMSPROPRIOCENT");
    setCents(c.stCents, "VRICMSSTCENT");
    setCents(c.freightCents, "VRICMSFRETECENT");
    setCents(c.difalCents, "VRICMSDIFALCENT");
    if (has("IDDIFALPENDENTE")) {
        // Answering the rate differential with the amount already there (zero: the state
        // charged nothing) is marking it no longer pending.
        if (v.text("IDDIFALPENDENTE") != QLatin1String("N"))
            refuse(RegisterMessages::difalStillPending());
        if (!c.difalCents)
            c.difalCents = v.cents("VRICMSDIFALCENT");
        any = true;
    }
    setText(c.participant, "CDPARTICIPANTEENT");
    setText(c.documentModel, "CDMODELOENT");
    setText(c.documentSeries, "NRSERIEENT");
    setText(c.documentNumber, "NRDOCUMENTOENT");
    setText(c.documentKey, "CHDOCUMENTOENT");
    if (has("DTDOCUMENTOENT")) {
        c.documentDate = v.raw("DTDOCUMENTOENT").toDate();
        any = true;
    }
    if (has("NRITEMENT")) {
        c.documentItem = v.whole("NRITEMENT", 1, 999, true);
        any = true;
    }
    if (has("QTAPLICADAENT")) {
        const double q = v.raw("QTAPLICADAENT").toDouble();
        if (!std::isfinite(q) || q <= 0 || q > 1e9)
            refuse(RegisterMessages::outOfRange(label(QStringLiteral("QTAPLICADAENT")), 0,
                                                1000000000));
        c.quantity = std::llround(q * double(QuantityScale));
        any = true;
    }

    RegisterEditing editing(m_session);
    const bool exitChanged =
        has("DTSAIDA") || has("IDTPSAIDA") || has("CHDOCUMENTOSAI") || has("NRITEMSAI");
    const QDate exitDate = v.raw("DTSAIDA").toDate();
    const QString exitKind = v.text("IDTPSAIDA").toUpper();
    const QString exitKey = v.text("CHDOCUMENTOSAI");
    if (exitChanged && !exitDate.isValid()) {
        if (!exitKind.isEmpty())
            refuse(RegisterMessages::exitDateRequired());
        if (!exitKey.isEmpty())
            refuse(RegisterMessages::exitDocumentWithoutExit());
    }
    if (exitChanged && exitDate.isValid() && exitKind.isEmpty())
        refuse(RegisterMessages::exitKindRequired());
    // The old exit goes first, so that a new entry date is checked against the new exit only.
    if (exitChanged && old.value(QStringLiteral("DTSAIDA")).toDate().isValid())
        editing.clearExit(*company, *code);
    if (any)
        editing.change(*company, *code, c);
    if (exitChanged && exitDate.isValid())
        editing.recordExit(*company, *code, exitDate, exitKind, exitKey,
                           v.whole("NRITEMSAI", 1, 990, true));
}

} // namespace ciap::server
