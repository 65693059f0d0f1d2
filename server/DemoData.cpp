#include "DemoData.h"

#include "CompetenciaStore.h"
#include "Keys.h"
#include "Month.h"
#include "MonthLoader.h"
#include "RegisterStore.h"
#include "Session.h"
#include "SqlStatement.h"
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

void insertInvoices(Session& s, const char* registration, const Month& current, quint32 seed) {
    int number = 1;
    for (int ago = 23; ago >= 0; --ago) {
        const Month m = current.addMonths(-ago);
        for (int k = 0; k < 6; ++k) {
            const double total = 20000.0 + double(nextRandom(seed) % 6000000) / 100.0;
            const double share = 0.55 + double(nextRandom(seed) % 40) / 100.0;
            SqlStatement st(
                s,
                QStringLiteral("INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, NRNFSAIDA,"
                               " DTEMISSAONF, VRTOTALNF, VRTRIBNF) VALUES (?, ?, ?, ?, ?, ?)"),
                "demo invoice");
            st.bind(QString::fromLatin1(DemoData::Company))
                .bind(QString::fromLatin1(registration))
                .bind(QStringLiteral("%1").arg(number++, 9, 10, QLatin1Char('0')))
                .bind(m.firstDay().addDays(k * 4 + 2))
                .bind(total)
                .bind(double(qRound64(total * share * 100.0)) / 100.0)
                .exec();
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
    MonthLoader loader(registers, store);
    loader.loadAssets(row, info);
    loader.loadOutgoing(row, info);
    if (appropriate)
        store.setSituation(row, QStringLiteral("A"));
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
        QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA) VALUES (?, ?)");
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
