// The register and import methods of ciap.fiscal against a real server process: documents
// sent as files, the register read and edited as the window does, purchases made assets and
// exits settled.
#include "CiapApi.h"
#include "PacketCodec.h"
#include "SampleDocuments.h"
#include "ServerFixture.h"

#include <QTest>

using ciap::DataPacket;
using fixture::Company;

namespace {

const QString Registration = samples::Registration;
const QString Folder = QStringLiteral("refused/");

} // namespace

class TestServerFiscal : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;

    QJsonObject call(const QString& method, const QJsonArray& params) {
        return m_client->call(method, params);
    }
    DataPacket packet(const QString& method, const QJsonArray& params) {
        return m_client->packet(method, params);
    }
    // importDocument's one row, by field.
    QVariantMap import(const QString& name, const QByteArray& xml, const QString& assets = "N",
                       const QString& items = {}) {
        const DataPacket p = packet(QStringLiteral("importDocument"),
                                    {name, QString::fromLatin1(xml.toBase64()), assets, items});
        QVariantMap row;
        for (int i = 0; i < p.fields.size() && !p.rows.isEmpty(); ++i)
            row.insert(p.fields.at(i).name, p.rows.first().at(i));
        return row;
    }
    QVariantMap importSample(const QString& name, const QString& assets = "N") {
        return import(name, samples::read(name), assets);
    }
    DataPacket assets() { return packet(QStringLiteral("listAssets"), {Company, Registration}); }
    QJsonObject save(const ciap::Delta& delta) {
        return call(QStringLiteral("saveAssets"), {ciap::deltaToJson(delta)});
    }
    QString stored(const QString& column, const QString& asset) {
        return m_fx.db
            .scalar(QStringLiteral("SELECT %1 FROM BEMATIVO WHERE CDEMPRESA = ? AND CDBEMATIVO "
                                   "= ?")
                        .arg(column),
                    {Company, asset})
            .toString();
    }

private Q_SLOTS:
    void initTestCase() {
        const ServerFixture::Start started = m_fx.start();
        if (started == ServerFixture::Start::Skipped)
            QSKIP(qPrintable(m_fx.error));
        QVERIFY2(started == ServerFixture::Start::Ready, qPrintable(m_fx.error));
    }
    void init() {
        m_client = m_fx.reset();
        QVERIFY(m_client);
        m_client->setObject(QStringLiteral("ciap.fiscal"));
        m_fx.db.exec(QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA, NRCNPJ, SGUF, "
                                    "CDMUNICIPIO) VALUES (?, ?, ?, 'SP', '3509502')"),
                     {Company, Registration, samples::Cnpj});
    }

    // Each kind of document, the second time a duplicate that tells the same.
    void importEachDocument_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("assets");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("made");
        QTest::addColumn<QString>("result");
        QTest::newRow("supplier kept") << samples::Supplier << "N"
                                       << "NFE" << 0 << "2 item(ns) aguardam virar bens";
        QTest::newRow("supplier as assets") << samples::Supplier << "S"
                                            << "NFE" << 4 << "4 bem(ns): 0000000007 a 0000000010";
        QTest::newRow("own entry") << samples::OwnEntry << "N"
                                   << "NFE" << 1 << "Entrada própria nº 3120";
        QTest::newRow("outgoing") << samples::Outgoing << "N"
                                  << "NFE" << 0 << "1 item(ns) com saída de bem a resolver";
        QTest::newRow("freight") << samples::SupplierFreight << "N"
                                 << "CTE" << 0 << "ICMS 420,00 sobre 1 NF-e";
        QTest::newRow("cancellation first") << samples::Cancellation << "N"
                                            << "EVT" << 0 << "guardado até a nota ser importada";
    }
    void importEachDocument() {
        QFETCH(QString, file);
        QFETCH(QString, assets);
        QFETCH(QString, kind);
        QFETCH(int, made);
        QFETCH(QString, result);
        const QVariantMap first = importSample(file, assets);
        QCOMPARE(first.value("SITUACAO").toString(), QStringLiteral("I"));
        QCOMPARE(first.value("TPDOCUMENTO").toString(), kind);
        QCOMPARE(first.value("QTBENS").toInt(), made);
        QVERIFY2(first.value("DSRESULTADO").toString().contains(result),
                 qPrintable(first.value("DSRESULTADO").toString()));
        if (kind != QLatin1String("EVT"))
            QCOMPARE(first.value("CDINSCESTA").toString(), Registration);
        const QVariantMap again = importSample(file, assets);
        QCOMPARE(again.value("SITUACAO").toString(), QStringLiteral("D"));
        QCOMPARE(again.value("DSRESULTADO"), first.value("DSRESULTADO"));
    }

    // A refused file is an answer, not an error, and changes nothing; a wrong call is -32602.
    void refusals_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // base64 as sent; empty: the file's
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("code"); // 0: answered with a refusal
        QTest::addColumn<QString>("text");
        QTest::newRow("no protocol") << Folder + "no_protocol.xml" << QByteArray() << "" << 0
                                     << "não tem protocolo de autorização";
        QTest::newRow("entity expansion")
            << Folder + "dtd_entity_expansion.xml" << QByteArray() << "" << 0 << "DOCTYPE";
        QTest::newRow("truncated")
            << Folder + "truncated.xml" << QByteArray() << "" << 0 << "termina antes do fim";
        QTest::newRow("check digit") << Folder + "key_check_digit.xml" << QByteArray() << "" << 0
                                     << "chave de acesso válida";
        QTest::newRow("item not in the NF-e")
            << samples::Supplier << QByteArray() << "7" << 0 << "não tem o(s) item(ns) 7";
        QTest::newRow("not base64") << samples::Supplier << QByteArray("PD94!!") << "" << -32602
                                    << "argumento 2 (conteudo)";
        QTest::newRow("bad items")
            << samples::Supplier << QByteArray() << "1;2" << -32602 << "argumento 4 (itens)";
    }
    void refusals() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, items);
        QFETCH(int, code);
        QFETCH(QString, text);
        const QString base64 = content.isEmpty()
                                   ? QString::fromLatin1(samples::read(file).toBase64())
                                   : QString::fromLatin1(content);
        const QJsonObject reply = call(QStringLiteral("importDocument"),
                                       {file, base64, items.isEmpty() ? "N" : "S", items});
        const QString answer =
            code == 0
                ? ciap::packetFromJson(reply.value("result")).rows.value(0).value(1).toString()
                : m_client->errorMessage(reply);
        QCOMPARE(m_client->errorCode(reply), code);
        QVERIFY2(answer.contains(text), qPrintable(answer));
        QCOMPARE(m_fx.db.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt(), 0);
    }

    void documentOfNoRegistration() {
        m_fx.db.exec(QStringLiteral("DELETE FROM INSCESTA WHERE CDINSCESTA = ?"), {Registration});
        const QVariantMap r = importSample(samples::Supplier);
        QCOMPARE(r.value("SITUACAO").toString(), QStringLiteral("R"));
        QVERIFY(r.value("MOTIVO").toString().contains("não pertence a nenhuma inscrição"));
    }

    void listRefusals_data() {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("text");
        QTest::newRow("company") << "99"
                                 << ""
                                 << "Empresa não cadastrada.";
        QTest::newRow("registration") << Company << "999"
                                      << "Inscrição Estadual não cadastrada para a empresa.";
    }
    void listRefusals() {
        QFETCH(QString, company);
        QFETCH(QString, registration);
        QFETCH(QString, text);
        const QJsonObject reply = call(QStringLiteral("listAssets"), {company, registration});
        QCOMPARE(m_client->errorCode(reply), -32000);
        QCOMPARE(m_client->errorMessage(reply), text);
    }

    // What the documents leave to the user, typed in: the list tells what is still lacking.
    void completeAnImportedAsset() {
        importSample(samples::Supplier, "S");
        DataPacket p = assets();
        QCOMPARE(p.rows.size(), 4);
        QVERIFY(
            CiapApi::value(p, 0, "DSPENDENCIAS").toString().contains("diferencial de alíquota"));
        QCOMPARE(CiapApi::value(p, 0, "IDENTRADAIMPORTADA").toString(), QStringLiteral("S"));
        const QJsonObject r = save(CiapApi::modification(p, 0,
                                                         {{"CDCONTA", "1.2.3.01"},
                                                          {"CDCCUSTO", "USINAGEM"},
                                                          {"DSFUNCAO", "Torneamento"},
                                                          {"NRVIDAUTIL", 120.0},
                                                          {"CDITEM", "TX450"},
                                                          {"VRICMSDIFALCENT", 123456.0},
                                                          {"NRDOCARRECADACAO", "GNRE-77"}}));
        QVERIFY2(r.contains("result"), qPrintable(m_client->errorMessage(r)));
        p = assets();
        QCOMPARE(CiapApi::value(p, 0, "QTPENDENCIAS").toInt(), 0);
        QCOMPARE(CiapApi::value(p, 0, "IDDIFALPENDENTE").toString(), QStringLiteral("N"));
        QCOMPARE(CiapApi::value(p, 0, "VRCREDITOCENT").toDouble(),
                 CiapApi::value(p, 1, "VRCREDITOCENT").toDouble() + 123456.0);
        const QString code = CiapApi::value(p, 0, "CDBEMATIVO").toString();
        QCOMPARE(stored("NRVIDAUTIL", code), QStringLiteral("120"));
        QCOMPARE(m_fx.db
                     .scalar(QStringLiteral("SELECT NRDOCARRECADACAO FROM BEMDOCUMENTO WHERE "
                                            "CDBEMATIVO = ? AND IDMOVIMENTO = 'E'"),
                             {code})
                     .toString(),
                 QStringLiteral("GNRE-77"));
    }

    // Refused edits change nothing: a stale row, a document's figure, a computed field, a
    // value the register cannot hold, an exit on a wrong or cancelled document.
    void editRefusals_data() {
        QTest::addColumn<QVariantMap>("changes");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString cancelledKey = samples::keyOf(samples::read(samples::Outgoing));
        QTest::newRow("stale") << QVariantMap{{"CDCONTA", "9"}} << true << -32001
                               << "alterado por outro usuário";
        QTest::newRow("own ICMS of a document") << QVariantMap{{"VRICMSPROPRIOCENT", 1.0}} << false
                                                << -32000 << "vêm dos documentos importados";
        QTest::newRow("computed credit") << QVariantMap{{"VRCREDITOCENT", 1.0}} << false << -32000
                                         << "não é alterado no cadastro";
        QTest::newRow("component without main")
            << QVariantMap{{"IDTPBEM", "2"}} << false << -32000 << "bem principal";
        QTest::newRow("no name") << QVariantMap{{"NMBEMATIVO", " "}} << false << -32000
                                 << "Informe o nome";
        QTest::newRow("instalments")
            << QVariantMap{{"NRPARCELAS", 0.0}} << false << -32000 << "de 1 a 999";
        QTest::newRow("cents") << QVariantMap{{"VRICMSDIFALCENT", 1.5}} << false << -32000
                               << "até dois decimais";
        QTest::newRow("exit without kind")
            << QVariantMap{{"DTSAIDA", QDate(2024, 5, 2)}} << false << -32000 << "tipo da saída";
        QTest::newRow("exit key check digit")
            << QVariantMap{{"DTSAIDA", QDate(2024, 5, 2)},
                           {"IDTPSAIDA", "V"},
                           {"CHDOCUMENTOSAI", cancelledKey.left(43) + "0"}}
            << false << -32000 << "Chave de acesso inválida";
        QTest::newRow("exit on a cancelled invoice")
            << QVariantMap{{"DTSAIDA", QDate(2024, 5, 2)},
                           {"IDTPSAIDA", "V"},
                           {"CHDOCUMENTOSAI", cancelledKey}}
            << false << -32000 << "está cancelada";
    }
    void editRefusals() {
        QFETCH(QVariantMap, changes);
        QFETCH(bool, stale);
        QFETCH(int, code);
        QFETCH(QString, text);
        importSample(samples::Supplier, "S");
        importSample(samples::Outgoing);
        importSample(samples::Cancellation);
        const DataPacket read = assets();
        if (stale)
            QVERIFY(save(CiapApi::modification(read, 0, {{"CDCONTA", "1"}})).contains("result"));
        const DataPacket before = assets();
        const QJsonObject r = save(CiapApi::modification(read, 0, changes));
        QCOMPARE(m_client->errorCode(r), code);
        QVERIFY2(m_client->errorMessage(r).contains(text), qPrintable(m_client->errorMessage(r)));
        QCOMPARE(assets().rows, before.rows);
    }

    // An exit recorded with the company's outgoing invoice as its document, then undone.
    void exitRecordedAndUndone() {
        importSample(samples::OwnEntry);
        importSample(samples::Outgoing);
        const QString key = samples::keyOf(samples::read(samples::Outgoing));
        DataPacket p = assets();
        QJsonObject r = save(CiapApi::modification(p, 0,
                                                   {{"DTSAIDA", QDate(2024, 3, 20)},
                                                    {"IDTPSAIDA", "V"},
                                                    {"CHDOCUMENTOSAI", key},
                                                    {"NRITEMSAI", 4.0}}));
        QVERIFY2(r.contains("result"), qPrintable(m_client->errorMessage(r)));
        p = assets();
        QCOMPARE(CiapApi::value(p, 0, "NRDOCUMENTOSAI").toString(), QStringLiteral("10254"));
        const QString code = CiapApi::value(p, 0, "CDBEMATIVO").toString();
        QCOMPARE(stored("IDTPSAIDA", code), QStringLiteral("V"));
        // The invoice's waiting item was this exit: settled with it.
        QVERIFY(packet(QStringLiteral("listPendingExits"), {Company}).rows.isEmpty());
        r = save(CiapApi::modification(p, 0,
                                       {{"DTSAIDA", QVariant()},
                                        {"IDTPSAIDA", QString()},
                                        {"CHDOCUMENTOSAI", QString()},
                                        {"NRITEMSAI", QVariant()}}));
        QVERIFY2(r.contains("result"), qPrintable(m_client->errorMessage(r)));
        QVERIFY(stored("DTSAIDA", code).isEmpty());
    }

    // A purchase kept whole: its items made assets later, once each.
    void purchaseItemsBecomeAssets() {
        importSample(samples::Supplier);
        DataPacket p = packet(QStringLiteral("listPurchases"), {Company, "S"});
        QCOMPARE(p.rows.size(), 2);
        const QString key = CiapApi::value(p, 0, "CHNFE").toString();
        const QJsonValue made =
            m_client->result(QStringLiteral("assetsFromPurchase"), {Company, key, "1"});
        QCOMPARE(made.toArray().size(), 3);
        QCOMPARE(
            m_client->errorMessage(call(QStringLiteral("assetsFromPurchase"), {Company, key, "1"})),
            QStringLiteral("O item 1 da NF-e %1 já virou bem.").arg(key));
        p = packet(QStringLiteral("listPurchases"), {Company, "S"});
        QCOMPARE(CiapApi::value(p, 0, "IDBEM").toString(), QStringLiteral("S"));
        QCOMPARE(assets().rows.size(), 3);
    }

    // An outgoing item that named no asset: settled with the asset the user names, or
    // dismissed.
    void pendingExitsSettledOrDismissed() {
        importSample(samples::OwnEntry);
        importSample(samples::Outgoing);
        import(QStringLiteral("second.xml"),
               samples::outgoingItem(20001, QStringLiteral("5551"), QStringLiteral("ZZ-1"),
                                     QStringLiteral("1.0000"), QStringLiteral("-")));
        DataPacket p = packet(QStringLiteral("listPendingExits"), {Company});
        QCOMPARE(p.rows.size(), 2);
        QCOMPARE(CiapApi::value(p, 0, "IDTPSAIDA").toString(), QStringLiteral("V"));
        const QString first = CiapApi::value(p, 0, "CHNFE").toString();
        const QString second = CiapApi::value(p, 1, "CHNFE").toString();
        const double item = CiapApi::value(p, 0, "NRITEM").toDouble();
        const QString code = CiapApi::value(assets(), 0, "CDBEMATIVO").toString();
        QVERIFY(call(QStringLiteral("settlePendingExit"), {Company, first, item, code})
                    .contains("result"));
        QCOMPARE(stored("IDTPSAIDA", code), QStringLiteral("V"));
        QVERIFY(
            call(QStringLiteral("dismissPendingExit"), {Company, second, 1.0}).contains("result"));
        QVERIFY(packet(QStringLiteral("listPendingExits"), {Company}).rows.isEmpty());
        QCOMPARE(m_client->errorMessage(
                     call(QStringLiteral("dismissPendingExit"), {Company, second, 1.0})),
                 QStringLiteral("Não há saída pendente do item 1 da NF-e %1.").arg(second));
    }
};

QTEST_GUILESS_MAIN(TestServerFiscal)
#include "tst_server_fiscal.moc"
