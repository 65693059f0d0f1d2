#include "DataPacket.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "JsonRpc.h"
#include "PackedPacket.h"
#include "RecordingDialogService.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <cmath>

namespace {

QVariant resultReply(const QJsonValue& result) {
    ciap::RpcReply reply;
    reply.id = 1;
    reply.result = result;
    return QVariant::fromValue(reply);
}

// As the connection hands over an answer whose result is a packet's JSON text.
QVariant packetReply(const QByteArray& json) {
    PackedPacketBuilder packets;
    return QVariant::fromValue(ciap::parseReplyPacket(ciap::encodeRawResult(1, json), packets));
}

QVariant errorReply(int code, const QString& message) {
    ciap::RpcReply reply;
    reply.id = 1;
    reply.isError = true;
    reply.errorCode = code;
    reply.errorMessage = message;
    return QVariant::fromValue(reply);
}

QJsonObject field(const QString& name, const QString& type, int size = 0) {
    QJsonObject f{{"name", name}, {"type", type}};
    if (size > 0)
        f.insert("size", size);
    return f;
}

} // namespace

class TestHostServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("ciap"));
    }
    void init() {
        m_dialogs.clear();
        DialogService::setInstance(&m_dialogs);
    }
    void cleanup() { DialogService::setInstance(nullptr); }

    void emptyString_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("empty");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blanks") << QStringLiteral("   ") << true;
        QTest::newRow("letter") << QStringLiteral("a") << false;
        QTest::newRow("padded") << QStringLiteral("  7 ") << false;
        QTest::newRow("zero") << QStringLiteral("0") << false;
    }
    void emptyString() {
        QFETCH(QString, text);
        QFETCH(bool, empty);
        QCOMPARE(EmptyString(text), empty);
    }

    void ajusta_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one digit") << "1" << 2 << "01";
        QTest::newRow("full") << "12" << 2 << "12";
        QTest::newRow("blanks around") << " 3 " << 2 << "03";
        QTest::newRow("longer stays") << "123" << 2 << "123";
        QTest::newRow("asset number") << "42" << 10 << "0000000042";
        QTest::newRow("empty stays empty") << "" << 2 << "";
        QTest::newRow("only blanks") << "  " << 2 << "";
    }
    void ajusta() {
        QFETCH(QString, code);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Ajusta(code, width), expected);
    }

    void priDiaMes_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("mid month") << QDate(2024, 3, 15) << QDate(2024, 3, 1);
        QTest::newRow("first") << QDate(2024, 5, 1) << QDate(2024, 5, 1);
        QTest::newRow("leap day") << QDate(2024, 2, 29) << QDate(2024, 2, 1);
        QTest::newRow("year end") << QDate(2023, 12, 31) << QDate(2023, 12, 1);
        QTest::newRow("invalid") << QDate() << QDate();
    }
    void priDiaMes() {
        QFETCH(QDate, date);
        QFETCH(QDate, expected);
        QCOMPARE(PriDiaMes(date), expected);
    }

    void roundDec_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");
        QTest::newRow("binary below half") << 2.675 << 2 << 2.68;
        QTest::newRow("negative binary") << -2.675 << 2 << -2.68;
        QTest::newRow("exact half") << 0.125 << 2 << 0.13;
        QTest::newRow("negative half away") << -0.125 << 2 << -0.13;
        QTest::newRow("down") << 1234.5649 << 2 << 1234.56;
        QTest::newRow("third") << 10.0 / 3.0 << 2 << 3.33;
        QTest::newRow("units half") << 2.5 << 0 << 3.0;
        QTest::newRow("units negative half") << -2.5 << 0 << -3.0;
        QTest::newRow("sum of cents") << 0.1 + 0.2 << 2 << 0.3;
        QTest::newRow("big money") << 12345678901.235 << 2 << 12345678901.24;
        QTest::newRow("zero") << 0.0 << 2 << 0.0;
    }
    void roundDec() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(RoundDec(value, decimals), expected);
    }
    void roundDecKeepsNonFinite() {
        QVERIFY(std::isnan(RoundDec(std::nan(""), 2)));
        QCOMPARE(RoundDec(INFINITY, 2), double(INFINITY));
    }

    void mensErroShowsThenAborts() {
        try {
            MensErro(QStringLiteral("Empresa deve ser informada."), true);
            QFAIL("no abort");
        } catch (const EAbort& e) {
            QCOMPARE(e.text(), QStringLiteral("Empresa deve ser informada."));
        }
        MensErro(QStringLiteral("só aviso"), false);
        QCOMPARE(m_dialogs.errors(), QStringList({QStringLiteral("Empresa deve ser informada."),
                                                  QStringLiteral("só aviso")}));
        // The abort is silent for the dispatcher: nothing is shown twice.
        QVERIFY(!runGuarded([] { MensErro(QStringLiteral("uma vez"), true); }));
        QCOMPARE(m_dialogs.errors().count(QStringLiteral("uma vez")), 1);
    }

    // Shown at once, once, then handed back as a silent abort.
    void runShowingFailure_data() {
        QTest::addColumn<int>("thrown"); // 0 nothing, 1 EAbort, 2 EHostError, 3 std::exception
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("nothing") << 0 << QStringList();
        QTest::newRow("already shown") << 1 << QStringList();
        QTest::newRow("host error") << 2 << QStringList{QStringLiteral("falhou")};
        QTest::newRow("other error") << 3 << QStringList{QStringLiteral("falhou")};
    }
    void runShowingFailure() {
        QFETCH(int, thrown);
        QFETCH(QStringList, shown);
        const std::exception_ptr failure = ::runShowingFailure([thrown] {
            if (thrown == 1)
                throw EAbort(QStringLiteral("falhou"));
            if (thrown == 2)
                throw EHostError(QStringLiteral("falhou"));
            if (thrown == 3)
                throw std::runtime_error("falhou");
        });
        QCOMPARE(m_dialogs.errors(), shown);
        QCOMPARE(bool(failure), thrown != 0);
        if (failure)
            QVERIFY_THROWS_EXCEPTION(EAbort, std::rethrow_exception(failure));
    }

    void checkResultServ_data() {
        QTest::addColumn<QVariant>("raw");
        QTest::addColumn<QString>("error"); // shown text; empty = success

        QTest::newRow("server error")
            << errorReply(ciap::RpcCode::ServerError, QStringLiteral("Competência já apropriada."))
            << "Competência já apropriada.";
        QTest::newRow("connection error")
            << errorReply(ciap::RpcCode::ConnectionError,
                          QStringLiteral("A conexão com o servidor de aplicação foi perdida."))
            << "A conexão com o servidor de aplicação foi perdida.";
        QTest::newRow("error without text")
            << errorReply(-32603, QString()) << "Erro no servidor de aplicação (código -32603).";
        QTest::newRow("not a reply")
            << QVariant(QStringLiteral("OK")) << "Resposta inválida do servidor: tipo QString";
        QTest::newRow("no answer")
            << QVariant() << "Resposta inválida do servidor: nenhuma resposta";
        QTest::newRow("object not a packet")
            << resultReply(QJsonObject{{"x", 1}})
            << "Resposta inválida do servidor: objeto sem \"fields\" e \"rows\"";
        QTest::newRow("row too short")
            << resultReply(
                   QJsonObject{{"fields", QJsonArray{field("A", "string", 2), field("B", "float")}},
                               {"rows", QJsonArray{QJsonArray{"01"}}}})
            << "Resposta inválida do servidor: ";
        QTest::newRow("unknown field type")
            << resultReply(
                   QJsonObject{{"fields", QJsonArray{field("A", "blob")}}, {"rows", QJsonArray{}}})
            << "Resposta inválida do servidor: ";
        QTest::newRow("packet row too long")
            << packetReply(
                   R"({"fields":[{"name":"A","type":"string","size":2}],"rows":[["01",1]]})")
            << "Resposta inválida do servidor: invalid packet at offset 64: row 1 has more values";
        QTest::newRow("packet text of an object")
            << packetReply(R"({"x":1})") << "Resposta inválida do servidor: the packet has no";
    }
    void checkResultServ() {
        QFETCH(QVariant, raw);
        QFETCH(QString, error);
        bool aborted = false;
        try {
            CheckResultServ(raw, true, 0);
        } catch (const EAbort&) {
            aborted = true;
        }
        QVERIFY(aborted);
        QCOMPARE(m_dialogs.errors().size(), 1);
        QVERIFY2(m_dialogs.errors().first().startsWith(error),
                 qPrintable(m_dialogs.errors().first()));

        // Without raise the text is still shown, nothing is thrown and there is no data.
        m_dialogs.clear();
        QVariant data;
        try {
            data = CheckResultServ(raw, false, 0);
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        QVERIFY(!data.isValid());
        QCOMPARE(m_dialogs.errors().size(), 1);
    }

    void checkResultServPacket() {
        const QJsonObject packet{
            {"fields", QJsonArray{field("CDINSCESTA", "string", 16), field("VR", "float"),
                                  field("DT", "datetime")}},
            {"rows", QJsonArray{QJsonArray{"123", 1.5, "2024-03-01"},
                                QJsonArray{"456", QJsonValue::Null, QJsonValue::Null}}}};
        const QVariant v = CheckResultServ(resultReply(packet), true, 0);
        QCOMPARE(v.metaType(), QMetaType::fromType<ciap::DataPacket>());
        const auto p = v.value<ciap::DataPacket>();
        QCOMPARE(p.fields.size(), 3);
        QCOMPARE(p.fields.at(0).size, 16);
        QCOMPARE(p.rows.size(), 2);
        QCOMPARE(p.rows.at(0).at(0).toString(), QStringLiteral("123"));
        QCOMPARE(p.rows.at(0).at(1).toDouble(), 1.5);
        QCOMPARE(p.rows.at(0).at(2).toDate(), QDate(2024, 3, 1));
        QVERIFY(!p.rows.at(1).at(1).isValid());

        const QVariant raw = CheckResultServ(
            packetReply(R"({"fields":[{"name":"CDINSCESTA","type":"string","size":16}],)"
                        R"("rows":[["123"],["456"]]})"),
            true, 0);
        QCOMPARE(raw.value<ciap::DataPacket>().rows.size(), 2);
        QCOMPARE(raw.value<ciap::DataPacket>().rows.at(1).at(0).toString(), QStringLiteral("456"));
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void checkResultServPlainValues() {
        const QVariant arr =
            CheckResultServ(resultReply(QJsonArray{"50", 2.5, QJsonValue::Null, true}), true, 0);
        const QVariantList list = arr.toList();
        QCOMPARE(list.size(), 4);
        QCOMPARE(list.at(0).metaType(), QMetaType::fromType<QString>());
        QCOMPARE(list.at(0).toString(), QStringLiteral("50"));
        QCOMPARE(list.at(1).toDouble(), 2.5);
        QVERIFY(!list.at(2).isValid());
        QCOMPARE(list.at(3).toBool(), true);

        QVERIFY(!CheckResultServ(resultReply(QJsonValue::Null), true, 0).isValid());
        QCOMPARE(CheckResultServ(resultReply(QStringLiteral("OK")), true, 0).toString(),
                 QStringLiteral("OK"));
        QCOMPARE(CheckResultServ(resultReply(7), true, 0).toDouble(), 7.0);
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void busyIndicatorIsCountedAndBalanced() {
        QWidget window;
        window.resize(400, 300);
        window.show();
        const int shownBefore = busyIndicatorShownCount();
        QVERIFY(!busyIndicatorActive());

        ActiveShowAvi(&window, 1);
        QVERIFY(busyIndicatorActive());
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        auto* overlay = window.findChild<QWidget*>(QStringLiteral("busyIndicator"));
        QVERIFY(overlay);
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->findChild<QLabel*>()->text(), QStringLiteral("Aguarde..."));

        ActiveShowAvi(&window, 1); // nested: one indicator
        QCOMPARE(window.findChildren<QWidget*>(QStringLiteral("busyIndicator")).size(), 1);
        DeactiveShowAvi();
        QVERIFY(busyIndicatorActive());
        DeactiveShowAvi();
        QVERIFY(!busyIndicatorActive());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!window.findChild<QWidget*>(QStringLiteral("busyIndicator")));
        QCOMPARE(busyIndicatorShownCount(), shownBefore + 1);

        // A hide too many (an error path hiding twice) leaves the next show working.
        DeactiveShowAvi();
        QVERIFY(!busyIndicatorActive());
        ActiveShowAvi(nullptr, 1);
        QVERIFY(busyIndicatorActive());
        DeactiveShowAvi();
        QVERIFY(!busyIndicatorActive());
        QCOMPARE(busyIndicatorShownCount(), shownBefore + 2);

        // The scope takes it away on the way out of an exception too.
        QVERIFY_THROWS_EXCEPTION(EAbort, [&] {
            const BusyScope busy(&window);
            QVERIFY(busyIndicatorActive());
            throw EAbort();
        }());
        QVERIFY(!busyIndicatorActive());
    }

    void setChildEnabledKeepsReadOnlyChildrenOff() {
        QWidget panel;
        auto* code = new QLineEdit(&panel);
        auto* name = new QLineEdit(&panel);
        name->setEnabled(false); // display only, by design
        auto* inner = new QWidget(&panel);
        auto* nested = new QLineEdit(inner);

        SetChildEnabled(&panel, false);
        QVERIFY(!code->isEnabled());
        QVERIFY(!name->isEnabled());
        QVERIFY(!nested->isEnabled());

        SetChildEnabled(&panel, true);
        QVERIFY(code->isEnabled());
        QVERIFY(nested->isEnabled());
        QVERIFY(!name->isEnabled());

        SetChildEnabled(&panel, true); // again: no change
        QVERIFY(code->isEnabled());
        QVERIFY(!name->isEnabled());
        SetChildEnabled(nullptr, false);
    }

    void serverAddressDefaultsAndOverrides() {
        HostSettings::clearOverrides();
        QSettings(QStringLiteral("ciap"), QStringLiteral("ciap")).clear();
        QCOMPARE(WebURL(), QStringLiteral("127.0.0.1"));
        QCOMPARE(WebPort(), 0);
        QCOMPARE(webToken(), QString());

        HostSettings::storeServer(QStringLiteral("app.example"), 5000);
        HostSettings::storeToken(QStringLiteral("s3"));
        QCOMPARE(WebURL(), QStringLiteral("app.example"));
        QCOMPARE(WebPort(), 5000);
        QCOMPARE(webToken(), QStringLiteral("s3"));
        QVERIFY(HostSettings::hasStoredServer());

        // The running process wins over the stored values, and is not written back.
        setWebServer(QStringLiteral("127.0.0.1"), 41234);
        setWebToken(QString());
        QCOMPARE(WebURL(), QStringLiteral("127.0.0.1"));
        QCOMPARE(WebPort(), 41234);
        QCOMPARE(webToken(), QString());
        QCOMPARE(QSettings(QStringLiteral("ciap"), QStringLiteral("ciap"))
                     .value(QStringLiteral("Server/Port"))
                     .toInt(),
                 5000);
        HostSettings::clearOverrides();
        QSettings(QStringLiteral("ciap"), QStringLiteral("ciap")).clear();
    }

private:
    RecordingDialogService m_dialogs;
};

QTEST_MAIN(TestHostServices)
#include "tst_hostservices.moc"
