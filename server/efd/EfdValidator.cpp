#include "EfdValidator.h"

#include "EfdCheck.h"
#include "EfdFormat.h"

namespace ciap::efd {

namespace {

bool fromTheWriter(Rule rule) {
    switch (rule) {
    case Rule::LineFormat:
    case Rule::UnknownRegister:
    case Rule::FieldCount:
    case Rule::Hierarchy:
    case Rule::Order:
    case Rule::Occurrence:
    case Rule::BlockMovement:
    case Rule::BlockCount:
    case Rule::RegisterCount:
    case Rule::FileCount:
    case Rule::LayoutVersion:
    case Rule::Unreferenced:
        return true;
    default:
        return false;
    }
}

QString code(const EfdLine& line) {
    return line.reg ? EfdLayout::code(*line.reg) : QString();
}

} // namespace

QString registerHint(Rule rule, QStringView reg, QStringView field) {
    if (fromTheWriter(rule))
        return {};
    if (rule == Rule::Encoding || rule == Rule::FieldCharacter)
        return QStringLiteral("troque o caractere no cadastro de origem: o arquivo só aceita "
                              "ISO-8859-1, sem '|' nem quebras de linha");
    if (rule == Rule::G130Required) // reported on the G125 that lacks it
        return QStringLiteral("bem sem documento fiscal: informe no cadastro do bem a nota de "
                              "entrada (ou a de venda, na alienação)");
    if (reg == u"0000")
        return QStringLiteral("corrija os dados do estabelecimento (empresa e inscrição estadual)");
    if (reg == u"0150")
        return QStringLiteral("corrija o cadastro do participante do documento fiscal");
    if (reg == u"0190")
        return QStringLiteral("corrija o cadastro da unidade de medida");
    if (reg == u"0200")
        return QStringLiteral("corrija o cadastro do item da nota fiscal");
    if (reg == u"0300") {
        if (rule == Rule::AssetUse)
            return QStringLiteral("bem sem centro de custo: informe o centro de custo e a "
                                  "função do bem no cadastro");
        if (field == u"COD_CTA" && rule == Rule::RefAccount)
            return QStringLiteral("a conta do bem deve ser uma conta analítica do ativo "
                                  "(natureza 01) do plano de contas");
        if (field == u"COD_CTA")
            return QStringLiteral("bem sem conta contábil: informe a conta do bem ou a conta "
                                  "padrão da inscrição");
        if (field == u"DESCR_ITEM")
            return QStringLiteral("informe no cadastro do bem uma descrição que o "
                                  "individualize: modelo, marca, características");
        if (field == u"COD_PRNC")
            return QStringLiteral("informe no cadastro do componente o bem principal a que "
                                  "pertence");
        if (field == u"NR_PARC")
            return QStringLiteral("informe no cadastro do bem o número de parcelas (48 na "
                                  "maioria dos estados)");
        return QStringLiteral("corrija o cadastro do bem");
    }
    if (reg == u"0305")
        return QStringLiteral("informe o centro de custo e a função do bem no cadastro");
    if (reg == u"0500")
        return QStringLiteral("corrija a conta no plano de contas");
    if (reg == u"0600")
        return QStringLiteral("corrija o cadastro do centro de custo");
    if (reg == u"G110")
        return QStringLiteral("confira os valores de saída e recalcule a competência antes "
                              "de exportar");
    if (reg == u"G125") {
        if (field.startsWith(u"VL_IMOB"))
            return QStringLiteral("informe no cadastro do bem os valores de ICMS da entrada");
        if (field == u"DT_MOV")
            return QStringLiteral("confira as datas de entrada e de saída no cadastro do bem");
        if (field == u"NUM_PARC" || field == u"VL_PARC_PASS")
            return QStringLiteral("confira o número de parcelas e os valores de ICMS no "
                                  "cadastro do bem");
        return QStringLiteral("confira o cadastro do bem");
    }
    if (reg == u"G126")
        return QStringLiteral("confira o crédito extemporâneo lançado para o bem");
    if (reg == u"G130") {
        if (field == u"CHV_NFE_CTE")
            return QStringLiteral("confira a chave de acesso da nota no cadastro do bem");
        return QStringLiteral("confira o documento fiscal informado no cadastro do bem");
    }
    if (reg == u"G140")
        return QStringLiteral("confira os itens da nota de entrada informados no cadastro "
                              "do bem");
    return {};
}

Check::Check(const EfdText& textIn)
    : text(textIn) {
    const QList<EfdLine>& lines = text.lines();
    m_assetOf.resize(lines.isEmpty() ? 1 : lines.back().number + 1);
    QStringView asset0300;
    QStringView assetG125;
    for (const EfdLine& l : lines) {
        if (!l.reg)
            continue;
        m_byReg[std::size_t(*l.reg)] << &l;
        switch (*l.reg) {
        case Reg::R0300:
            asset0300 = f(l, 2);
            m_assetOf[l.number] = asset0300;
            break;
        case Reg::R0305:
            m_assetOf[l.number] = asset0300;
            break;
        case Reg::G125:
            assetG125 = f(l, 2);
            m_assetOf[l.number] = assetG125;
            break;
        case Reg::G126:
        case Reg::G130:
        case Reg::G140:
            m_assetOf[l.number] = assetG125;
            break;
        default:
            asset0300 = {};
            assetG125 = {};
        }
    }
    if (const EfdLine* h = single(Reg::R0000)) {
        periodStart = date(*h, 4);
        periodEnd = date(*h, 5);
    }
}

std::optional<qint64> Check::value(const EfdLine& line, int number) const {
    if (!line.reg || number > line.count)
        return std::nullopt;
    const RegisterLayout& layout = EfdLayout::of(*line.reg);
    if (number < 2 || std::size_t(number - 2) >= layout.fields.size())
        return std::nullopt; // a line with more fields than its register has
    return EfdFormat::parseFixed(f(line, number), layout.field(number).decimals);
}

QDate Check::date(const EfdLine& line, int number) const {
    return EfdFormat::parseDate(f(line, number));
}

void Check::report(Rule rule, const EfdLine& line, int field, const QString& message) {
    Problem p;
    p.rule = rule;
    p.reg = line.reg ? code(line) : f(line, 1).toString();
    p.line = line.number;
    p.asset = assetOf(line).toString();
    if (line.reg && field >= 2)
        p.field = QString::fromLatin1(EfdLayout::of(*line.reg).field(field).name);
    p.message = message;
    p.hint = registerHint(rule, p.reg, p.field);
    problems << p;
}

void Check::reportFile(Rule rule, const QString& message) {
    Problem p;
    p.rule = rule;
    p.message = message;
    problems << p;
}

void checkFields(Check& c) {
    for (const EfdLine& l : c.text.lines()) {
        if (!l.reg)
            continue;
        const RegisterLayout& s = EfdLayout::of(*l.reg);
        if (l.count != int(s.fields.size()) + 1) {
            c.report(Rule::FieldCount, l, 0,
                     QStringLiteral("o registro tem %1 campos; o leiaute define %2")
                         .arg(l.count)
                         .arg(s.fields.size() + 1));
            continue;
        }
        for (int n = 2; n <= l.count; ++n) {
            const QStringView v = c.f(l, n);
            const FieldLayout& fs = s.field(n);
            for (QChar ch : v) {
                if (ch.unicode() > 0xFF) {
                    c.report(Rule::Encoding, l, n,
                             QStringLiteral("o caractere '%1' (U+%2) não existe no ISO-8859-1")
                                 .arg(ch)
                                 .arg(ch.unicode(), 4, 16, QLatin1Char('0')));
                    break;
                }
            }
            if (v.isEmpty()) {
                if (fs.required)
                    c.report(Rule::FieldRequired, l, n, QStringLiteral("campo obrigatório vazio"));
                continue;
            }
            qsizetype length = v.size();
            switch (fs.type) {
            case FieldType::Key:
                continue; // G130_KEY says what is wrong with a key
            case FieldType::Date:
                if (!EfdFormat::parseDate(v).isValid())
                    c.report(Rule::FieldDate, l, n,
                             QStringLiteral("data inválida '%1': use ddmmaaaa").arg(v));
                continue;
            case FieldType::Number:
                if (fs.decimals == 0 && !EfdFormat::isDigits(v)) {
                    c.report(Rule::FieldType, l, n,
                             QStringLiteral("'%1' não é um número inteiro sem sinal").arg(v));
                    continue;
                }
                if (fs.decimals > 0 && !EfdFormat::parseFixed(v, fs.decimals)) {
                    const bool numberLike =
                        EfdFormat::isDigits(v.toString().remove(u',')) && v.count(u',') <= 1;
                    c.report(numberLike ? Rule::FieldDecimals : Rule::FieldType, l, n,
                             QStringLiteral("'%1': use vírgula decimal e exatamente %2 casas "
                                            "decimais, sem separador de milhar nem sinal")
                                 .arg(v)
                                 .arg(fs.decimals));
                    continue;
                }
                if (fs.decimals > 0)
                    --length; // the size counts digits, not the comma
                break;
            case FieldType::Text:
                break;
            }
            if (fs.size > 0 && (fs.exact ? length != fs.size : length > fs.size)) {
                c.report(Rule::FieldSize, l, n,
                         QStringLiteral("'%1' tem %2 caracteres; o campo aceita %3 %4")
                             .arg(v)
                             .arg(length)
                             .arg(fs.exact ? QStringLiteral("exatamente") : QStringLiteral("até"))
                             .arg(fs.size));
            }
        }
    }
}

void checkStructure(Check& c) {
    const QList<EfdLine>& lines = c.text.lines();
    if (lines.isEmpty()) {
        c.reportFile(Rule::Occurrence, QStringLiteral("arquivo vazio"));
        return;
    }
    if (lines.front().reg != Reg::R0000)
        c.report(Rule::Order, lines.front(), 0, QStringLiteral("o arquivo deve começar com 0000"));
    if (lines.back().reg != Reg::R9999)
        c.report(Rule::Order, lines.back(), 0, QStringLiteral("o arquivo deve terminar com 9999"));

    std::array<std::optional<Reg>, 6> open{};
    std::array<int, 6> lastRank;
    lastRank.fill(-1);
    for (const EfdLine& l : lines) {
        if (!l.reg)
            continue;
        const RegisterLayout& s = EfdLayout::of(*l.reg);
        if (s.parent != Reg::Count && open[std::size_t(s.level - 1)] != s.parent) {
            c.report(Rule::Hierarchy, l, 0,
                     QStringLiteral("o registro %1 deve vir abaixo de um registro %2")
                         .arg(s.code, EfdLayout::of(s.parent).code));
        }
        const int rank = int(*l.reg);
        if (lastRank[std::size_t(s.level)] > rank) {
            c.report(Rule::Order, l, 0,
                     QStringLiteral("o registro %1 está fora da ordem do leiaute").arg(s.code));
        }
        lastRank[std::size_t(s.level)] = rank;
        open[std::size_t(s.level)] = *l.reg;
        for (std::size_t k = std::size_t(s.level) + 1; k < open.size(); ++k) {
            open[k].reset();
            lastRank[k] = -1;
        }
    }

    for (Reg r : {Reg::R0000, Reg::R0001, Reg::R0990, Reg::G001, Reg::G990, Reg::R9001, Reg::R9990,
                  Reg::R9999}) {
        const auto& found = c.of(r);
        if (found.size() != 1) {
            c.reportFile(Rule::Occurrence,
                         QStringLiteral("o registro %1 deve aparecer uma vez; aparece %2")
                             .arg(EfdLayout::code(r))
                             .arg(found.size()));
        }
    }
    if (c.of(Reg::G110).size() > 1)
        c.report(Rule::Occurrence, *c.of(Reg::G110)[1], 0,
                 QStringLiteral("o período tem um único registro G110"));
    // 0305 is 1:1 under its 0300.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].reg == Reg::R0305 && lines[i - 1].reg == Reg::R0305)
            c.report(Rule::Occurrence, lines[i], 0,
                     QStringLiteral("um bem tem um único registro 0305"));
    }

    const auto indMov = [&](Reg r, bool zeroOnly) {
        for (const EfdLine* l : c.of(r)) {
            const QStringView v = c.f(*l, 2);
            if (v != u"0" && (zeroOnly || v != u"1"))
                c.report(Rule::FieldValue, *l, 2,
                         QStringLiteral("valor '%1' inválido; válidos: %2")
                             .arg(v, zeroOnly ? QStringLiteral("0") : QStringLiteral("0, 1")));
        }
    };
    indMov(Reg::R0001, true);
    indMov(Reg::R9001, true);
    indMov(Reg::G001, false);
    if (const EfdLine* g = c.single(Reg::G001)) {
        const bool noData = c.f(*g, 2) == u"1";
        const qsizetype content = c.of(Reg::G110).size() + c.of(Reg::G125).size() +
                                  c.of(Reg::G126).size() + c.of(Reg::G130).size() +
                                  c.of(Reg::G140).size();
        if (noData && content > 0)
            c.report(Rule::BlockMovement, *g, 2,
                     QStringLiteral("bloco sem dados (1) não pode ter registros entre G001 "
                                    "e G990"));
        if (c.f(*g, 2) == u"0" && c.of(Reg::G110).isEmpty())
            c.report(Rule::BlockMovement, *g, 2,
                     QStringLiteral("bloco com dados (0) exige o registro G110"));
    }
}

void checkCounts(Check& c) {
    const QList<EfdLine>& lines = c.text.lines();
    QHash<QStringView, int> perType;
    int block0 = 0, blockG = 0, block9 = 0;
    for (const EfdLine& l : lines) {
        const QStringView reg = c.f(l, 1);
        ++perType[reg];
        const QChar block = reg.isEmpty() ? QChar() : reg.front();
        block0 += block == u'0';
        blockG += block == u'G';
        block9 += block == u'9';
    }
    const auto compare = [&](Reg r, int actual, Rule rule, const QString& what) {
        for (const EfdLine* l : c.of(r)) {
            const auto declared = c.value(*l, 2);
            if (declared && *declared != actual)
                c.report(rule, *l, 2,
                         QStringLiteral("informa %1 %2; o arquivo tem %3")
                             .arg(*declared)
                             .arg(what)
                             .arg(actual));
        }
    };
    compare(Reg::R0990, block0, Rule::BlockCount, QStringLiteral("linhas no bloco 0"));
    compare(Reg::G990, blockG, Rule::BlockCount, QStringLiteral("linhas no bloco G"));
    compare(Reg::R9990, block9, Rule::BlockCount, QStringLiteral("linhas no bloco 9"));
    compare(Reg::R9999, int(lines.size()), Rule::FileCount, QStringLiteral("linhas"));

    QHash<QStringView, int> listed;
    for (const EfdLine* l : c.of(Reg::R9900)) {
        const QStringView reg = c.f(*l, 2);
        if (listed.contains(reg)) {
            c.report(Rule::RegisterCount, *l, 2,
                     QStringLiteral("o registro %1 já foi totalizado").arg(reg));
            continue;
        }
        listed.insert(reg, l->number);
        const int actual = perType.value(reg);
        const auto declared = c.value(*l, 3);
        if (declared && *declared != actual)
            c.report(Rule::RegisterCount, *l, 3,
                     QStringLiteral("informa %1 registros %2; o arquivo tem %3")
                         .arg(*declared)
                         .arg(reg)
                         .arg(actual));
    }
    for (auto it = perType.cbegin(); it != perType.cend(); ++it) {
        if (!listed.contains(it.key()) && EfdLayout::find(it.key()))
            c.reportFile(
                Rule::RegisterCount,
                QStringLiteral("falta o registro 9900 que totaliza os registros %1").arg(it.key()));
    }
}

void checkHeader(Check& c) {
    const EfdLine* h = c.single(Reg::R0000);
    if (!h || h->count != 15)
        return;
    const auto badValue = [&](int field, const QString& valid) {
        c.report(Rule::FieldValue, *h, field,
                 QStringLiteral("valor '%1' inválido; válidos: %2").arg(c.f(*h, field), valid));
    };
    if (c.f(*h, 3) != u"0" && c.f(*h, 3) != u"1")
        badValue(3, QStringLiteral("0, 1"));
    if (c.f(*h, 14).size() != 1 || !QStringLiteral("ABC").contains(c.f(*h, 14)))
        badValue(14, QStringLiteral("A, B, C"));
    if (c.f(*h, 15) != u"0" && c.f(*h, 15) != u"1")
        badValue(15, QStringLiteral("0, 1"));

    if (c.periodStart.isValid() && c.periodEnd.isValid()) {
        const QString version = EfdLayout::layoutVersion(c.periodEnd);
        if (version.isEmpty())
            c.report(Rule::LayoutVersion, *h, 2,
                     QStringLiteral("não há versão do leiaute conhecida para %1")
                         .arg(c.periodEnd.year()));
        else if (c.f(*h, 2) != version)
            c.report(Rule::LayoutVersion, *h, 2,
                     QStringLiteral("a versão do leiaute em %1 é %2")
                         .arg(c.periodEnd.year())
                         .arg(version));
        if (c.periodEnd < c.periodStart || c.periodEnd.month() != c.periodStart.month() ||
            c.periodEnd.year() != c.periodStart.year())
            c.report(Rule::Period, *h, 5,
                     QStringLiteral("DT_FIN deve ser igual ou posterior a DT_INI, no mesmo mês"));
    }

    const QStringView cnpj = c.f(*h, 7);
    const QStringView cpf = c.f(*h, 8);
    if (cnpj.isEmpty() == cpf.isEmpty())
        c.report(Rule::CnpjOrCpf, *h, cnpj.isEmpty() ? 7 : 8,
                 QStringLiteral("informe o CNPJ ou o CPF do estabelecimento, nunca os dois"));
    if (!cnpj.isEmpty() && !EfdFormat::validCnpj(cnpj))
        c.report(Rule::Cnpj, *h, 7, QStringLiteral("CNPJ %1 inválido").arg(cnpj));
    if (!cpf.isEmpty() && !EfdFormat::validCpf(cpf))
        c.report(Rule::Cpf, *h, 8, QStringLiteral("CPF %1 inválido").arg(cpf));
    if (!cpf.isEmpty() && c.f(*h, 15) != u"1")
        c.report(Rule::FieldValue, *h, 15,
                 QStringLiteral("pessoa física (CPF) informa IND_ATIV 1"));

    const int uf = EfdLayout::ufCode(c.f(*h, 9));
    if (uf == 0)
        badValue(9, QStringLiteral("a sigla de uma unidade da federação"));
    const QStringView mun = c.f(*h, 11);
    if (uf != 0 && mun.size() == 7 && mun.first(2) != QString::number(uf))
        c.report(Rule::Municipality, *h, 11,
                 QStringLiteral("o município %1 não pertence à UF %2").arg(mun, c.f(*h, 9)));
}

QList<Problem> EfdValidator::validate(QStringView text) {
    return validateText(EfdText(text));
}

QList<Problem> validateText(const EfdText& text) {
    Check c(text);
    c.problems = c.text.problems();
    checkFields(c);
    checkStructure(c);
    checkCounts(c);
    checkHeader(c);
    checkBloco0(c);
    checkBlocoG(c);
    return c.problems;
}

} // namespace ciap::efd
