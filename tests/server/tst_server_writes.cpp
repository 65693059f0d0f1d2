// setCiap, appropriation and the refusals that protect stored data.
#include "CiapApi.h"
#include "ServerFixture.h"

#include <QTest>

using ciap::DataPacket;
using fixture::Company;
using fixture::Tax;

class TestServerWrites : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;

    CiapApi api() { return CiapApi(*m_client); }
    static QString text(const QJsonObject& reply) {
        return reply.value(QStringLiteral("error"))
            .toObject()
            .value(QStringLiteral("message"))
            .toString();
    }
    // A competência of January 2024, registration 111, with its assets loaded.
    DataPacket loadedMonth(int* row) {
        api().create(Company, Tax, "111", "01/2024", 1500, 900);
        DataPacket p = api().list(Company, Tax);
        *row = CiapApi::find(p, "01/2024", "111");
        api().load(p, *row, "BEM");
        return api().list(Company, Tax);
    }
    QJsonObject apropriar(const DataPacket& p, int row) {
        return m_client->call(QStringLiteral("Apropriar"),
                              {Company, Tax, CiapApi::value(p, row, "COMPETENCIA").toString(),
                               CiapApi::value(p, row, "VRCOEFICIAP").toDouble(),
                               CiapApi::value(p, row, "NRSEQCIAP").toString()});
    }
    QJsonObject cancela(const DataPacket& p, int row) {
        return m_client->call(
            QStringLiteral("cancelaApropriacao"),
            {Company, CiapApi::value(p, row, "NRSEQCIAP").toString(),
             CiapApi::value(p, row, "DTCOMPETECIAP").toDate().toString(Qt::ISODate), Tax});
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
    }

    void insertRefusals_data() {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("month");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("taxed");
        QTest::addColumn<QString>("sequence"); // "new": from getNrseqCiap
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("duplicate")
            << "111"
            << "01/2024" << 0.0 << 0.0 << "new" << -32000
            << "Competência já cadastrada para Imposto e Empresa informados.";
        QTest::newRow("duplicate, other case")
            << "abc-9"
            << "02/2024" << 0.0 << 0.0 << "new" << -32000
            << "Competência já cadastrada para Imposto e Empresa informados.";
        QTest::newRow("unknown registration")
            << "999"
            << "01/2024" << 0.0 << 0.0 << "new" << -32000
            << "Inscrição Estadual não cadastrada para a empresa.";
        QTest::newRow("taxed above total")
            << "111"
            << "05/2024" << 80.0 << 100.0 << "new" << -32000
            << "Valor total de saídas deve ser maior ou igual ao valor de saídas tributadas.";
        QTest::newRow("negative") << "111"
                                  << "05/2024" << -10.0 << -20.0 << "new" << -32000
                                  << "Os valores de saídas não podem ser negativos.";
        QTest::newRow("number never issued")
            << "111"
            << "05/2024" << 0.0 << 0.0 << "0000099999" << -32000
            << "NRSEQCIAP não foi emitido pelo servidor para a empresa e o imposto.";
        QTest::newRow("bad month") << "111"
                                   << "13/2024" << 0.0 << 0.0 << "new" << -32602 << "";
    }
    void insertRefusals() {
        QFETCH(QString, registration);
        QFETCH(QString, month);
        QFETCH(double, total);
        QFETCH(double, taxed);
        QFETCH(QString, sequence);
        QFETCH(int, code);
        QFETCH(QString, message);
        QVERIFY(api().create(Company, Tax, "111", "01/2024").contains(QStringLiteral("result")));
        QVERIFY(api().create(Company, Tax, "ABC-9", "02/2024").contains(QStringLiteral("result")));
        if (sequence == QLatin1String("new"))
            sequence = api().newSequence(Company, Tax, QDate(2024, 1, 1));
        const QJsonObject reply =
            api().apply(api().insertion(Company, Tax, registration, month, total, taxed, sequence));
        QCOMPARE(m_client->errorCode(reply), code);
        if (!message.isEmpty())
            QCOMPARE(text(reply), message);
        QCOMPARE(api().list(Company, Tax).rows.size(), 2); // nothing of the refused delta stayed
    }

    void registrationStoredAsRegistered() {
        QVERIFY(
            api().create(Company, Tax, " abc-9 ", "01/2024").contains(QStringLiteral("result")));
        QCOMPARE(CiapApi::value(api().list(Company, Tax), 0, "CDINSCESTA").toString(),
                 QStringLiteral("ABC-9"));
    }

    void modifyRecomputesAndKeepsIdentity() {
        int row = -1;
        DataPacket p = loadedMonth(&row);
        const QString seq = CiapApi::value(p, row, "NRSEQCIAP").toString();
        QJsonObject r = api().apply(CiapApi::modification(
            p, row,
            {{"VRSAIDACIAP", 1000.0}, {"VRSAIDATRIBCIAP", 250.0}, {"NRSEQCIAP", "0000000777"}}));
        QVERIFY2(r.contains(QStringLiteral("result")), qPrintable(text(r)));
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "NRSEQCIAP").toString(), seq);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), 0.25);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), 195.83 * 0.25);
        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QCOMPARE(CiapApi::value(assets, 0, "VRAPROPARCCIAP").toDouble(), 25.0);
        // The month of a competência with assets stays; without assets it may move.
        r = api().apply(CiapApi::modification(p, row, {{"COMPETENCIA", "04/2024"}}));
        QCOMPARE(m_client->errorCode(r), -32000);
        m_client->call(QStringLiteral("delBensComp"), {Company, Tax, "01/2024", seq});
        p = api().list(Company, Tax);
        r = api().apply(CiapApi::modification(
            p, row, {{"COMPETENCIA", "04/2024"}, {"DTCOMPETECIAP", QDate(2024, 4, 1)}}));
        QVERIFY2(r.contains(QStringLiteral("result")), qPrintable(text(r)));
        QCOMPARE(CiapApi::value(api().list(Company, Tax), 0, "COMPETENCIA").toString(),
                 QStringLiteral("04/2024"));
    }

    void modifyRefusals_data() {
        QTest::addColumn<QVariantMap>("changes");
        QTest::addColumn<int>("code");
        QTest::newRow("to a stored month of another registration")
            << QVariantMap{{"CDINSCESTA", "ABC-9"}} << -32000;
        QTest::newRow("situation") << QVariantMap{{"IDSITCOMPETCIAP", "A"}} << -32000;
        QTest::newRow("company") << QVariantMap{{"CDEMPRESA", fixture::OtherCompany}} << -32000;
        QTest::newRow("taxed above total") << QVariantMap{{"VRSAIDATRIBCIAP", 1e9}} << -32000;
    }
    void modifyRefusals() {
        QFETCH(QVariantMap, changes);
        QFETCH(int, code);
        api().create(Company, Tax, "111", "03/2024", 10, 5);
        api().create(Company, Tax, "ABC-9", "03/2024");
        const DataPacket p = api().list(Company, Tax, "111");
        QCOMPARE(m_client->errorCode(api().apply(CiapApi::modification(p, 0, changes))), code);
        QCOMPARE(api().list(Company, Tax, "111").rows, p.rows);
    }

    void deleteRemovesAssetsToo() {
        int row = -1;
        const DataPacket p = loadedMonth(&row);
        QVERIFY(api().apply(CiapApi::deletion(p, row)).contains(QStringLiteral("result")));
        QCOMPARE(api().list(Company, Tax).rows.size(), 0);
        QCOMPARE(m_fx.db.scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPBEM")).toInt(), 0);
    }

    // The screen's delete: the assets first (delBensComp), then the row as it was read.
    void screenDeleteAfterDelBensComp() {
        int row = -1;
        const DataPacket p = loadedMonth(&row);
        const QString seq = CiapApi::value(p, row, "NRSEQCIAP").toString();
        QVERIFY(m_client->call(QStringLiteral("delBensComp"), {Company, Tax, "01/2024", seq})
                    .contains(QStringLiteral("result")));
        QVERIFY(api().apply(CiapApi::deletion(p, row)).contains(QStringLiteral("result")));
        QCOMPARE(api().list(Company, Tax).rows.size(), 0);
    }

    void appropriation() {
        api().create(Company, Tax, "111", "02/2024");
        DataPacket p = api().list(Company, Tax);
        QJsonObject r = apropriar(p, 0);
        QCOMPARE(m_client->errorCode(r), -32000); // nothing loaded yet
        int row = -1;
        p = loadedMonth(&row);
        QVERIFY(apropriar(p, row).value(QStringLiteral("result")).isNull());
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "IDSITCOMPETCIAP").toString(), QStringLiteral("A"));
        QVERIFY(CiapApi::value(p, row, "NOME").toString().contains(QLatin1String("Apropriado")));
        QCOMPARE(text(apropriar(p, row)), QStringLiteral("A competência já está apropriada."));
        QCOMPARE(cancela(p, row).value(QStringLiteral("result")).toArray(), QJsonArray{"OK"});
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "IDSITCOMPETCIAP").toString(), QStringLiteral("P"));
        r = cancela(p, row);
        QCOMPARE(m_client->errorCode(r), -32000);
        QCOMPARE(text(r), QStringLiteral(
                              "A competência não está apropriada; não há apropriação a cancelar."));
    }

    // The appropriated month as the tax file carries it (docs/ciap-rules.md, worked example):
    // the coefficient at 8 decimals, the credit and the shares in cents, adding up.
    void appropriatedFigures() {
        int row = -1;
        DataPacket p = loadedMonth(&row);
        QVERIFY(apropriar(p, row).contains(QStringLiteral("result")));
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), 0.6);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 195.83);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), 117.50);
        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QList<double> shares;
        for (int i = 0; i < assets.rows.size(); ++i)
            shares << CiapApi::value(assets, i, "VRAPROPARCCIAP").toDouble();
        QCOMPARE(shares, (QList<double>{60.00, 12.50, 30.00, 15.00}));
    }

    // No credit from a stale load: the register changed after the assets were loaded.
    void appropriationChecksTheRegister_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("line"); // "": nothing stale
        const QString asset = QStringLiteral(" WHERE CDEMPRESA = ? AND CDBEMATIVO = ?");
        QTest::newRow("sold before the month")
            << "UPDATE BEMATIVO SET DTSAIDA = ?" + asset
            << QVariantList{QDate(2023, 12, 31), Company, "0000000003"}
            << "0000000003 - Caminhão: saiu em 31/12/2023, antes da competência";
        QTest::newRow("ICMS corrected") << "UPDATE BEMATIVO SET VRICMSPROPRIO = ?" + asset
                                        << QVariantList{9600.0, Company, "0000000001"}
                                        << "0000000001 - Empilhadeira: parcela mudou de 100,00 "
                                           "para 200,00";
        QTest::newRow("moved") << "UPDATE BEMATIVO SET CDINSCESTA = 'ABC-9'" + asset
                               << QVariantList{Company, "0000000004"}
                               << "0000000004 - Ponte rolante: pertence agora a outra inscrição "
                                  "estadual";
        QTest::newRow("fewer instalments")
            << "UPDATE BEMATIVO SET NRPARCELAS = 24" + asset << QVariantList{Company, "0000000002"}
            << "0000000002 - Torno: não tem mais parcela na "
               "competência";
        QTest::newRow("the state grants no exit month now")
            << QStringLiteral("INSERT INTO UFCIAP (SGUF, IDPARCSAIDA) VALUES ('SP', 'N')")
            << QVariantList{}
            << "0000000003 - Caminhão: saiu em 20/01/2024 e o estado não admite a parcela do mês "
               "da saída";
        QTest::newRow("the other company's asset changed")
            << "UPDATE BEMATIVO SET VRICMSPROPRIO = 1" + asset
            << QVariantList{fixture::OtherCompany, "0000000001"} << QString();
    }
    void appropriationChecksTheRegister() {
        QFETCH(QString, change);
        QFETCH(QVariantList, values);
        QFETCH(QString, line);
        int row = -1;
        DataPacket p = loadedMonth(&row);
        m_fx.db.exec(change, values);
        QJsonObject r = apropriar(p, row);
        if (line.isEmpty()) {
            QVERIFY(r.contains(QStringLiteral("result")));
            return;
        }
        QCOMPARE(m_client->errorCode(r), -32000);
        QCOMPARE(text(r), "Bens alterados no cadastro depois de carregados na competência:\n" +
                              line +
                              "\nRecarregue os bens com \"Carregar Bens Parcelados\" na aba Bens "
                              "da Competência antes de apropriar.");
        QCOMPARE(api().list(Company, Tax).rows, p.rows);
        // Reloaded, the month is appropriated with what the register says now.
        QCOMPARE(CiapApi::loaded(api().load(p, row, "BEM")), QStringLiteral("OK"));
        p = api().list(Company, Tax);
        r = apropriar(p, row);
        QVERIFY2(r.contains(QStringLiteral("result")), qPrintable(text(r)));
    }

    // Nothing changes an appropriated month but the cancellation.
    void appropriatedMonthIsFrozen_data() {
        QTest::addColumn<QString>("operation");
        for (const char* op :
             {"modify", "delete", "grava I", "grava D", "delBensComp", "load BEM", "load IMP"})
            QTest::newRow(op) << QString::fromLatin1(op);
    }
    void appropriatedMonthIsFrozen() {
        QFETCH(QString, operation);
        int row = -1;
        DataPacket p = loadedMonth(&row);
        QVERIFY(apropriar(p, row).contains(QStringLiteral("result")));
        p = api().list(Company, Tax);
        const QString seq = CiapApi::value(p, row, "NRSEQCIAP").toString();
        QJsonObject r;
        if (operation == QLatin1String("modify"))
            r = api().apply(CiapApi::modification(p, row, {{"VRSAIDACIAP", 2000.0}}));
        else if (operation == QLatin1String("delete"))
            r = api().apply(CiapApi::deletion(p, row));
        else if (operation.startsWith(QLatin1String("grava")))
            r = m_client->call(QStringLiteral("GravaInfBensCiap"),
                               {Company, "1", Tax, "2024-01-01", operation.right(1), "111", seq});
        else if (operation == QLatin1String("delBensComp"))
            r = m_client->call(QStringLiteral("delBensComp"), {Company, Tax, "01/2024", seq});
        else
            r = api().load(p, row, operation.right(3));
        QCOMPARE(m_client->errorCode(r), -32000);
        QCOMPARE(text(r), QStringLiteral("A competência está apropriada e não pode ser alterada. "
                                         "Cancele a apropriação antes de alterá-la."));
        QCOMPARE(api().list(Company, Tax).rows, p.rows);
        QCOMPARE(m_client->packet(QStringLiteral("getBensComp"), api().key(p, row)).rows.size(), 4);
    }

    // Two screens read the same row; the second to write must not undo the first's change.
    void noLostUpdate_data() {
        QTest::addColumn<bool>("firstDeletes");
        QTest::newRow("first modifies") << false;
        QTest::newRow("first deletes") << true;
    }
    void noLostUpdate() {
        QFETCH(bool, firstDeletes);
        api().create(Company, Tax, "111", "03/2024", 100, 50);
        auto other = m_fx.connect();
        QVERIFY(other);
        CiapApi otherApi(*other);
        const DataPacket mine = api().list(Company, Tax);
        const DataPacket theirs = otherApi.list(Company, Tax);
        QJsonObject r =
            firstDeletes
                ? otherApi.apply(CiapApi::deletion(theirs, 0))
                : otherApi.apply(CiapApi::modification(theirs, 0, {{"VRSAIDACIAP", 400.0}}));
        QVERIFY(r.contains(QStringLiteral("result")));
        r = api().apply(CiapApi::modification(mine, 0, {{"VRSAIDATRIBCIAP", 10.0}}));
        QCOMPARE(m_client->errorCode(r), -32001);
        QCOMPARE(text(r), QStringLiteral("O registro foi alterado por outro usuário. Recarregue a "
                                         "lista e tente novamente."));
        const DataPacket now = api().list(Company, Tax);
        if (firstDeletes) {
            QCOMPARE(now.rows.size(), 0);
        } else {
            QCOMPARE(CiapApi::value(now, 0, "VRSAIDACIAP").toDouble(), 400.0);
            QCOMPARE(CiapApi::value(now, 0, "VRSAIDATRIBCIAP").toDouble(), 50.0);
        }
    }

    // A delta applies whole or not at all.
    void deltaIsAtomic() {
        api().create(Company, Tax, "111", "03/2024");
        const DataPacket p = api().list(Company, Tax);
        ciap::Delta d = api().insertion(Company, Tax, "111", "05/2024", 0, 0,
                                        api().newSequence(Company, Tax, QDate(2024, 5, 1)));
        const ciap::Delta bad =
            CiapApi::modification(p, 0, {{"VRSAIDATRIBCIAP", 5.0}}); // taxed above total 0
        d.changes.append(bad.changes.first());
        QCOMPARE(m_client->errorCode(api().apply(d)), -32000);
        QCOMPARE(api().list(Company, Tax).rows, p.rows);
    }
};

QTEST_GUILESS_MAIN(TestServerWrites)
#include "tst_server_writes.moc"
