// Bloco 0's tables: their own rules, and that each is referenced by Bloco G.
#include "EfdCheck.h"
#include "EfdFormat.h"

#include <QSet>

namespace ciap::efd {

namespace {

// Descriptions that name a kind of thing instead of the asset (the layout refuses them in
// 0300). Compared without accents, case or repeated blanks.
// clang-format off
constexpr const char* kGenericDescriptions[] = {
    "bem", "bens", "ativo", "ativo fixo", "ativo imobilizado", "imobilizado", "diversos",
    "diversas", "varios", "varias", "diversas entradas", "diversas saidas", "mercadoria",
    "mercadorias", "mercadorias para revenda", "material", "materiais", "produto", "produtos",
    "item", "itens", "outros", "outras", "componente", "componentes", "equipamento",
    "equipamentos", "maquina", "maquinas", "maquinas e equipamentos", "moveis e utensilios",
    "sem descricao", "nao informado", "nao informada", "a definir", "teste",
};
// clang-format on

bool isGeneric(QStringView description) {
    if (description.size() > 40)
        return false; // every generic term is short; skip the normalisation for the rest
    QString plain;
    for (QChar ch : description.toString().normalized(QString::NormalizationForm_D)) {
        if (ch.category() != QChar::Mark_NonSpacing)
            plain += ch.toLower();
    }
    plain = plain.simplified();
    bool hasLetter = false;
    for (QChar ch : plain)
        hasLetter = hasLetter || ch.isLetter();
    if (!hasLetter)
        return true;
    for (const char* g : kGenericDescriptions) {
        if (plain == QLatin1String(g))
            return true;
    }
    return false;
}

void badValue(Check& c, const EfdLine& l, int field, const QString& valid) {
    c.report(Rule::FieldValue, l, field,
             QStringLiteral("valor '%1' inválido; válidos: %2").arg(c.f(l, field), valid));
}

// Registers each line's key in `table`; a key seen before is a duplicate.
void index(Check& c, Reg reg, int keyField, QHash<QStringView, const EfdLine*>& table,
           int dateField = 0) {
    QSet<QString> seen; // (DT_ALT, code) for the tables that are versioned by date
    for (const EfdLine* l : c.of(reg)) {
        const QStringView key = c.f(*l, keyField);
        bool dup = table.contains(key);
        if (dateField) {
            QString dated = c.f(*l, dateField).toString();
            dated += u'|';
            dated += key;
            dup = seen.contains(dated);
            seen.insert(dated);
        }
        if (dup)
            c.report(
                Rule::Duplicate, *l, keyField,
                QStringLiteral("código %1 repetido no registro %2").arg(key, EfdLayout::code(reg)));
        table.insert(key, l);
    }
}

void checkParticipants(Check& c) {
    for (const EfdLine* l : c.of(Reg::R0150)) {
        if (l->count != 13)
            continue;
        const QStringView country = c.f(*l, 4);
        const bool brazil = country == u"01058" || country == u"1058";
        const QStringView cnpj = c.f(*l, 5);
        const QStringView cpf = c.f(*l, 6);
        if (brazil && cnpj.isEmpty() == cpf.isEmpty())
            c.report(Rule::CnpjOrCpf, *l, 5,
                     QStringLiteral("participante do Brasil informa o CNPJ ou o CPF, nunca os "
                                    "dois"));
        if (!brazil && (!cnpj.isEmpty() || !cpf.isEmpty()))
            c.report(Rule::CnpjOrCpf, *l, cnpj.isEmpty() ? 6 : 5,
                     QStringLiteral("participante do exterior não informa CNPJ nem CPF"));
        if (!cnpj.isEmpty() && !EfdFormat::validCnpj(cnpj))
            c.report(Rule::Cnpj, *l, 5, QStringLiteral("CNPJ %1 inválido").arg(cnpj));
        if (!cpf.isEmpty() && !EfdFormat::validCpf(cpf))
            c.report(Rule::Cpf, *l, 6, QStringLiteral("CPF %1 inválido").arg(cpf));
        const QStringView mun = c.f(*l, 8);
        if (brazil && mun.isEmpty())
            c.report(Rule::FieldRequired, *l, 8,
                     QStringLiteral("participante do Brasil informa o município"));
        if (mun.size() == 7 && mun != u"9999999" && EfdFormat::isDigits(mun)) {
            const bool known = EfdLayout::isUfCode(mun.first(2).toInt());
            if (!known)
                c.report(Rule::Municipality, *l, 8,
                         QStringLiteral("código de município %1 sem UF válida").arg(mun));
        }
    }
}

void checkItemsAndAccounts(Check& c) {
    for (const EfdLine* l : c.of(Reg::R0200)) {
        if (l->count != 13)
            continue;
        if (!c.f(*l, 6).isEmpty() && !c.units.contains(c.f(*l, 6)))
            c.report(Rule::RefUnit, *l, 6,
                     QStringLiteral("unidade %1 não está no registro 0190").arg(c.f(*l, 6)));
        static const QStringList types =
            QStringLiteral("00 01 02 03 04 05 06 07 08 09 10 99").split(u' ');
        if (!c.f(*l, 7).isEmpty() && !types.contains(c.f(*l, 7)))
            badValue(c, *l, 7, types.join(QStringLiteral(", ")));
    }
    for (const EfdLine* l : c.of(Reg::R0500)) {
        if (l->count != 7)
            continue;
        static const QStringList natures = QStringLiteral("01 02 03 04 05 09").split(u' ');
        if (!natures.contains(c.f(*l, 3)))
            badValue(c, *l, 3, natures.join(QStringLiteral(", ")));
        if (c.f(*l, 4) != u"S" && c.f(*l, 4) != u"A")
            badValue(c, *l, 4, QStringLiteral("S, A"));
    }
    for (Reg r : {Reg::R0500, Reg::R0600}) {
        for (const EfdLine* l : c.of(r)) {
            const QDate changed = c.date(*l, 2);
            if (changed.isValid() && c.periodEnd.isValid() && changed > c.periodEnd)
                c.report(Rule::ChangeDate, *l, 2,
                         QStringLiteral("data de inclusão ou alteração posterior ao período"));
        }
    }
}

void checkAssets(Check& c) {
    const QList<EfdLine>& lines = c.text.lines();
    for (const EfdLine* l : c.of(Reg::R0300)) {
        if (l->count != 7)
            continue;
        const QStringView kind = c.f(*l, 3);
        if (kind != u"1" && kind != u"2")
            badValue(c, *l, 3, QStringLiteral("1 (bem), 2 (componente)"));
        const QStringView main = c.f(*l, 5);
        if (kind == u"2" && main.isEmpty())
            c.report(Rule::AssetMain, *l, 5,
                     QStringLiteral("componente sem o código do bem principal"));
        if (!main.isEmpty()) {
            const EfdLine* m = c.assets.value(main);
            if (!m || c.f(*m, 3) == u"2")
                c.report(Rule::AssetMain, *l, 5,
                         QStringLiteral("o bem principal %1 deve ser um bem (não componente) "
                                        "do registro 0300")
                             .arg(main));
        }
        const QStringView accountCode = c.f(*l, 6);
        if (!accountCode.isEmpty()) {
            const EfdLine* a = c.accounts.value(accountCode);
            if (!a)
                c.report(Rule::RefAccount, *l, 6,
                         QStringLiteral("conta %1 não está no registro 0500").arg(accountCode));
            else if (c.f(*a, 3) != u"01" || c.f(*a, 4) != u"A")
                c.report(
                    Rule::RefAccount, *l, 6,
                    QStringLiteral("conta %1 não é uma conta analítica do ativo").arg(accountCode));
        }
        if (isGeneric(c.f(*l, 4)))
            c.report(Rule::AssetDescription, *l, 4,
                     QStringLiteral("descrição genérica '%1'").arg(c.f(*l, 4)));
        // The lines list is in file order and *l points into it: its successor is next.
        const qsizetype at = l - lines.constData();
        const bool hasUse = at + 1 < lines.size() && lines[at + 1].reg == Reg::R0305;
        if (kind == u"1" && !hasUse)
            c.report(Rule::AssetUse, *l, 0,
                     QStringLiteral("bem sem o registro 0305 (utilização do bem)"));
    }
    for (const EfdLine* l : c.of(Reg::R0305)) {
        const QStringView centre = c.f(*l, 2);
        if (!centre.isEmpty() && !c.costCentres.contains(centre))
            c.report(Rule::RefCostCentre, *l, 2,
                     QStringLiteral("centro de custo %1 não está no registro 0600").arg(centre));
    }
}

// Bloco 0 lists only what the file uses.
void checkUnreferenced(Check& c) {
    QSet<QStringView> used;
    const auto collect = [&](Reg reg, int field) {
        for (const EfdLine* l : c.of(reg))
            used.insert(c.f(*l, field));
    };
    const auto unused = [&](Reg reg, int field, const QString& what) {
        for (const EfdLine* l : c.of(reg)) {
            if (!used.contains(c.f(*l, field)))
                c.report(Rule::Unreferenced, *l, field,
                         QStringLiteral("%1 %2 não é usado no arquivo").arg(what, c.f(*l, field)));
        }
        used.clear();
    };
    collect(Reg::G130, 3);
    unused(Reg::R0150, 2, QStringLiteral("participante"));
    collect(Reg::G140, 3);
    unused(Reg::R0200, 2, QStringLiteral("item"));
    collect(Reg::G140, 5);
    collect(Reg::R0200, 6);
    unused(Reg::R0190, 2, QStringLiteral("unidade"));
    collect(Reg::G125, 2);
    collect(Reg::R0300, 5);
    unused(Reg::R0300, 2, QStringLiteral("bem"));
    collect(Reg::R0300, 6);
    unused(Reg::R0500, 6, QStringLiteral("conta"));
    collect(Reg::R0305, 2);
    unused(Reg::R0600, 3, QStringLiteral("centro de custo"));
}

} // namespace

void checkBloco0(Check& c) {
    index(c, Reg::R0150, 2, c.participants);
    index(c, Reg::R0190, 2, c.units);
    index(c, Reg::R0200, 2, c.items);
    index(c, Reg::R0300, 2, c.assets);
    index(c, Reg::R0500, 6, c.accounts, 2);
    index(c, Reg::R0600, 3, c.costCentres, 2);
    checkParticipants(c);
    checkItemsAndAccounts(c);
    checkAssets(c);
    checkUnreferenced(c);
}

} // namespace ciap::efd
