// Bloco G: the figures of G110 against its lines, each G125 against its kind and its asset,
// the documents and items under it.
#include "EfdCheck.h"
#include "EfdFormat.h"

#include <QSet>

namespace ciap::efd {

namespace {

using Wide = __int128; // cents × 1e-8 products exceed 64 bits for large figures

// taxed ÷ total at 8 decimals, cut down or rounded half up: either is the layout's quotient.
// With no outgoing at all the month's stored choice (0 or 1) stands.
bool isQuotient(qint64 index, qint64 taxed, qint64 total) {
    if (total == 0)
        return index == 0 || index == kIndexOne;
    const Wide num = Wide(taxed) * kIndexOne;
    const Wide cut = num / total;
    const Wide rounded = (2 * num + total) / (2 * Wide(total));
    return index == cut || index == rounded;
}

// ICMS_APROP against SOM_PARC × IND_PER_SAI. The stored credit comes from the coefficient at
// full precision, of which IND_PER_SAI is the value at 8 decimals (cut or rounded), so any
// product of a coefficient within 1e-8 of it, to the cent, is the layout's product. For
// balances under R$ 1 million the window is narrower than a cent.
bool isProduct(qint64 product, qint64 amount, qint64 index) {
    const Wide low = Wide(amount) * (index > 0 ? index - 1 : 0);
    const Wide high = Wide(amount) * (index + 1);
    return product >= low / kIndexOne && product <= (high + kIndexOne - 1) / kIndexOne;
}

QString money(qint64 cents) {
    return EfdFormat::fixed(cents, 2);
}

struct Period {
    QDate start;
    QDate end;
};

// One G125 with what was found under it, checked when the next one starts.
struct OpenMovement {
    const EfdLine* line = nullptr;
    std::optional<MovementKind> kind;
    int documents = 0;
    bool hasItems = false;
    qint64 itemSums[4] = {0, 0, 0, 0};
    QSet<QString> itemKeys; // (NUM_ITEM, COD_ITEM) of the current G130
};

class BlocoG {
public:
    explicit BlocoG(Check& c)
        : c(c) {}

    void run() {
        const EfdLine* g110 = c.single(Reg::G110);
        if (g110 && g110->count == 10) {
            period = {c.date(*g110, 2), c.date(*g110, 3)};
            if (period.start != c.periodStart || period.end != c.periodEnd)
                c.report(Rule::Period, *g110, 2,
                         QStringLiteral("o período do G110 deve ser o do registro 0000"));
        } else {
            period = {c.periodStart, c.periodEnd};
        }
        for (const EfdLine& l : c.text.lines()) {
            if (!l.reg || l.count != int(EfdLayout::of(*l.reg).fields.size()) + 1)
                continue;
            switch (*l.reg) {
            case Reg::G125:
                close();
                movement(l);
                break;
            case Reg::G126:
                otherCredit(l);
                break;
            case Reg::G130:
                document(l);
                break;
            case Reg::G140:
                item(l);
                break;
            default:
                break;
            }
        }
        close();
        checkPairs();
        if (g110 && g110->count == 10)
            ciap(*g110);
    }

private:
    void ciap(const EfdLine& g) {
        const qint64 taxed = c.valueOr0(g, 6);
        const qint64 total = c.valueOr0(g, 7);
        const qint64 index = c.valueOr0(g, 8);
        if (taxed > total)
            c.report(Rule::G110Outgoing, g, 6,
                     QStringLiteral("saídas tributadas %1 maiores que o total de saídas %2")
                         .arg(money(taxed), money(total)));
        if (index > kIndexOne || (taxed <= total && !isQuotient(index, taxed, total)))
            c.report(Rule::G110Index, g, 8,
                     QStringLiteral("o índice %1 deve ser VL_TRIB_EXP ÷ VL_TOTAL (8 casas), "
                                    "no máximo 1")
                         .arg(c.f(g, 8)));
        if (!isProduct(c.valueOr0(g, 9), c.valueOr0(g, 5), index))
            c.report(
                Rule::G110Credit, g, 9,
                QStringLiteral("ICMS_APROP %1 deve ser SOM_PARC × IND_PER_SAI").arg(c.f(g, 9)));
        const auto sum = [&](int field, qint64 expected, Rule rule, const char* of) {
            if (c.valueOr0(g, field) != expected)
                c.report(rule, g, field,
                         QStringLiteral("informa %1; a soma de %2 é %3")
                             .arg(c.f(g, field), QLatin1String(of), money(expected)));
        };
        sum(4, openingBalance, Rule::G110Opening, "05 a 08 dos G125 do tipo SI");
        sum(5, instalmentSum, Rule::G110Instalments, "VL_PARC_PASS dos G125");
        sum(10, otherCredits, Rule::G110OtherCredits, "VL_PARC_APROP dos G126");
    }

    void movement(const EfdLine& l) {
        open = OpenMovement{};
        open.line = &l;
        open.kind = EfdLayout::movementKind(c.f(l, 4));
        const QStringView asset = c.f(l, 2);
        const EfdLine* reg0300 = c.assets.value(asset);
        if (!reg0300)
            c.report(Rule::RefAsset, l, 2,
                     QStringLiteral("bem %1 não está no registro 0300").arg(asset));
        if (!open.kind) {
            c.report(Rule::FieldValue, l, 4,
                     QStringLiteral("tipo de movimentação '%1' inválido").arg(c.f(l, 4)));
            return;
        }
        const MovementKind kind = *open.kind;
        const QString kindCode = EfdLayout::movementCode(kind);
        quint32& kindsOfAsset = seen[asset];
        const quint32 bit = 1u << unsigned(kind);
        if (kindsOfAsset & bit)
            c.report(Rule::G125Duplicate, l, 4,
                     QStringLiteral("o bem já tem uma linha %1 no período").arg(kindCode));
        kindsOfAsset |= bit;
        (EfdLayout::isEntry(kind) ? entries : exits)[asset] << &l;

        const QDate date = c.date(l, 3);
        if (date.isValid() && kind == MovementKind::SI && date != period.start)
            c.report(Rule::G125Date, l, 3, QStringLiteral("SI é datado do início do período"));
        if (date.isValid() && kind != MovementKind::SI &&
            (date < period.start || date > period.end))
            c.report(Rule::G125Date, l, 3,
                     QStringLiteral("a data da movimentação deve estar no período"));

        if (reg0300 && reg0300->count == 7) {
            const QStringView identMerc = c.f(*reg0300, 3);
            if ((identMerc == u"1" && kind == MovementKind::IA) ||
                (identMerc == u"2" && (kind == MovementKind::IM || kind == MovementKind::CI)))
                c.report(Rule::G125Kind, l, 4,
                         QStringLiteral("%1 não cabe a %2")
                             .arg(kindCode, identMerc == u"1" ? QStringLiteral("um bem")
                                                              : QStringLiteral("um componente")));
        }

        if (!EfdLayout::isEntry(kind)) {
            for (int n = 5; n <= 10; ++n) {
                if (!c.f(l, n).isEmpty()) {
                    c.report(Rule::G125Values, l, n,
                             QStringLiteral("%1 deixa os campos 05 a 10 vazios").arg(kindCode));
                    break;
                }
            }
            return;
        }
        const qint64 total =
            c.valueOr0(l, 5) + c.valueOr0(l, 6) + c.valueOr0(l, 7) + c.valueOr0(l, 8);
        if (total <= 0)
            c.report(Rule::G125Values, l, 5,
                     QStringLiteral("%1 informa ao menos um valor de ICMS (05 a 08) maior que "
                                    "zero")
                         .arg(kindCode));
        const bool hasNumber = !c.f(l, 9).isEmpty();
        const bool hasValue = !c.f(l, 10).isEmpty();
        if (hasNumber != hasValue)
            c.report(Rule::G125Values, l, hasNumber ? 10 : 9,
                     QStringLiteral("NUM_PARC e VL_PARC_PASS são informados juntos"));
        else if (!hasNumber && (kind == MovementKind::IM || kind == MovementKind::MC))
            c.report(Rule::G125Values, l, 9,
                     QStringLiteral("%1 informa NUM_PARC e VL_PARC_PASS").arg(kindCode));
        if (hasNumber && hasValue && reg0300 && reg0300->count == 7)
            instalment(l, *reg0300, total);
        if (kind == MovementKind::SI)
            openingBalance += total;
        instalmentSum += c.valueOr0(l, 10);
    }

    void instalment(const EfdLine& l, const EfdLine& reg0300, qint64 total) {
        const auto count = c.value(reg0300, 7);
        if (!count || *count == 0) {
            if (!instalmentsReported.contains(c.f(reg0300, 2))) {
                instalmentsReported.insert(c.f(reg0300, 2));
                c.report(Rule::AssetInstalments, reg0300, 7,
                         QStringLiteral("o bem tem parcela no período e não informa NR_PARC"));
            }
            return;
        }
        const qint64 value = c.valueOr0(l, 10);
        if (Wide(value) * *count > total)
            c.report(Rule::G125Instalment, l, 10,
                     QStringLiteral("parcela %1 maior que (05+06+07+08) ÷ NR_PARC = %2 ÷ %3")
                         .arg(c.f(l, 10), money(total))
                         .arg(*count));
        const qint64 number = c.valueOr0(l, 9);
        if (number < 1 || number > *count)
            c.report(Rule::G125Instalment, l, 9,
                     QStringLiteral("parcela número %1 fora de 1 a %2 (NR_PARC)")
                         .arg(number)
                         .arg(*count));
    }

    // G130 for the kinds that need one, G140's sums against fields 05-08.
    void close() {
        if (!open.line || !open.kind)
            return;
        const MovementKind k = *open.kind;
        if (open.documents == 0 && (k == MovementKind::IM || k == MovementKind::IA ||
                                    k == MovementKind::MC || k == MovementKind::AT))
            c.report(Rule::G130Required, *open.line, 0,
                     QStringLiteral("%1 exige o documento fiscal (G130)")
                         .arg(EfdLayout::movementCode(k)));
        if (open.hasItems && EfdLayout::isEntry(k)) {
            for (int i = 0; i < 4; ++i) {
                const qint64 v = c.valueOr0(*open.line, 5 + i);
                if (v > open.itemSums[i])
                    c.report(Rule::G140Sums, *open.line, 5 + i,
                             QStringLiteral("%1 maior que a soma dos itens (G140), %2")
                                 .arg(money(v), money(open.itemSums[i])));
            }
        }
        open = OpenMovement{};
    }

    void otherCredit(const EfdLine& l) {
        const QDate from = c.date(l, 2);
        const QDate to = c.date(l, 3);
        if (from.isValid() && to.isValid() && period.start.isValid() &&
            (to < from || to >= period.start || from < period.start.addYears(-5)))
            c.report(Rule::G126Period, l, 2,
                     QStringLiteral("o crédito extemporâneo é de um período anterior, de até "
                                    "cinco anos"));
        const qint64 taxed = c.valueOr0(l, 6);
        const qint64 total = c.valueOr0(l, 7);
        const qint64 index = c.valueOr0(l, 8);
        if (taxed > total || index > kIndexOne || !isQuotient(index, taxed, total))
            c.report(Rule::G126Index, l, 8,
                     QStringLiteral("o índice deve ser VL_TRIB_OC ÷ VL_TOTAL (8 casas), no "
                                    "máximo 1"));
        if (Wide(c.valueOr0(l, 9)) * kIndexOne > Wide(c.valueOr0(l, 5)) * index + kIndexOne / 2)
            c.report(Rule::G126Credit, l, 9,
                     QStringLiteral("VL_PARC_APROP maior que VL_PARC_PASS × IND_PER_SAI"));
        otherCredits += c.valueOr0(l, 9);
    }

    void document(const EfdLine& l) {
        ++open.documents;
        open.itemKeys.clear();
        const QStringView issuer = c.f(l, 2);
        if (issuer != u"0" && issuer != u"1")
            c.report(Rule::FieldValue, l, 2,
                     QStringLiteral("valor '%1' inválido; válidos: 0, 1").arg(issuer));
        if (!c.participants.contains(c.f(l, 3)))
            c.report(Rule::RefParticipant, l, 3,
                     QStringLiteral("participante %1 não está no registro 0150").arg(c.f(l, 3)));
        const QStringView model = c.f(l, 4);
        if (!EfdLayout::isDocumentModel(model))
            c.report(Rule::FieldValue, l, 4,
                     QStringLiteral("modelo de documento '%1' inválido").arg(model));
        const QStringView key = c.f(l, 7);
        const bool electronic = model == u"55" || model == u"57";
        if (electronic && key.isEmpty())
            c.report(Rule::G130Key, l, 7, QStringLiteral("NF-e e CT-e informam a chave"));
        else if (!electronic && !key.isEmpty())
            c.report(Rule::G130Key, l, 7,
                     QStringLiteral("só NF-e (55) e CT-e (57) informam chave"));
        else if (!key.isEmpty() && !EfdFormat::validAccessKey(key))
            c.report(Rule::G130Key, l, 7,
                     QStringLiteral("chave %1 inválida: 44 posições e dígito verificador "
                                    "módulo 11")
                         .arg(key));
        else if (!key.isEmpty() &&
                 (key.sliced(20, 2) != model || key.sliced(25, 9).toLongLong() != c.valueOr0(l, 6)))
            c.report(Rule::G130Key, l, 7,
                     QStringLiteral("a chave não corresponde ao modelo e número do documento"));
        const QDate date = c.date(l, 8);
        if (date.isValid() && period.end.isValid() && date > period.end)
            c.report(Rule::G130Date, l, 8,
                     QStringLiteral("documento emitido depois do fim do período"));
        QString identity = c.assetOf(l).toString();
        for (int n = 2; n <= 7; ++n) {
            identity += u'|';
            identity += c.f(l, n);
        }
        if (documents.contains(identity))
            c.report(Rule::G130Duplicate, l, 6,
                     QStringLiteral("documento já informado para este bem"));
        documents.insert(identity);
    }

    void item(const EfdLine& l) {
        open.hasItems = true;
        for (int i = 0; i < 4; ++i)
            open.itemSums[i] += c.valueOr0(l, 6 + i);
        if (!c.items.contains(c.f(l, 3)))
            c.report(Rule::RefItem, l, 3,
                     QStringLiteral("item %1 não está no registro 0200").arg(c.f(l, 3)));
        if (!c.units.contains(c.f(l, 5)))
            c.report(Rule::RefUnit, l, 5,
                     QStringLiteral("unidade %1 não está no registro 0190").arg(c.f(l, 5)));
        if (c.value(l, 4) == 0)
            c.report(Rule::G140Quantity, l, 4,
                     QStringLiteral("a quantidade aplicada no bem deve ser maior que zero"));
        QString key = c.f(l, 2).toString();
        key += u'|';
        key += c.f(l, 3);
        if (open.itemKeys.contains(key))
            c.report(Rule::G140Duplicate, l, 2,
                     QStringLiteral("item %1 do documento repetido").arg(c.f(l, 2)));
        open.itemKeys.insert(key);
    }

    // An exit (BA, AT, PE, OT) closes an asset the period holds: it has an entry line, and
    // leaves once. BA is the month of the last instalment, and that month has its BA unless
    // the asset left otherwise.
    void checkPairs() {
        for (auto it = exits.cbegin(); it != exits.cend(); ++it) {
            const EfdLine& first = *it.value().front();
            if (!entries.contains(it.key()))
                c.report(Rule::G125Pair, first, 4,
                         QStringLiteral("saída sem a linha SI (ou de entrada) do bem"));
            if (it.value().size() > 1)
                c.report(Rule::G125Pair, *it.value()[1], 4,
                         QStringLiteral("o bem sai do CIAP uma única vez"));
        }
        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            const EfdLine* reg0300 = c.assets.value(it.key());
            const qint64 count =
                reg0300 && reg0300->count == 7 ? c.value(*reg0300, 7).value_or(0) : 0;
            const QList<const EfdLine*> out = exits.value(it.key());
            const bool endsHere = out.size() == 1 && c.f(*out.front(), 4) == u"BA";
            for (const EfdLine* l : it.value()) {
                const qint64 number = c.value(*l, 9).value_or(0);
                if (count == 0 || number == 0)
                    continue;
                if (endsHere && number != count)
                    c.report(Rule::G125Pair, *l, 9,
                             QStringLiteral("BA só no mês da última parcela: NUM_PARC %1 de %2")
                                 .arg(number)
                                 .arg(count));
                if (out.isEmpty() && number == count)
                    c.report(Rule::G125Pair, *l, 9,
                             QStringLiteral("a última parcela vem com a baixa do bem (BA)"));
            }
        }
    }

    Check& c;
    Period period;
    OpenMovement open;
    QHash<QStringView, quint32> seen; // COD_IND_BEM → its TIPO_MOV, one bit each
    QSet<QString> documents;          // asset + G130 fields 02-07
    QSet<QStringView> instalmentsReported;
    QHash<QStringView, QList<const EfdLine*>> entries, exits;
    qint64 openingBalance = 0;
    qint64 instalmentSum = 0;
    qint64 otherCredits = 0;
};

} // namespace

void checkBlocoG(Check& c) {
    BlocoG(c).run();
}

} // namespace ciap::efd
