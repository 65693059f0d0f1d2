#include "EfdReader.h"

#include "EfdCheck.h"
#include "EfdFormat.h"

#include <QFile>

namespace ciap::efd {

namespace {

// Field access for one line; a malformed value reads as empty or zero (the validator has
// already said what is wrong with it).
class Fields {
public:
    Fields(const EfdText& text, const EfdLine& line)
        : m_text(text)
        , m_line(line) {}

    QStringView view(int n) const { return m_text.field(m_line, n); }
    QString text(int n) const { return view(n).toString(); }
    bool is(int n, const char16_t* value) const { return view(n) == QStringView(value); }
    qint64 number(int n, int decimals = 0) const {
        return EfdFormat::parseFixed(view(n), decimals).value_or(0);
    }
    std::optional<qint64> optional(int n, int decimals = 0) const {
        return EfdFormat::parseFixed(view(n), decimals);
    }
    std::optional<int> optionalInt(int n) const {
        const auto v = optional(n);
        return v ? std::optional<int>(int(*v)) : std::nullopt;
    }
    QDate date(int n) const { return EfdFormat::parseDate(view(n)); }
    IcmsParts icms(int first) const {
        return {number(first, 2), number(first + 1, 2), number(first + 2, 2), number(first + 3, 2)};
    }

private:
    const EfdText& m_text;
    const EfdLine& m_line;
};

void readEstablishment(const Fields& f, Establishment& e) {
    e.purpose = f.is(3, u"1") ? Purpose::Substitute : Purpose::Original;
    e.start = f.date(4);
    e.end = f.date(5);
    e.name = f.text(6);
    e.cnpj = f.text(7);
    e.cpf = f.text(8);
    e.uf = f.text(9);
    e.ie = f.text(10);
    e.municipality = f.text(11);
    e.im = f.text(12);
    e.suframa = f.text(13);
    e.profile = f.is(14, u"B") ? Profile::B : f.is(14, u"C") ? Profile::C : Profile::A;
    e.activity = f.is(15, u"0") ? Activity::Industrial : Activity::Other;
}

Participant readParticipant(const Fields& f) {
    return {f.text(2), f.text(3), f.text(4),  f.text(5),  f.text(6),  f.text(7),
            f.text(8), f.text(9), f.text(10), f.text(11), f.text(12), f.text(13)};
}

Item readItem(const Fields& f) {
    Item i;
    i.code = f.text(2);
    i.description = f.text(3);
    i.barcode = f.text(4);
    i.unit = f.text(6);
    i.type = int(f.number(7));
    i.ncm = f.text(8);
    i.exIpi = f.text(9);
    i.genre = f.text(10);
    i.serviceCode = f.text(11);
    i.icmsRate = f.optional(12, 2);
    i.cest = f.text(13);
    return i;
}

FixedAsset readAsset(const Fields& f) {
    FixedAsset a;
    a.code = f.text(2);
    a.kind = f.is(3, u"2") ? AssetKind::Component : AssetKind::Asset;
    a.description = f.text(4);
    a.mainAsset = f.text(5);
    a.account = f.text(6);
    a.instalments = f.optionalInt(7);
    return a;
}

Movement readMovement(const Fields& f) {
    Movement m;
    m.asset = f.text(2);
    m.date = f.date(3);
    m.kind = EfdLayout::movementKind(f.view(4)).value_or(MovementKind::SI);
    if (!f.view(5).isEmpty() || !f.view(6).isEmpty() || !f.view(7).isEmpty() ||
        !f.view(8).isEmpty())
        m.icms = f.icms(5);
    if (!f.view(9).isEmpty() || !f.view(10).isEmpty())
        m.instalment = Instalment{int(f.number(9)), f.number(10, 2)};
    return m;
}

OtherCredit readOtherCredit(const Fields& f) {
    return {f.date(2),      f.date(3),      int(f.number(4)), f.number(5, 2),
            f.number(6, 2), f.number(7, 2), f.number(8, 8),   f.number(9, 2)};
}

Document readDocument(const Fields& f) {
    Document d;
    d.issuer = f.is(2, u"0") ? Issuer::Own : Issuer::ThirdParty;
    d.participant = f.text(3);
    d.model = f.text(4);
    d.series = f.text(5);
    d.number = f.number(6);
    d.key = f.text(7);
    d.date = f.date(8);
    d.paymentDocument = f.text(9);
    return d;
}

DocumentItem readDocumentItem(const Fields& f) {
    return {int(f.number(2)), f.text(3), f.number(4, 5), f.text(5), f.icms(6)};
}

void readLine(const Fields& f, Reg reg, EfdFile& file) {
    switch (reg) {
    case Reg::R0000:
        readEstablishment(f, file.establishment);
        break;
    case Reg::R0150:
        file.participants << readParticipant(f);
        break;
    case Reg::R0190:
        file.units << Unit{f.text(2), f.text(3)};
        break;
    case Reg::R0200:
        file.items << readItem(f);
        break;
    case Reg::R0300:
        file.assets << readAsset(f);
        break;
    case Reg::R0305:
        if (!file.assets.isEmpty())
            file.assets.back().use = AssetUse{f.text(2), f.text(3), f.optionalInt(4)};
        break;
    case Reg::R0500:
        file.accounts << Account{f.date(2),
                                 f.text(3),
                                 f.is(4, u"S") ? AccountKind::Synthetic : AccountKind::Analytic,
                                 int(f.number(5)),
                                 f.text(6),
                                 f.text(7)};
        break;
    case Reg::R0600:
        file.costCentres << CostCentre{f.date(2), f.text(3), f.text(4)};
        break;
    case Reg::G110:
        file.ciap = {f.date(2),      f.date(3),      f.number(4, 2), f.number(5, 2), f.number(6, 2),
                     f.number(7, 2), f.number(8, 8), f.number(9, 2), f.number(10, 2)};
        break;
    case Reg::G125:
        file.movements << readMovement(f);
        break;
    case Reg::G126:
        if (!file.movements.isEmpty())
            file.movements.back().otherCredits << readOtherCredit(f);
        break;
    case Reg::G130:
        if (!file.movements.isEmpty())
            file.movements.back().documents << readDocument(f);
        break;
    case Reg::G140:
        if (!file.movements.isEmpty() && !file.movements.back().documents.isEmpty())
            file.movements.back().documents.back().items << readDocumentItem(f);
        break;
    default:
        break; // openings, closings and counts are the validator's business
    }
}

} // namespace

ReadResult EfdReader::read(const QByteArray& latin1) {
    const QString text = QString::fromLatin1(latin1);
    const EfdText lines(text);
    ReadResult result;
    result.problems = validateText(lines);
    for (const EfdLine& l : lines.lines()) {
        if (l.reg && l.count == int(EfdLayout::of(*l.reg).fields.size()) + 1)
            readLine(Fields(lines, l), *l.reg, result.file);
    }
    return result;
}

ReadResult EfdReader::readFile(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw EfdError(
            QStringLiteral("Não foi possível ler o arquivo %1: %2").arg(path, in.errorString()));
    return read(in.readAll());
}

} // namespace ciap::efd
