// "Fiscal ▸ Gerar Bloco G…" against a scripted server: what the user typed is checked before
// anything is asked, the file the server gives is saved byte for byte, every problem of the
// register is listed and nothing is written, a refusal is shown as the server words it; the
// host's menu opens one window.
#include "BlocoGWindow.h"
#include "HostMainWindow.h"
#include "HostServices.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

const QList<ciap::FieldDef> problemFields{
    {QStringLiteral("REGRA"), ciap::FieldType::String, 30},
    {QStringLiteral("REGISTRO"), ciap::FieldType::String, 4},
    {QStringLiteral("LINHA"), ciap::FieldType::Float, 0},
    {QStringLiteral("BEM"), ciap::FieldType::String, 60},
    {QStringLiteral("CAMPO"), ciap::FieldType::String, 30},
    {QStringLiteral("PROBLEMA"), ciap::FieldType::String, 400},
    {QStringLiteral("CORRECAO"), ciap::FieldType::String, 400},
    {QStringLiteral("TEXTO"), ciap::FieldType::String, 1000}};

QJsonArray answer(const QString& situation, const QByteArray& file,
                  const QList<QVariantList>& problems) {
    return {situation,
            QStringLiteral("bloco-g-02-207165890119-202401.txt"),
            QString::fromLatin1(file.toBase64()),
            ScriptedServer::packet(problemFields, problems),
            int(file.count('\n')),
            file.isEmpty() ? 0 : 6,
            QStringLiteral("01")};
}

} // namespace

class tst_BlocoGWindow : public QObject {
    Q_OBJECT

private:
    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
    QTemporaryDir m_dir;
    BlocoGWindow* m_window = nullptr;

    QString path() const { return m_dir.filePath(QStringLiteral("bloco-g.txt")); }
    void fill(const QString& company, const QString& registration, const QString& month,
              const QString& file) {
        m_window->edtEmpresa->setText(company);
        m_window->edtInscricao->setText(registration);
        m_window->edtCompetencia->setText(month);
        m_window->edtArquivo->setText(file);
    }
    void clickGerar() { QTest::mouseClick(m_window->btnGerar, Qt::LeftButton); }

private Q_SLOTS:
    void initTestCase() {
        DialogService::setInstance(&m_dialogs);
        QVERIFY(m_server.listen());
        setWebServer(m_server.host(), m_server.port());
    }
    void cleanupTestCase() { DialogService::setInstance(nullptr); }
    void init() {
        m_dialogs.clear();
        m_server.clear();
        QFile::remove(path());
        m_window = new BlocoGWindow;
        m_window->show();
    }
    void cleanup() { delete m_window; }

    void savesTheFileAsGiven() {
        const QByteArray file("|0000|018|0|01012024|31012024|COM\xC9RCIO EXEMPLO S.A.|\r\n"
                              "|9999|2|\r\n");
        m_server.enqueueResult(QStringLiteral("gerarBlocoG"), answer("OK", file, {}));
        fill(QStringLiteral("2"), QStringLiteral(" 207165890119 "), QStringLiteral("01/2024"),
             path());
        m_window->edtImposto->setText(QStringLiteral("01"));
        clickGerar();
        const auto calls = m_server.callsTo(QStringLiteral("gerarBlocoG"));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].fullMethod, QStringLiteral("ciap.fiscal.gerarBlocoG"));
        QCOMPARE(calls[0].params, (QJsonArray{"2", "207165890119", "01/2024", "01"}));
        QFile saved(path());
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), file);
        QCOMPARE(m_dialogs.entries.size(), 1);
        QCOMPARE(m_dialogs.entries[0].kind, DialogKind::Information);
        QVERIFY2(m_dialogs.entries[0].text.contains(path()),
                 qPrintable(m_dialogs.texts().join("")));
        QCOMPARE(m_window->lstProblemas->topLevelItemCount(), 0);
    }

    // Every problem in the list, a file already there left as it was.
    void listsEveryProblem() {
        QFile old(path());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier month");
        old.close();
        m_server.enqueueResult(
            QStringLiteral("gerarBlocoG"),
            answer(
                "PROBLEMAS", {},
                {{"FIELD_REQUIRED", "0305", 14.0, "0000000002", "FUNC", "campo obrigatório vazio",
                  "informe o centro de custo e a função do bem no cadastro", "…"},
                 {"REF_ACCOUNT", "0300", 9.0, "0000000003", "COD_CTA",
                  "conta 9.9 não está no registro 0500", "cadastre a conta 9.9", "…"}}));
        fill(QStringLiteral("02"), QStringLiteral("207165890119"), QStringLiteral("01/2024"),
             path());
        clickGerar();
        QCOMPARE(m_window->lstProblemas->topLevelItemCount(), 2);
        const QTreeWidgetItem* second = m_window->lstProblemas->topLevelItem(1);
        QCOMPARE(second->text(0), QStringLiteral("0300"));
        QCOMPARE(second->text(1), QStringLiteral("0000000003"));
        QCOMPARE(second->text(2), QStringLiteral("COD_CTA"));
        QCOMPARE(second->text(4), QStringLiteral("cadastre a conta 9.9"));
        QCOMPARE(second->text(5), QStringLiteral("REF_ACCOUNT"));
        QCOMPARE(m_dialogs.errors().size(), 1);
        QVERIFY(m_dialogs.errors()[0].contains(QStringLiteral("2 problema(s)")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier month"));

        // Fixed and generated again: the list empties.
        m_server.enqueueResult(QStringLiteral("gerarBlocoG"), answer("OK", "|9999|1|\r\n", {}));
        clickGerar();
        QCOMPARE(m_window->lstProblemas->topLevelItemCount(), 0);
    }

    void showsTheRefusal() {
        m_server.enqueueError(QStringLiteral("gerarBlocoG"), -32000,
                              QStringLiteral("A competência 01/2024 (imposto 01) está pendente: "
                                             "aproprie-a antes de gerar o Bloco G."));
        fill(QStringLiteral("02"), QStringLiteral("207165890119"), QStringLiteral("01/2024"),
             path());
        clickGerar();
        QCOMPARE(m_dialogs.errors(), QStringList{"A competência 01/2024 (imposto 01) está "
                                                 "pendente: aproprie-a antes de gerar o Bloco G."});
        QVERIFY(!QFile::exists(path()));
    }

    void checksWhatWasTyped_data() {
        QTest::addColumn<QStringList>("typed"); // company, registration, month, file
        QTest::addColumn<QString>("error");
        QTest::newRow("no company")
            << QStringList{"", "1", "01/2024", "f"} << "Empresa deve ser informada.";
        QTest::newRow("no registration")
            << QStringList{"02", " ", "01/2024", "f"} << "Inscrição Estadual deve ser informada.";
        QTest::newRow("no month") << QStringList{"02", "1", "", "f"} << "Competência deve ser";
        QTest::newRow("month 13") << QStringList{"02", "1", "13/2024", "f"}
                                  << "Competência deve ser";
        QTest::newRow("nowhere to save")
            << QStringList{"02", "1", "01/2024", " "} << "Informe onde gravar o arquivo.";
    }
    void checksWhatWasTyped() {
        QFETCH(QStringList, typed);
        QFETCH(QString, error);
        fill(typed[0], typed[1], typed[2], typed[3]);
        clickGerar();
        QCOMPARE(m_server.callCount(), 0);
        QCOMPARE(m_dialogs.errors().size(), 1);
        QVERIFY2(m_dialogs.errors()[0].startsWith(error), qPrintable(m_dialogs.errors()[0]));
    }

    void offersTheServersNaming() {
        QString offered;
        m_window->askPath = [&offered](QWidget*, const QString& suggested) {
            offered = suggested;
            return QStringLiteral("/tmp/escolhido.txt");
        };
        fill(QStringLiteral("2"), QStringLiteral("207.165.890.119"), QStringLiteral("01/2024"),
             QString());
        QTest::mouseClick(m_window->btnArquivo, Qt::LeftButton);
        QVERIFY2(offered.endsWith(QStringLiteral("/bloco-g-02-207165890119-202401.txt")),
                 qPrintable(offered));
        QCOMPARE(m_window->edtArquivo->text(), QStringLiteral("/tmp/escolhido.txt"));
    }

    void theMenuOpensOneWindow() {
        HostMainWindow main(nullptr);
        const QList<QAction*> fiscal =
            main.menuBar()->findChild<QMenu*>(QStringLiteral("mnuFiscal"))->actions();
        QCOMPARE(fiscal.value(0)->objectName(), QStringLiteral("actCIAP"));
        QCOMPARE(fiscal.value(3)->objectName(), QStringLiteral("actGerarBlocoG"));
        main.blocoGAction()->trigger();
        main.blocoGAction()->trigger();
        QCOMPARE(main.findChildren<BlocoGWindow*>().size(), 1);
        QVERIFY(main.findChild<BlocoGWindow*>()->isVisible());
    }
};

QTEST_MAIN(tst_BlocoGWindow)
#include "tst_bloco_g_window.moc"
