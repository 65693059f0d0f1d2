#include "WorkedMonth.h"

#include "AccessKey.h"
#include "ChartStore.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "DemoDocuments.h"
#include "ImportEngine.h"
#include "Migrations.h"
#include "MonthLoader.h"
#include "RegisterEditing.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

using namespace ciap::server;

namespace worked {

QString saleKey() {
    const QString body = QStringLiteral("352401") + QStringLiteral("44555666000181") +
                         QStringLiteral("55001000000006") + QStringLiteral("1") +
                         QStringLiteral("00000606");
    return body + QString::number(ciap::documents::mod11CheckDigit(body));
}

void buildRegister(Session& s) {
    {
        TransactionGuard tx(s);
        for (const QString& table : Migrations::dataTables())
            SqlStatement(s, QStringLiteral("DELETE FROM %1").arg(table), "clear",
                         SqlStatement::Cache::No)
                .exec();
        RegistryStore registry(s);
        registry.putCompany(Company, QStringLiteral("COMÉRCIO EXEMPLO S.A."));
        registry.putTax({Tax, QStringLiteral("ICMS"), QStringLiteral("01")});
        registry.putTax(
            {WholeTax, QStringLiteral("ICMS - CRÉDITO INTEGRAL"), QStringLiteral("50")});
        registry.putRegistration({Company, Registration, QStringLiteral("44555666000181"),
                                  QStringLiteral("SP"), QStringLiteral("3548500")});
        ChartStore chart(s);
        chart.putAccount({Account, QStringLiteral("Máquinas e equipamentos"), QStringLiteral("01"),
                          false, 5, QDate(2015, 1, 1)});
        chart.putCostCentre({CostCentre, QStringLiteral("Produção"), QDate(2015, 1, 1)});
        chart.putSettings(Company, Registration, {Account, CostCentre, QStringLiteral("A"), false});
        tx.commit();
    }
    QList<ImportSource> documents;
    for (const ImportSource& d : DemoDocuments::load(0)) {
        if (d.name.contains(QLatin1String("-c02-")))
            documents << d;
    }
    const ImportSummary imported = ImportEngine(s, ImportOptions{true, {}}).run(documents);
    if (imported.refused > 0 || !imported.failure.isEmpty())
        throw StorageError(QStringLiteral("worked example"), QString(), imported.failure);

    TransactionGuard tx(s);
    RegisterEditing editing(s);
    const char* const names[] = {"Empilhadeira", "Torno", "Caminhão", "Ponte rolante"};
    for (int n = 1; n <= 4; ++n) {
        AssetChanges c;
        c.patrimony = QStringLiteral("PAT-%1").arg(n);
        c.function = QStringLiteral("Movimentação e usinagem de peças");
        c.usefulLife = 120;
        c.item = QStringLiteral("BEM-%1").arg(QString::fromUtf8(names[n - 1]).toUpper());
        if (n == 4) {
            c.appropriationType = QStringLiteral("09");
            c.difalCents = 4950;
            c.paymentDocument = QStringLiteral("GNRE 35-000042");
        }
        editing.change(Company, QString::number(n), c);
    }
    editing.recordExit(Company, QStringLiteral("3"), QDate(2024, 1, 20), QStringLiteral("V"),
                       saleKey(), 1, Customer);
    tx.commit();
}

qint64 addCompetencia(Session& s, const QString& tax, int year, int month, bool appropriate) {
    TransactionGuard tx(s);
    RegisterStore registers(s);
    CompetenciaStore store(s);
    TaxTablesStore tables(s);
    CompetenciaRow row;
    row.company = Company;
    row.tax = tax;
    row.registration = Registration;
    row.month = Month(year, month);
    row.sequence = store.nextSequence(row.company, row.tax);
    store.insert(row);
    const TaxInfo info = registers.tax(row.tax).value();
    MonthLoader loader(registers, tables, store);
    loader.loadAssets(row, info);
    loader.loadOutgoing(row, info);
    if (appropriate)
        CompetenciaFigures::appropriate(store, row, info.kind,
                                        tables.exitMonthInstalment(row.company, row.registration));
    tx.commit();
    return row.sequence;
}

} // namespace worked
