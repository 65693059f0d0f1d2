#include "DemoData.h"

#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "Keys.h"
#include "Month.h"
#include "MonthLoader.h"
#include "RegisterStore.h"
#include "Session.h"
#include "SqlStatement.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

namespace ciap::server {

namespace {

struct DemoAsset {
    const char* name;
    const char* registration;
    int monthsAgo; // entry month relative to the current one
    double own, st, freight, difal;
    const char* type;  // IDTPAPROPPISCOF
    int exitMonthsAgo; // -1: still in use
    const char* exitKind;
};

const DemoAsset named[] = {
    {"Empilhadeira elétrica 2,5 t", DemoData::RegistrationA, 0, 9600.00, 0, 0, 0, "01", -1, ""},
    {"Torno CNC horizontal", DemoData::RegistrationA, 47, 48000.00, 0, 0, 0, "01", -1, ""},
    {"Compressor de ar parafuso", DemoData::RegistrationA, 48, 7200.00, 0, 0, 0, "01", -1, ""},
    {"Caminhão baú 3/4", DemoData::RegistrationA, 20, 24000.00, 1200.00, 0, 0, "01", 6, "V"},
    {"Ponte rolante 10 t", DemoData::RegistrationA, 10, 15000.00, 0, 350.40, 1234.56, "01", -1, ""},
    {"Servidor de rede rack", DemoData::RegistrationA, 5, 3456.78, 0, 0, 0, "09", -1, ""},
    {"Empilhadeira a gás", DemoData::RegistrationA, 30, 8400.00, 0, 120.00, 0, "01", 2, "P"},
    {"Linha de envase", DemoData::RegistrationB, 12, 36000.00, 0, 890.10, 2100.00, "01", -1, ""},
    {"Gerador diesel 150 kVA", DemoData::RegistrationB, 3, 11500.00, 0, 0, 0, "09", -1, ""},
};

const char* families[] = {
    "Prensa hidráulica",  "Esteira transportadora", "Balança rodoviária", "Injetora plástica",
    "Fresadora",          "Retífica plana",         "Cabine de pintura",  "Caldeira",
    "Paleteira elétrica", "Trocador de calor"};

// A small deterministic generator: the demo is the same on every machine.
quint32 nextRandom(quint32& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void insertAsset(Session& s, int number, const DemoAsset& a, const Month& current) {
    const Month entry = current.addMonths(-a.monthsAgo);
    const QDate entryDate = entry.firstDay().addDays((number * 3) % 27);
    QVariant exitDate;
    QVariant exitKind;
    if (a.exitMonthsAgo >= 0) {
        exitDate = current.addMonths(-a.exitMonthsAgo).firstDay().addDays(14);
        exitKind = QString::fromLatin1(a.exitKind);
    }
    SqlStatement st(
        s,
        QStringLiteral("INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO,"
                       " CDINSCESTA, DTENTRADA, VRICMSPROPRIO, VRICMSST, VRICMSFRETE, VRICMSDIFAL,"
                       " NRPARCELAS, IDTPAPROPPISCOF, DTSAIDA, IDTPSAIDA)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 48, ?, ?, ?)"),
        "demo asset");
    st.bind(QString::fromLatin1(DemoData::Company))
        .bind(Keys::pad(QString::number(number), Keys::AssetWidth).value())
        .bind(QString::fromUtf8(a.name))
        .bind(QStringLiteral("PAT-%1").arg(number, 6, 10, QLatin1Char('0')))
        .bind(QString::fromLatin1(a.registration))
        .bind(entryDate)
        .bind(a.own)
        .bind(a.st)
        .bind(a.freight)
        .bind(a.difal)
        .bind(QString::fromLatin1(a.type))
        .bind(exitDate)
        .bind(exitKind)
        .exec();
}

// The 44 positions of an NF-e access key with its check digit (módulo 11, weights 2 to 9 from
// the right), so that the demo's invoices look like what an import will bring.
QString accessKey(const QDate& issued, const char* cnpj, int number, quint32 code) {
    const QString body = QStringLiteral("35%1%2%3550010%4%5%6")
                             .arg(issued.year() % 100, 2, 10, QLatin1Char('0'))
                             .arg(issued.month(), 2, 10, QLatin1Char('0'))
                             .arg(QString::fromLatin1(cnpj))
                             .arg(number, 8, 10, QLatin1Char('0'))
                             .arg(QLatin1Char('1'))
                             .arg(code % 100000000u, 8, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = body.size() - 1, weight = 2; i >= 0; --i, weight = weight == 9 ? 2 : weight + 1)
        sum += body.at(i).digitValue() * weight;
    const int rest = sum % 11;
    return body + QString::number(rest < 2 ? 0 : 11 - rest);
}

struct DemoItem {
    const char* cfop;
    const char* cst;
    int percent;     // share of the invoice's value
    int icmsPercent; // ICMS stated on the item, 0 when none
};

// What a manufacturer's month holds: sales in the state and out of it, goods under tax
// substitution, exempt goods, exports (registration A only), remittances for repair, which do
// not count in the total, and now and then a cancelled invoice.
QList<DemoItem> itemsOf(int pattern, bool exporter) {
    switch (pattern) {
    case 4:
        return {{"5101", "00", 50, 18}, {"5102", "40", 50, 0}};
    case 5:
        return {{"5102", "40", 60, 0}, {"5405", "60", 40, 0}};
    case 6:
        return {{"6101", "20", 100, 12}};
    case 7:
        return exporter ? QList<DemoItem>{{"7101", "41", 100, 0}}
                        : QList<DemoItem>{{"6102", "00", 100, 12}};
    case 8:
        return {{"5101", "00", 70, 18}, {"5915", "41", 30, 0}};
    default:
        return {{"5101", "00", 100, 18}};
    }
}

void insertInvoices(Session& s, const char* registration, const Month& current, quint32 seed) {
    const bool exporter = qstrcmp(registration, DemoData::RegistrationA) == 0;
    int number = 1;
    for (int ago = 23; ago >= 0; --ago) {
        const Month m = current.addMonths(-ago);
        for (int k = 0; k < 6; ++k, ++number) {
            const qint64 total = 2000000 + qint64(nextRandom(seed) % 6000000);
            // Every month opens with exempt goods: no demo month is wholly taxed.
            const int pattern = k == 0 ? 5 : int(nextRandom(seed) % 10);
            const QDate issued = m.firstDay().addDays(k * 4 + 2);
            const QString invoice = QStringLiteral("%1").arg(number, 9, 10, QLatin1Char('0'));
            SqlStatement header(
                s,
                QStringLiteral("INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE,"
                               " NRNFSAIDA, CHNFE, DTEMISSAONF, IDCANCELADA)"
                               " VALUES (?, ?, '55', '1', ?, ?, ?, ?)"),
                "demo invoice");
            header.bind(QString::fromLatin1(DemoData::Company))
                .bind(QString::fromLatin1(registration))
                .bind(invoice)
                .bind(accessKey(issued, "11222333000181", number, nextRandom(seed)))
                .bind(issued)
                .bind(pattern == 9 ? QStringLiteral("S") : QStringLiteral("N"))
                .exec();
            int item = 1;
            qint64 left = total;
            const QList<DemoItem> items = itemsOf(pattern, exporter);
            for (const DemoItem& d : items) {
                const qint64 cents = item == items.size() ? left : total * d.percent / 100;
                left -= cents;
                SqlStatement line(
                    s,
                    QStringLiteral("INSERT INTO NFSAIDAITEM (CDEMPRESA, CDINSCESTA, CDMODELO,"
                                   " NRSERIE, NRNFSAIDA, NRITEM, CDCFOP, CDORIGEM, CDSITTRIB,"
                                   " VRCONTABILCENT, VRICMSCENT)"
                                   " VALUES (?, ?, '55', '1', ?, ?, ?, '0', ?, ?, ?)"),
                    "demo invoice item");
                line.bind(QString::fromLatin1(DemoData::Company))
                    .bind(QString::fromLatin1(registration))
                    .bind(invoice)
                    .bind(item++)
                    .bind(QString::fromLatin1(d.cfop))
                    .bind(QString::fromLatin1(d.cst))
                    .bind(cents)
                    .bind(cents * d.icmsPercent / 100)
                    .exec();
            }
        }
    }
}

void createCompetencia(Session& s, const char* tax, const char* registration, const Month& month,
                       bool appropriate) {
    RegisterStore registers(s);
    CompetenciaStore store(s);
    const TaxInfo info = registers.tax(QString::fromLatin1(tax)).value();
    CompetenciaRow row;
    row.company = QString::fromLatin1(DemoData::Company);
    row.tax = info.code;
    row.registration = QString::fromLatin1(registration);
    row.month = month;
    row.sequence = store.nextSequence(row.company, row.tax);
    store.insert(row);
    TaxTablesStore tables(s);
    MonthLoader loader(registers, tables, store);
    loader.loadAssets(row, info);
    loader.loadOutgoing(row, info);
    if (appropriate)
        CompetenciaFigures::appropriate(store, row, info.kind,
                                        tables.exitMonthInstalment(row.company, row.registration));
}

void exec(Session& s, const QString& sql, const QVariantList& values) {
    SqlStatement st(s, sql, "demo register", SqlStatement::Cache::No);
    for (const QVariant& v : values)
        st.bind(v);
    st.exec();
}

} // namespace

bool DemoData::fillIfEmpty(Session& session, const QDate& today) {
    TransactionGuard tx(session);
    {
        SqlStatement s(session, QStringLiteral("SELECT COUNT(*) FROM EMPRESA"), "demo check",
                       SqlStatement::Cache::No);
        s.exec();
        if (s.next() && s.integer(0) > 0)
            return false;
    }
    const QString company = QString::fromLatin1(Company);
    exec(session, QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, ?)"),
         {company, QStringLiteral("INDÚSTRIA DEMONSTRAÇÃO LTDA")});
    exec(session, QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, ?)"),
         {QStringLiteral("02"), QStringLiteral("COMÉRCIO EXEMPLO S.A.")});
    const QString taxSql = QStringLiteral(
        "INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO) VALUES (?, ?, ?)");
    exec(session, taxSql, {QStringLiteral("01"), QStringLiteral("ICMS"), QStringLiteral("01")});
    exec(session, taxSql,
         {QStringLiteral("02"), QStringLiteral("ICMS - CRÉDITO INTEGRAL"), QStringLiteral("50")});
    exec(session, taxSql,
         {QStringLiteral("03"), QStringLiteral("ICMS - ST INTEGRAL"), QStringLiteral("60")});
    const QString regSql =
        QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA, SGUF) VALUES (?, ?, 'SP')");
    exec(session, regSql, {company, QString::fromLatin1(RegistrationA)});
    exec(session, regSql, {company, QString::fromLatin1(RegistrationB)});
    exec(session, regSql, {QStringLiteral("02"), QStringLiteral("207165890119")});

    const Month current = Month::of(today);
    int number = 1;
    for (const DemoAsset& a : named)
        insertAsset(session, number++, a, current);
    quint32 seed = 20240501u;
    for (int i = 0; i < 36; ++i) {
        const DemoAsset a{families[i % 10],
                          i % 4 == 3 ? RegistrationB : RegistrationA,
                          1 + int(nextRandom(seed) % 46),
                          1500.0 + double(nextRandom(seed) % 4000000) / 100.0,
                          i % 7 == 0 ? 180.0 : 0.0,
                          i % 5 == 0 ? 95.5 : 0.0,
                          0.0,
                          i % 6 == 0 ? "09" : "01",
                          -1,
                          ""};
        QByteArray name = QByteArray(a.name) + ' ' + QByteArray::number(i / 10 + 1);
        DemoAsset copy = a;
        copy.name = name.constData();
        insertAsset(session, number++, copy, current);
    }
    insertInvoices(session, RegistrationA, current, 7u);
    insertInvoices(session, RegistrationB, current, 11u);

    createCompetencia(session, "01", RegistrationA, current.addMonths(-3), true);
    createCompetencia(session, "01", RegistrationA, current.addMonths(-2), false);
    createCompetencia(session, "01", RegistrationA, current.addMonths(-1), false);
    createCompetencia(session, "01", RegistrationB, current.addMonths(-1), false);
    createCompetencia(session, "02", RegistrationA, current.addMonths(-1), false);
    tx.commit();
    return true;
}

} // namespace ciap::server
