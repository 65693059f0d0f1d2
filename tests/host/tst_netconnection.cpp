#include "BusyIndicator.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "PacketCodec.h"
#include "ScriptedServer.h"
#include "TNetConnection.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

ciap::RpcReply replyOf(const QVariant& raw) {
    return raw.value<ciap::RpcReply>();
}

} // namespace

class TestNetConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        HostSettings::clearOverrides();
        m_server = std::make_unique<ScriptedServer>();
        QVERIFY(m_server->listen());
        setWebServer(m_server->host(), m_server->port());
        setWebToken(QString());
        m_net = std::make_unique<TNetConnection>();
        m_net->SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
        m_connects = 0;
        m_net->BeforeConnect = [this](TNetConnection& c) {
            ++m_connects;
            c.SetHost(WebURL());
            c.SetPort(WebPort());
        };
    }
    void cleanup() {
        m_net.reset();
        m_server.reset();
        HostSettings::clearOverrides();
    }

    void argumentsTravelAsJson_data() {
        QTest::addColumn<QVariant>("argument");
        QTest::addColumn<QJsonValue>("expected");

        ciap::DataPacket packet;
        packet.fields = {{QStringLiteral("CDEMPRESA"), ciap::FieldType::String, 2}};
        packet.rows = {{QStringLiteral("01")}};
        ciap::Delta delta;
        delta.fields = packet.fields;
        delta.changes = {{ciap::ChangeStatus::Inserted, {}, {QStringLiteral("02")}}};

        QTest::newRow("text") << QVariant(QStringLiteral("Crédito \"x\""))
                              << QJsonValue("Crédito \"x\"");
        QTest::newRow("empty text") << QVariant(QString()) << QJsonValue("");
        QTest::newRow("int") << QVariant(42) << QJsonValue(42.0);
        QTest::newRow("double") << QVariant(1234.56) << QJsonValue(1234.56);
        QTest::newRow("bool") << QVariant(true) << QJsonValue(true);
        QTest::newRow("date") << QVariant(QDate(2024, 3, 1)) << QJsonValue("2024-03-01");
        QTest::newRow("date time keeps the date")
            << QVariant(QDateTime(QDate(2023, 12, 31), QTime(23, 59))) << QJsonValue("2023-12-31");
        QTest::newRow("invalid date") << QVariant(QDate()) << QJsonValue(QJsonValue::Null);
        QTest::newRow("null") << QVariant() << QJsonValue(QJsonValue::Null);
        QTest::newRow("list") << QVariant(QVariantList{QStringLiteral("T"), 1, QVariant()})
                              << QJsonValue(QJsonArray{"T", 1.0, QJsonValue::Null});
        QTest::newRow("packet") << QVariant::fromValue(packet) << ciap::packetToJson(packet);
        QTest::newRow("delta") << QVariant::fromValue(delta) << ciap::deltaToJson(delta);
    }
    void argumentsTravelAsJson() {
        QFETCH(QVariant, argument);
        QFETCH(QJsonValue, expected);
        m_server->setDefault(QStringLiteral("echo"), QJsonValue::Null);
        const ciap::RpcReply reply =
            replyOf(m_net->Call(QStringLiteral("echo"), {QStringLiteral("first"), argument}));
        QVERIFY2(!reply.isError, qPrintable(reply.errorMessage));
        const auto calls = m_server->callsTo(QStringLiteral("echo"));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().fullMethod, QStringLiteral("MZR02400.rdmCIAP.echo"));
        QCOMPARE(calls.first().params.size(), 2);
        QCOMPARE(calls.first().params.at(0), QJsonValue("first"));
        QCOMPARE(calls.first().params.at(1), expected);
    }

    void unsupportedArgumentIsRefusedBeforeSending() {
        QVERIFY_THROWS_EXCEPTION(EHostError,
                                 m_net->Call(QStringLiteral("x"), {QVariant(QPoint(1, 2))}));
        QCOMPARE(m_server->callCount(), 0);
    }

    void resultsAndErrorsComeBackAsReplies() {
        m_server->enqueueResult(QStringLiteral("getVerificaImposto"), QJsonArray{"50"});
        m_server->enqueueError(QStringLiteral("getVerificaImposto"), ciap::RpcCode::ServerError,
                               QStringLiteral("Imposto não cadastrado."));
        ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("getVerificaImposto"), {"01"}));
        QVERIFY(!r.isError);
        QCOMPARE(r.result, QJsonValue(QJsonArray{"50"}));
        r = replyOf(m_net->Call(QStringLiteral("getVerificaImposto"), {"01"}));
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, ciap::RpcCode::ServerError);
        QCOMPARE(r.errorMessage, QStringLiteral("Imposto não cadastrado."));
        // nothing scripted: the server's own error, not a hang
        r = replyOf(m_net->Call(QStringLiteral("semResposta"), {}));
        QVERIFY(r.isError);
        QVERIFY(r.errorMessage.contains(QStringLiteral("semResposta")));
        QCOMPARE(m_connects, 1); // one connection for all three
    }

    void largeAnswerArrivesWhole() {
        QList<QVariantList> rows;
        for (int i = 0; i < 20000; ++i)
            rows.append({QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')),
                         QStringLiteral("Bem número %1 com nome comprido").arg(i), i * 1.25});
        m_server->setDefault(QStringLiteral("getBensComp"),
                             ScriptedServer::packet({{"CDBEMATIVO", ciap::FieldType::String, 10},
                                                     {"NMBEMATIVO", ciap::FieldType::String, 50},
                                                     {"VRPARCELACIAP", ciap::FieldType::Float, 0}},
                                                    rows));
        const QVariant data =
            CheckResultServ(m_net->Call(QStringLiteral("getBensComp"), {}), true, 0);
        const auto packet = data.value<ciap::DataPacket>();
        QCOMPARE(packet.rows.size(), 20000);
        QCOMPARE(packet.rows.last().at(2).toDouble(), 19999 * 1.25);
    }

    void answersThatAreNotOurs_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("garbage") << QByteArray("<html>oops</html>\n") << ciap::RpcCode::ParseError
                                 << "Resposta inválida do servidor: ";
        QTest::newRow("error without id")
            << QByteArray(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,"message":"bad"}})"
                          "\n")
            << ciap::RpcCode::InvalidRequest << "bad";
        QTest::newRow("someone else's answer first")
            << QByteArray(R"({"jsonrpc":"2.0","id":999,"result":"old"})"
                          "\n"
                          R"({"jsonrpc":"2.0","id":1,"error":{"code":-32000,"message":"mine"}})"
                          "\n")
            << ciap::RpcCode::ServerError << "mine";
    }
    void answersThatAreNotOurs() {
        QFETCH(QByteArray, answer);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTcpServer raw;
        QVERIFY(raw.listen(QHostAddress::LocalHost));
        connect(&raw, &QTcpServer::newConnection, this, [&] {
            QTcpSocket* s = raw.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [s, answer] {
                if (s->readAll().contains('\n'))
                    s->write(answer);
            });
        });
        setWebServer(QStringLiteral("127.0.0.1"), raw.serverPort());
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("getCIAP"), {}));
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, code);
        QVERIFY2(r.errorMessage.startsWith(message), qPrintable(r.errorMessage));
    }

    void hostAndPortAreReadAtEachConnect() {
        ScriptedServer second;
        QVERIFY(second.listen());
        QVERIFY(m_net->Open());
        QCOMPARE(m_connects, 1);
        QCOMPARE(m_net->Port(), int(m_server->port()));
        m_net->Close();
        QVERIFY(!m_net->Connected());

        setWebServer(second.host(), second.port());
        m_net->SetConnected(true);
        QVERIFY(m_net->Connected());
        QCOMPARE(m_connects, 2);
        second.setDefault(QStringLiteral("ping"), QStringLiteral("pong"));
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("ping"), {})).isError);
        QCOMPARE(second.callCount(), 1);
        QCOMPARE(m_server->callCount(), 0);
    }

    void reconnectsAfterTheServerDroppedTheConnection() {
        m_server->setDefault(QStringLiteral("ping"), QStringLiteral("pong"));
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("ping"), {})).isError);
        m_server->dropConnections(); // e.g. the server restarted while the screen was idle
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("ping"), {}));
        QVERIFY2(!r.isError, qPrintable(r.errorMessage));
        QCOMPARE(m_connects, 2);
        QCOMPARE(m_server->connectionCount(), 2);
    }

    void connectionLostDuringACall() {
        m_server->enqueueDrop(QStringLiteral("setCiap"));
        m_server->setDefault(QStringLiteral("setCiap"), QJsonValue::Null);
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("setCiap"), {}));
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, ciap::RpcCode::ConnectionError);
        QCOMPARE(r.errorMessage,
                 QStringLiteral("A conexão com o servidor de aplicação foi perdida."));
        QVERIFY(!m_net->Connected());
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("setCiap"), {})).isError);
        QCOMPARE(m_connects, 2);
    }

    void refusedConnection() {
        const int port = m_server->port();
        m_server->close();
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("getCIAP"), {}));
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, ciap::RpcCode::ConnectionError);
        const QString prefix =
            QStringLiteral("Não foi possível conectar ao servidor de aplicação 127.0.0.1:%1: ")
                .arg(port);
        QVERIFY2(r.errorMessage.startsWith(prefix), qPrintable(r.errorMessage));
        QVERIFY(r.errorMessage.size() > prefix.size());
        QVERIFY(!m_net->Open());
        QCOMPARE(m_net->lastError(), r.errorMessage);

        m_net->SetThrowException(true);
        QVERIFY_THROWS_EXCEPTION(EHostError, m_net->Open());
        QVERIFY_THROWS_EXCEPTION(EHostError, m_net->Call(QStringLiteral("getCIAP"), {}));
    }

    void serverNotConfigured() {
        setWebServer(QStringLiteral("127.0.0.1"), 0);
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("getCIAP"), {}));
        QVERIFY(r.isError);
        QVERIFY2(r.errorMessage.contains(QStringLiteral("não configurado")),
                 qPrintable(r.errorMessage));
    }

    void timeoutGivesAnErrorAndTheNextCallWorks() {
        m_net->setTimeoutMs(300);
        m_server->enqueueSilence(QStringLiteral("Apropriar"));
        m_server->setDefault(QStringLiteral("Apropriar"), QJsonValue::Null);
        bool timerRan = false;
        QTimer::singleShot(50, this, [&] { timerRan = true; });
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("Apropriar"), {}));
        QVERIFY(timerRan); // the wait runs the event loop: windows keep painting
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, ciap::RpcCode::ConnectionError);
        QVERIFY2(r.errorMessage.contains(QStringLiteral("não respondeu")),
                 qPrintable(r.errorMessage));
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("Apropriar"), {})).isError);
    }

    // A server that keeps quiet: after the wait limit the busy indicator offers to stop; taken,
    // the call ends as not done, the offer goes, and the next call connects anew.
    void stopWaiting_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("button") << false;
        QTest::newRow("Escape") << true;
    }
    void stopWaiting() {
        QFETCH(bool, byKey);
        QWidget window;
        window.resize(400, 300);
        window.show();
        m_net->setStopOfferMs(50);
        m_server->enqueueSilence(QStringLiteral("slow"));
        m_server->setDefault(QStringLiteral("slow"), QJsonValue::Null);
        QTimer take;
        take.setInterval(10);
        connect(&take, &QTimer::timeout, this, [&] {
            BusyIndicator* indicator = BusyIndicator::current();
            if (!indicator || !indicator->stopOffered())
                return;
            take.stop();
            if (byKey) // typed anywhere in the window
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                indicator->stopButton()->click();
        });
        take.start();
        {
            // The operation's indicator, up around more than one call.
            const BusyScope busy(&window);
            const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("slow"), {}));
            QVERIFY(!take.isActive());
            QVERIFY(r.isError);
            QVERIFY2(r.errorMessage.startsWith(QStringLiteral("Operação não realizada")),
                     qPrintable(r.errorMessage));
            QVERIFY(!m_net->Connected());
            BusyIndicator* indicator = BusyIndicator::current();
            QVERIFY(indicator);
            QVERIFY(!indicator->stopOffered());
            QCOMPARE(indicator->findChild<QLabel*>()->text(), QStringLiteral("Aguarde..."));
        }
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("slow"), {})).isError);
        QCOMPARE(m_connects, 2);
    }

    void tokenTravelsWithEveryRequest() {
        m_server->setDefault(QStringLiteral("ping"), QJsonValue::Null);
        m_net->Call(QStringLiteral("ping"), {});
        setWebToken(QStringLiteral("segredo"));
        m_net->Call(QStringLiteral("ping"), {});
        m_net->SetToken(QStringLiteral("próprio"));
        m_net->Call(QStringLiteral("ping"), {});
        const auto calls = m_server->callsTo(QStringLiteral("ping"));
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.at(0).token, QString());
        QCOMPARE(calls.at(1).token, QStringLiteral("segredo"));
        QCOMPARE(calls.at(2).token, QStringLiteral("próprio"));
    }

    void nestedCallIsRefused() {
        m_server->setDefault(QStringLiteral("outer"), QStringLiteral("ok"));
        m_server->setDefault(QStringLiteral("inner"), QStringLiteral("ok"));
        ciap::RpcReply nested;
        m_server->onCall = [&](const ScriptedServer::Call& call) {
            if (call.method == QLatin1String("outer")) // runs inside the client's wait
                nested = replyOf(m_net->Call(QStringLiteral("inner"), {}));
        };
        const ciap::RpcReply outer = replyOf(m_net->Call(QStringLiteral("outer"), {}));
        QVERIFY(!outer.isError);
        QCOMPARE(outer.result, QJsonValue("ok"));
        QVERIFY(nested.isError);
        QVERIFY(nested.errorMessage.contains(QStringLiteral("em andamento")));
        QCOMPARE(m_server->callsTo(QStringLiteral("inner")).size(), 0);
        m_server->onCall = nullptr;
        QVERIFY(!replyOf(m_net->Call(QStringLiteral("inner"), {})).isError);
    }

    void closeDuringACallEndsItCleanly() {
        m_server->enqueueSilence(QStringLiteral("slow"));
        m_server->onCall = [&](const ScriptedServer::Call&) { m_net->Close(); };
        const ciap::RpcReply r = replyOf(m_net->Call(QStringLiteral("slow"), {}));
        QVERIFY(r.isError);
        QCOMPARE(r.errorCode, ciap::RpcCode::ConnectionError);
        QVERIFY(!m_net->Connected());
    }

    void destroyedDuringACall() {
        m_server->enqueueSilence(QStringLiteral("slow"));
        m_server->onCall = [&](const ScriptedServer::Call&) {
            QTimer::singleShot(0, this, [&] { m_net.reset(); });
        };
        TNetConnection* net = m_net.get();
        const ciap::RpcReply r = replyOf(net->Call(QStringLiteral("slow"), {}));
        QVERIFY(!m_net);
        QVERIFY(r.isError);
    }

private:
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<TNetConnection> m_net;
    int m_connects = 0;
};

QTEST_MAIN(TestNetConnection)
#include "tst_netconnection.moc"
