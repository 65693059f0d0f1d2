#include "DemoData.h"

#include "AccessKey.h"
#include "AssetStore.h"
#include "ChartStore.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "DemoDocuments.h"
#include "ImportEngine.h"
#include "Month.h"
#include "MonthLoader.h"
#include "RegisterEditing.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

namespace ciap::server {

namespace {

const char* const CompanyName = "INDÚSTRIA DEMONSTRAÇÃO LTDA";
const char* const OtherCompany = "02";
const char* const OtherRegistration = "207165890119";
const char* const AssetAccount = "1.2.3.01.001";

// Each registration's cost centre, which its assets take, having none of their own.
struct Centre {
    const char* company;
    const char* registration;
    const char* code;
    const char* name;
    bool industrial;
};

const Centre centres[] = {
    {DemoData::Company, DemoData::RegistrationA, "PRODUCAO-SP", "Produção São Paulo", true},
    {DemoData::Company, DemoData::RegistrationB, "PRODUCAO-CAMPINAS", "Produção Campinas", true},
    {OtherCompany, OtherRegistration, "LOJA-SANTOS", "Loja Santos", false},
};

// The worked example's assets as its company would describe them in the tax file.
struct Described {
    const char* function;
    int usefulLife; // months
};

const Described otherAssets[] = {
    {"Movimentação de mercadorias no depósito", 120},
    {"Usinagem de peças de reposição", 180},
    {"Entrega de mercadorias a clientes", 60},
    {"Carga e descarga no depósito", 240},
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// What no document carries, typed as a user would with ciap-admin asset and exit.
struct HandEntered {
    int asset;
    const char* appropriationType;
    qint64 difalCents; // -1: none due
    const char* paymentDocument;
};

const HandEntered firstCompany[] = {
    {5, "01", 123456, "GNRE 35-000123"},
    {6, "09", -1, ""},
    {8, "01", 210000, "GNRE 35-000877"},
    {9, "09", -1, ""},
    {10, "09", -1, ""},
    {16, "09", -1, ""},
    {22, "09", -1, ""},
    {28, "09", -1, ""},
    {34, "09", -1, ""},
    {40, "09", -1, ""},
};

RegisterAsset edit(RegisterEditing& editing, const QString& company, int asset,
                   const AssetChanges& changes) {
    return editing.change(company, QString::number(asset), changes);
}

// The account, cost centres and registrations' settings the tax file's Bloco 0 cites, in the
// chart since long before any demo month, so that every month may cite them.
void fillChart(Session& s, const QDate& since) {
    ChartStore chart(s);
    chart.putAccount({QString::fromLatin1(AssetAccount), text("Máquinas e equipamentos"),
                      QStringLiteral("01"), false, 5, since});
    for (const Centre& c : centres) {
        chart.putCostCentre({QString::fromLatin1(c.code), text(c.name), since});
        EfdSettings settings;
        settings.account = QString::fromLatin1(AssetAccount);
        settings.costCentre = QString::fromLatin1(c.code);
        settings.industrial = c.industrial;
        chart.putSettings(QString::fromLatin1(c.company), QString::fromLatin1(c.registration),
                          settings);
    }
}

// The sale of the worked example's Caminhão was invoiced by the company, though its invoice is
// not among the documents: the key is typed as a user would, with the buyer of its invoices.
QString otherSaleKey(const Month& month) {
    // cUF, AAMM, CNPJ, model 55, series 1, number 3, normal emission, a code of its own.
    const QString body = QStringLiteral("35") + month.firstDay().toString(QStringLiteral("yyMM")) +
                         QStringLiteral("4455566600018155001000000003110203040");
    return body + QString::number(documents::mod11CheckDigit(body));
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
    const QString other = QString::fromLatin1(OtherCompany);
    const Month current = Month::of(today);
    RegistryStore registry(session);
    registry.putCompany(company, text(CompanyName));
    registry.putCompany(other, text("COMÉRCIO EXEMPLO S.A."));
    registry.putTax({QStringLiteral("01"), QStringLiteral("ICMS"), QStringLiteral("01")});
    registry.putTax({QStringLiteral("02"), text("ICMS - CRÉDITO INTEGRAL"), QStringLiteral("50")});
    registry.putTax(
        {QStringLiteral("03"), QStringLiteral("ICMS - ST INTEGRAL"), QStringLiteral("60")});
    registry.putRegistration({company, QString::fromLatin1(RegistrationA),
                              QStringLiteral("11222333000181"), QStringLiteral("SP"),
                              QStringLiteral("3550308")});
    registry.putRegistration({company, QString::fromLatin1(RegistrationB),
                              QStringLiteral("11222333000262"), QStringLiteral("SP"),
                              QStringLiteral("3509502")});
    registry.putRegistration({other, QString::fromLatin1(OtherRegistration),
                              QStringLiteral("44555666000181"), QStringLiteral("SP"),
                              QStringLiteral("3548500")});
    fillChart(session, current.addMonths(-60).firstDay());

    // The documents, moved to today, down the same road as a user's: the purchases become
    // assets (numbered in the order of their files), the freight meets them, the outgoing
    // invoices feed the months and the sale of the Caminhão records its exit.
    const int shift = current.index() -
                      Month(DemoDocuments::ReferenceYear, DemoDocuments::ReferenceMonth).index();
    ImportEngine engine(session, ImportOptions{true, {}});
    engine.ownTransactions = false;
    const ImportSummary imported = engine.run(DemoDocuments::load(shift));
    if (imported.refused > 0 || !imported.failure.isEmpty())
        throw StorageError(QStringLiteral("demo documents"), QString(),
                           imported.failure.isEmpty() ? imported.files.value(0).reason
                                                      : imported.failure);

    RegisterEditing editing(session);
    const QList<RegisterAsset> assets = AssetStore(session).list(company);
    for (const RegisterAsset& a : assets) {
        const int number = a.record.number.toInt();
        AssetChanges c;
        c.patrimony = QStringLiteral("PAT-%1").arg(number, 6, 10, QLatin1Char('0'));
        c.account = QString::fromLatin1(AssetAccount);
        c.item = QStringLiteral("BEM-%1").arg(number, 6, 10, QLatin1Char('0'));
        c.function = text("Uso na produção");
        c.usefulLife = 120;
        edit(editing, company, number, c);
    }
    for (const HandEntered& h : firstCompany) {
        AssetChanges c;
        c.appropriationType = QString::fromLatin1(h.appropriationType);
        if (h.difalCents >= 0) {
            c.difalCents = h.difalCents;
            c.paymentDocument = QString::fromLatin1(h.paymentDocument);
        }
        edit(editing, company, h.asset, c);
    }
    // The Empilhadeira a gás was lost two months ago: no document says so.
    editing.recordExit(company, QStringLiteral("7"), current.addMonths(-2).firstDay().addDays(14),
                       QStringLiteral("P"), {}, 0);

    // The second company is docs/ciap-rules.md's worked example, in this month.
    for (int number = 1; number <= 4; ++number) {
        AssetChanges c;
        c.patrimony = QStringLiteral("PAT-%1").arg(number);
        c.function = text(otherAssets[number - 1].function);
        c.usefulLife = otherAssets[number - 1].usefulLife;
        c.item = QStringLiteral("BEM-%1").arg(number, 6, 10, QLatin1Char('0'));
        if (number == 4) {
            c.appropriationType = QStringLiteral("09");
            c.difalCents = 4950;
            c.paymentDocument = QStringLiteral("GNRE 35-000042");
        }
        edit(editing, other, number, c);
    }
    editing.recordExit(other, QStringLiteral("3"), current.firstDay().addDays(19),
                       QStringLiteral("V"), otherSaleKey(current), 1,
                       QStringLiteral("66777888000181"));

    createCompetencia(session, "01", RegistrationA, current.addMonths(-3), true);
    createCompetencia(session, "01", RegistrationA, current.addMonths(-2), false);
    createCompetencia(session, "01", RegistrationA, current.addMonths(-1), false);
    createCompetencia(session, "01", RegistrationB, current.addMonths(-1), false);
    createCompetencia(session, "02", RegistrationA, current.addMonths(-1), false);
    tx.commit();
    return true;
}

} // namespace ciap::server
