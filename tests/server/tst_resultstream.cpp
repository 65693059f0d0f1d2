// A long result sent in pieces while its method still works: what the client receives must be
// one well-formed answer, and a failure after the first piece must not look like one.
#include "DatabaseConfig.h"
#include "Dispatcher.h"
#include "JsonRpc.h"
#include "MethodHandler.h"
#include "ServiceError.h"
#include "Session.h"

#include <QJsonArray>
#include <QTest>

using namespace ciap;
using namespace ciap::server;

namespace {

// Sends its result as "[1,2," and "3," in pieces and returns "4]"; with a true parameter it
// fails after the pieces instead.
class PiecesHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("pieces"); }
    QStringList argumentNames() const override { return {QStringLiteral("fail")}; }
    QByteArray handle(const QJsonArray&, Session&) const override { return "[1,2,3,4]"; }
    QByteArray handleStreaming(const QJsonArray& params, Session&,
                               ResultStream& stream) const override {
        stream.send("[1,2,");
        stream.send("3,");
        if (params.at(0).toBool())
            throw ServiceError(RpcCode::ServerError, QStringLiteral("falhou no meio"));
        return "4]";
    }
};

QByteArray request(const QJsonValue& id, bool fail) {
    return encodeRequest(
        {id, QStringLiteral("MZR02400.rdmCIAP.pieces"), QJsonArray{fail}, QString()});
}

} // namespace

class TestResultStream : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_config = DatabaseConfig::fromLocation(QStringLiteral(":memory:"));
        m_session = std::make_unique<Session>(*m_config, QStringLiteral("stream"));
        std::vector<std::unique_ptr<MethodHandler>> handlers;
        handlers.push_back(std::make_unique<PiecesHandler>());
        m_dispatcher = std::make_unique<Dispatcher>(QString(), std::move(handlers));
    }

    // The pieces and what follows them are one frame, as if it had been sent at once.
    void piecesMakeOneAnswer() {
        QByteArrayList sent;
        bool cut = false;
        const QByteArray rest = m_dispatcher->handleFrame(
            request(7, false), *m_session, {}, [&](const QByteArray& p) { sent << p; }, &cut);
        QVERIFY(!cut);
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent.at(0), encodeResultStart(7));
        QVERIFY(rest.endsWith("}\n"));
        const QByteArray frame = sent.join() + rest;
        QCOMPARE(frame.count('\n'), 1);
        const RpcReply reply = parseReply(frame.chopped(1));
        QCOMPARE(reply.id, QJsonValue(7));
        QCOMPARE(reply.result, QJsonValue(QJsonArray{1, 2, 3, 4}));
    }

    // Half an answer cannot be followed by an error: the connection has to go.
    void failureAfterAPieceCutsTheConnection() {
        QByteArrayList sent;
        bool cut = false;
        const QByteArray rest = m_dispatcher->handleFrame(
            request(8, true), *m_session, {}, [&](const QByteArray& p) { sent << p; }, &cut);
        QVERIFY(cut);
        QVERIFY(rest.isEmpty());
        QCOMPARE(sent.size(), 3);
    }

    // Without a way to send (and for a notification) the pieces wait: an error still answers.
    void withoutSendingTheAnswerIsWhole() {
        const RpcReply ok =
            parseReply(m_dispatcher->handleFrame(request(9, false), *m_session).chopped(1));
        QCOMPARE(ok.result, QJsonValue(QJsonArray{1, 2, 3, 4}));
        const RpcReply failed =
            parseReply(m_dispatcher->handleFrame(request(10, true), *m_session).chopped(1));
        QVERIFY(failed.isError);
        QCOMPARE(failed.errorMessage, QStringLiteral("falhou no meio"));

        QByteArrayList sent;
        QVERIFY(m_dispatcher
                    ->handleFrame(request(QJsonValue(QJsonValue::Undefined), false), *m_session, {},
                                  [&](const QByteArray& p) { sent << p; })
                    .isEmpty());
        QVERIFY(sent.isEmpty());
    }

private:
    std::unique_ptr<DatabaseConfig> m_config;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<Dispatcher> m_dispatcher;
};

QTEST_GUILESS_MAIN(TestResultStream)
#include "tst_resultstream.moc"
