#include "EfdWriter.h"

#include "EfdCheck.h"
#include "EfdFormat.h"
#include "EfdLayout.h"
#include "EfdValidator.h"

#include <QSaveFile>
#include <QSet>

#include <array>

namespace ciap::efd {

namespace {

// Builds the text line by line and counts the registers for the closings. A text field
// holding the separator or a line break cannot be written: it is reported and blanked so the
// rest of the file still lines up for the validator.
class Lines {
public:
    explicit Lines(qsizetype expectedLines) { m_out.reserve(expectedLines * 64); }

    void begin(Reg reg) {
        m_reg = reg;
        m_field = 2;
        ++m_counts[std::size_t(reg)];
        ++m_lines;
        m_out.append(u'|');
        m_out.append(QLatin1String(EfdLayout::of(reg).code, 4));
        m_out.append(u'|');
    }
    void end() { m_out.append(u"\r\n"); }

    Lines& text(const QString& value) {
        if (value.contains(u'|') || value.contains(u'\r') || value.contains(u'\n')) {
            reportCharacter();
            QString clean = value;
            clean.replace(u'|', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
            m_out.append(clean);
        } else {
            m_out.append(value);
        }
        return next();
    }
    Lines& latin1(const char* value) {
        m_out.append(QLatin1String(value));
        return next();
    }
    Lines& fixed(qint64 value, int decimals = 0) {
        EfdFormat::appendFixed(m_out, value, decimals);
        return next();
    }
    Lines& cents(Cents value) { return fixed(value, 2); }
    Lines& number(qint64 value, int width) {
        QString digits = QString::number(value);
        if (value >= 0 && digits.size() < width)
            digits.prepend(QString(width - digits.size(), u'0'));
        m_out.append(digits);
        return next();
    }
    template <typename T> Lines& optional(const std::optional<T>& value, int decimals = 0) {
        if (value)
            return fixed(qint64(*value), decimals);
        return empty();
    }
    Lines& date(const QDate& value) {
        EfdFormat::appendDate(m_out, value);
        return next();
    }
    Lines& empty() { return next(); }

    void setAsset(const QString& asset) { m_asset = asset; }
    int count(Reg reg) const { return m_counts[std::size_t(reg)]; }
    int lines() const { return m_lines; }
    QString& out() { return m_out; }
    QList<Problem>& problems() { return m_problems; }

private:
    Lines& next() {
        m_out.append(u'|');
        ++m_field;
        return *this;
    }
    void reportCharacter() {
        Problem p;
        p.rule = Rule::FieldCharacter;
        p.reg = EfdLayout::code(m_reg);
        p.line = m_lines;
        p.asset = m_asset;
        p.field = QString::fromLatin1(EfdLayout::of(m_reg).field(m_field).name);
        p.message = QStringLiteral("o campo contém o caractere '|' ou uma quebra de linha, "
                                   "que o arquivo não pode representar");
        p.hint = registerHint(Rule::FieldCharacter, p.reg, p.field);
        m_problems << p;
    }

    QString m_out;
    std::array<int, kRegCount> m_counts{};
    int m_lines = 0;
    Reg m_reg = Reg::R0000;
    int m_field = 2;
    QString m_asset;
    QList<Problem> m_problems;
};

// What Bloco G references, so that Bloco 0 lists nothing else.
struct Referenced {
    QSet<QString> participants, units, items, assets, accounts, costCentres;

    explicit Referenced(const EfdFile& f) {
        for (const Movement& m : f.movements) {
            assets.insert(m.asset);
            for (const Document& d : m.documents) {
                participants.insert(d.participant);
                for (const DocumentItem& i : d.items) {
                    items.insert(i.item);
                    units.insert(i.unit);
                }
            }
        }
        // A component's main asset is described too, whether or not it moves this month.
        for (bool grew = true; grew;) {
            grew = false;
            for (const FixedAsset& a : f.assets) {
                if (assets.contains(a.code) && !a.mainAsset.isEmpty() &&
                    !assets.contains(a.mainAsset)) {
                    assets.insert(a.mainAsset);
                    grew = true;
                }
            }
        }
        for (const FixedAsset& a : f.assets) {
            if (!assets.contains(a.code))
                continue;
            accounts.insert(a.account);
            if (a.use)
                costCentres.insert(a.use->costCentre);
        }
        for (const Item& i : f.items) {
            if (items.contains(i.code))
                units.insert(i.unit);
        }
    }
};

const char* profileCode(Profile p) {
    return p == Profile::A ? "A" : p == Profile::B ? "B" : "C";
}

void writeBloco0(Lines& w, const EfdFile& f, const Referenced& ref) {
    const Establishment& e = f.establishment;
    w.begin(Reg::R0000);
    w.text(EfdLayout::layoutVersion(e.end))
        .latin1(e.purpose == Purpose::Original ? "0" : "1")
        .date(e.start)
        .date(e.end)
        .text(e.name)
        .text(e.cnpj)
        .text(e.cpf)
        .text(e.uf)
        .text(e.ie)
        .text(e.municipality)
        .text(e.im)
        .text(e.suframa)
        .latin1(profileCode(e.profile))
        .latin1(e.activity == Activity::Industrial ? "0" : "1")
        .end();
    w.begin(Reg::R0001);
    w.latin1("0").end();
    for (const Participant& p : f.participants) {
        if (!ref.participants.contains(p.code))
            continue;
        w.begin(Reg::R0150);
        w.text(p.code).text(p.name).text(p.country).text(p.cnpj).text(p.cpf).text(p.ie);
        w.text(p.municipality).text(p.suframa).text(p.address).text(p.number);
        w.text(p.complement).text(p.district).end();
    }
    for (const Unit& u : f.units) {
        if (!ref.units.contains(u.code))
            continue;
        w.begin(Reg::R0190);
        w.text(u.code).text(u.description).end();
    }
    for (const Item& i : f.items) {
        if (!ref.items.contains(i.code))
            continue;
        w.begin(Reg::R0200);
        w.text(i.code).text(i.description).text(i.barcode).empty().text(i.unit);
        w.number(i.type, 2).text(i.ncm).text(i.exIpi).text(i.genre).text(i.serviceCode);
        w.optional(i.icmsRate, 2).text(i.cest).end();
    }
    for (const FixedAsset& a : f.assets) {
        if (!ref.assets.contains(a.code))
            continue;
        w.setAsset(a.code);
        w.begin(Reg::R0300);
        w.text(a.code).latin1(a.kind == AssetKind::Asset ? "1" : "2").text(a.description);
        w.text(a.mainAsset).text(a.account).optional(a.instalments).end();
        if (a.use) {
            w.begin(Reg::R0305);
            w.text(a.use->costCentre).text(a.use->function).optional(a.use->usefulLifeMonths);
            w.end();
        }
    }
    w.setAsset({});
    for (const Account& a : f.accounts) {
        if (!ref.accounts.contains(a.code))
            continue;
        w.begin(Reg::R0500);
        w.date(a.changed).text(a.nature).latin1(a.kind == AccountKind::Analytic ? "A" : "S");
        w.fixed(a.level).text(a.code).text(a.name).end();
    }
    for (const CostCentre& c : f.costCentres) {
        if (!ref.costCentres.contains(c.code))
            continue;
        w.begin(Reg::R0600);
        w.date(c.changed).text(c.code).text(c.name).end();
    }
    w.begin(Reg::R0990);
    w.fixed(w.lines()).end(); // 0000 to 0990: every line so far
}

void writeMovement(Lines& w, const Movement& m) {
    w.setAsset(m.asset);
    w.begin(Reg::G125);
    w.text(m.asset).date(m.date).text(EfdLayout::movementCode(m.kind));
    if (m.icms)
        w.cents(m.icms->own).cents(m.icms->st).cents(m.icms->freight).cents(m.icms->difal);
    else
        w.empty().empty().empty().empty();
    if (m.instalment)
        w.fixed(m.instalment->number).cents(m.instalment->value);
    else
        w.empty().empty();
    w.end();
    for (const OtherCredit& o : m.otherCredits) {
        w.begin(Reg::G126);
        w.date(o.start).date(o.end).fixed(o.number).cents(o.value).cents(o.taxedOutgoing);
        w.cents(o.totalOutgoing).fixed(o.outgoingIndex, 8).cents(o.appropriated).end();
    }
    for (const Document& d : m.documents) {
        w.begin(Reg::G130);
        w.latin1(d.issuer == Issuer::Own ? "0" : "1").text(d.participant).text(d.model);
        w.text(d.series).fixed(d.number).text(d.key).date(d.date).text(d.paymentDocument);
        w.end();
        for (const DocumentItem& i : d.items) {
            w.begin(Reg::G140);
            w.fixed(i.number).text(i.item).fixed(i.quantity, 5).text(i.unit);
            w.cents(i.icms.own).cents(i.icms.st).cents(i.icms.freight).cents(i.icms.difal);
            w.end();
        }
    }
}

void writeBlocoG(Lines& w, const EfdFile& f) {
    const int before = w.lines();
    w.begin(Reg::G001);
    w.latin1(f.movements.isEmpty() ? "1" : "0").end();
    if (!f.movements.isEmpty()) {
        const Ciap& c = f.ciap;
        w.begin(Reg::G110);
        w.date(c.start).date(c.end).cents(c.openingBalance).cents(c.instalmentSum);
        w.cents(c.taxedOutgoing).cents(c.totalOutgoing).fixed(c.outgoingIndex, 8);
        w.cents(c.credit).cents(c.otherCredits).end();
        for (const Movement& m : f.movements)
            writeMovement(w, m);
        w.setAsset({});
    }
    w.begin(Reg::G990);
    w.fixed(w.lines() - before).end();
}

void writeBloco9(Lines& w) {
    const int before = w.lines();
    w.begin(Reg::R9001);
    w.latin1("0").end();
    // Bloco 9 lists itself: 9900, 9990 and 9999 each once, 9900 once per type listed.
    std::array<int, kRegCount> counts{};
    int types = 0;
    for (int r = 0; r < kRegCount; ++r) {
        counts[std::size_t(r)] = w.count(Reg(r));
        if (counts[std::size_t(r)] > 0)
            ++types;
    }
    types += 3;
    counts[std::size_t(Reg::R9900)] = types;
    counts[std::size_t(Reg::R9990)] = 1;
    counts[std::size_t(Reg::R9999)] = 1;
    for (int r = 0; r < kRegCount; ++r) {
        if (counts[std::size_t(r)] == 0)
            continue;
        w.begin(Reg::R9900);
        w.latin1(EfdLayout::of(Reg(r)).code).fixed(counts[std::size_t(r)]).end();
    }
    w.begin(Reg::R9990);
    w.fixed(w.lines() - before + 1).end(); // 9999 counts in Bloco 9
    w.begin(Reg::R9999);
    w.fixed(w.lines()).end();
}

qsizetype expectedLines(const EfdFile& f) {
    qsizetype n = 40 + f.assets.size() * 2 + f.movements.size();
    for (const Movement& m : f.movements)
        n += m.documents.size() * 2 + m.otherCredits.size();
    return n;
}

} // namespace

WriteResult EfdWriter::write(const EfdFile& file) {
    Lines w(expectedLines(file));
    writeBloco0(w, file, Referenced(file));
    writeBlocoG(w, file);
    writeBloco9(w);
    WriteResult result;
    result.problems = w.problems();
    result.problems << EfdValidator::validate(w.out());
    if (result.problems.isEmpty())
        result.bytes = w.out().toLatin1();
    return result;
}

void EfdWriter::writeFile(const EfdFile& file, const QString& path) {
    const WriteResult result = write(file);
    if (!result.ok()) {
        throw EfdError(QStringLiteral("O arquivo da EFD não foi gerado: %1 problema(s).")
                           .arg(result.problems.size()),
                       result.problems);
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(result.bytes) != result.bytes.size() ||
        !out.commit()) {
        throw EfdError(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                           .arg(path, out.errorString()));
    }
}

} // namespace ciap::efd
