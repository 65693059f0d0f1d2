#include "GoldenMonth.h"

using namespace ciap::efd;

namespace golden {

namespace {

const QDate kJan(2024, 1, 1);

Document purchase() {
    Document d;
    d.issuer = Issuer::ThirdParty;
    d.participant = QStringLiteral("F001");
    d.model = QStringLiteral("55");
    d.series = QStringLiteral("1");
    d.number = 12345;
    d.key = QStringLiteral("35240111222333000181550010000123451102938477");
    d.date = QDate(2024, 1, 10);
    d.items << DocumentItem{1, QStringLiteral("EMP-25"), kQuantityOne, QStringLiteral("UN"),
                            IcmsParts{480000, 0, 0, 0}};
    return d;
}

Document sale() {
    Document d;
    d.issuer = Issuer::Own;
    d.participant = QStringLiteral("C001");
    d.model = QStringLiteral("55");
    d.series = QStringLiteral("1");
    d.number = 501;
    d.key = QStringLiteral("35240112345678000195550010000005011564738295");
    d.date = QDate(2024, 1, 20);
    return d;
}

FixedAsset asset(const char* code, const char* description, const char* centre) {
    FixedAsset a;
    a.code = QString::fromLatin1(code);
    a.description = QString::fromUtf8(description);
    a.account = QStringLiteral("1.2.03.001");
    a.instalments = 48;
    a.use = AssetUse{QString::fromLatin1(centre), QStringLiteral("Uso na atividade"), 120};
    return a;
}

} // namespace

QList<AssetFacts> facts() {
    AssetFacts empilhadeira{
        .code = QStringLiteral("1"), .entry = QDate(2024, 1, 10), .icms = {480000, 0, 0, 0}};
    empilhadeira.entryDocuments << purchase();
    AssetFacts torno{
        .code = QStringLiteral("2"), .entry = QDate(2020, 2, 5), .icms = {100000, 0, 0, 0}};
    AssetFacts caminhao{
        .code = QStringLiteral("3"), .entry = QDate(2023, 6, 1), .icms = {240000, 0, 0, 0}};
    caminhao.exit = QDate(2024, 1, 20);
    caminhao.exitKind = ExitKind::Sale;
    caminhao.exitDocuments << sale();
    AssetFacts ponte{.code = QStringLiteral("4"),
                     .entry = QDate(2023, 12, 15),
                     .icms = {100000, 10000, 5050, 4950}};
    AssetFacts maquina{
        .code = QStringLiteral("6"), .entry = QDate(2024, 3, 1), .icms = {96000, 0, 0, 0}};
    return {empilhadeira, torno, caminhao, ponte, maquina};
}

MonthFigures figures() {
    // T 1,500.00, V 900.00, coefficient 0.6, balance 195.83, credit 117.498 stored.
    return {kJan, QDate(2024, 1, 31), 90000, 150000, 60000000, 19583, 11750};
}

EfdFile file() {
    EfdFile f;
    Establishment& e = f.establishment;
    e.start = kJan;
    e.end = QDate(2024, 1, 31);
    e.name = QStringLiteral("Metalúrgica Exemplo Ltda");
    e.cnpj = QStringLiteral("12345678000195");
    e.uf = QStringLiteral("SP");
    e.ie = QStringLiteral("110042490114");
    e.municipality = QStringLiteral("3550308");
    e.activity = Activity::Industrial;

    Participant supplier;
    supplier.code = QStringLiteral("F001");
    supplier.name = QStringLiteral("Fornecedora de Empilhadeiras Ltda");
    supplier.cnpj = QStringLiteral("11222333000181");
    supplier.municipality = QStringLiteral("3550308");
    supplier.address = QStringLiteral("Rua das Indústrias");
    supplier.number = QStringLiteral("100");
    Participant buyer;
    buyer.code = QStringLiteral("C001");
    buyer.name = QStringLiteral("Transportes Exemplo S.A.");
    buyer.cnpj = QStringLiteral("11444777000161");
    buyer.municipality = QStringLiteral("3304557");
    buyer.address = QStringLiteral("Avenida Brasil");
    buyer.number = QStringLiteral("2000");
    buyer.district = QStringLiteral("Penha");
    f.participants = {supplier, buyer};
    f.units = {Unit{QStringLiteral("UN"), QStringLiteral("Unidade")}};
    Item forklift;
    forklift.code = QStringLiteral("EMP-25");
    forklift.description = QStringLiteral("Empilhadeira elétrica 2,5 t");
    forklift.unit = QStringLiteral("UN");
    forklift.ncm = QStringLiteral("84272010");
    f.items = {forklift};
    f.assets = {asset("1", "Empilhadeira elétrica 2,5 t, série EX-2024-017", "EXP"),
                asset("2", "Torno mecânico CNC 2 eixos, série T-2020-44", "PROD"),
                asset("3", "Caminhão 3/4 baú, placa ABC1D23", "EXP"),
                asset("4", "Ponte rolante 10 t, vão 18 m", "PROD"),
                asset("6", "Máquina de solda MIG 400 A", "PROD")};
    f.accounts = {Account{QDate(2020, 1, 1), QStringLiteral("01"), AccountKind::Analytic, 4,
                          QStringLiteral("1.2.03.001"),
                          QStringLiteral("Máquinas, equipamentos e veículos")}};
    f.costCentres = {
        CostCentre{QDate(2020, 1, 1), QStringLiteral("PROD"), QStringLiteral("Produção")},
        CostCentre{QDate(2020, 1, 1), QStringLiteral("EXP"), QStringLiteral("Expedição")}};
    f.movements = CiapMovements::forMonth(facts(), kJan, ExitMonthInstalment::Counts);
    f.ciap = CiapMovements::ciap(figures(), f.movements);
    return f;
}

} // namespace golden
