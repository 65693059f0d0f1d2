// "Fiscal ▸ Livro CIAP…" against a scripted server: what is typed is checked before anything is
// asked, the server's book reaches the preview as sent, a refusal or a broken answer is shown
// and nothing is previewed; the host's menu opens one window.
#include "BookJson.h"
#include "HostMainWindow.h"
#include "HostServices.h"
#include "LivroCiapWindow.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

class tst_LivroCiapWindow : public QObject {
    Q_OBJECT

private:
    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
    LivroCiapWindow* m_window = nullptr;
    QList<ciap::book::CiapBook> m_previewed;

    void fill(const QString& company, const QString& registration, const QString& month,
              int model = 0) {
        m_window->edtEmpresa->setText(company);
        m_window->edtInscricao->setText(registration);
        m_window->edtCompetencia->setText(month);
        m_window->cbModelo->setCurrentIndex(model);
    }
    void click() { QTest::mouseClick(m_window->btnVisualizar, Qt::LeftButton); }

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
        m_previewed.clear();
        m_window = new LivroCiapWindow;
        m_window->preview = [this](QWidget*, const ciap::book::CiapBook& b) { m_previewed << b; };
        m_window->show();
    }
    void cleanup() { delete m_window; }

    void previewsTheServersBook() {
        ciap::book::CiapBook sent;
        sent.model = ciap::book::BookModel::D;
        sent.header.month = QStringLiteral("01/2024");
        sent.header.tax = QStringLiteral("01");
        sent.figures.creditCents = 11750;
        sent.assets = {ciap::book::BookAsset{}, ciap::book::BookAsset{}};
        m_server.enqueueResult(QStringLiteral("livroCIAP"),
                               QJsonArray{"livro-ciap-d-02-207165890119-202401.pdf",
                                          QString::fromUtf8(ciap::book::BookJson::write(sent))});
        fill(QStringLiteral("2"), QStringLiteral(" 207165890119 "), QStringLiteral("01/2024"), 1);
        click();
        const auto calls = m_server.callsTo(QStringLiteral("livroCIAP"));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].fullMethod, QStringLiteral("ciap.fiscal.livroCIAP"));
        QCOMPARE(calls[0].params, (QJsonArray{"2", "207165890119", "01/2024", "D", ""}));
        QCOMPARE(m_previewed.size(), 1);
        QCOMPARE(ciap::book::BookJson::write(m_previewed[0]), ciap::book::BookJson::write(sent));
        QVERIFY2(m_window->lblSituacao->text().contains(QStringLiteral("2 bem(ns), 2 folha(s)")),
                 qPrintable(m_window->lblSituacao->text()));
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void showsWhatWentWrong_data() {
        QTest::addColumn<QStringList>("typed"); // company, registration, month
        QTest::addColumn<QString>("answer");    // "": a refusal
        QTest::addColumn<QString>("error");
        QTest::newRow("no company") << QStringList{"", "1", "01/2024"} << "-"
                                    << "Empresa deve ser informada.";
        QTest::newRow("month 13") << QStringList{"02", "1", "13/2024"} << "-"
                                  << "Competência deve ser um mês MM/AAAA";
        QTest::newRow("the server's refusal") << QStringList{"02", "1", "01/2024"} << ""
                                              << "A competência 01/2024 (imposto 01) está pendente";
        QTest::newRow("not a book") << QStringList{"02", "1", "01/2024"} << "{\"model\":\"X\"}"
                                    << "Resposta inválida do servidor";
    }
    void showsWhatWentWrong() {
        QFETCH(QStringList, typed);
        QFETCH(QString, answer);
        QFETCH(QString, error);
        if (answer.isEmpty())
            m_server.enqueueError(QStringLiteral("livroCIAP"), -32000,
                                  QStringLiteral("A competência 01/2024 (imposto 01) está "
                                                 "pendente: aproprie-a antes de emitir o livro."));
        else if (answer != QLatin1String("-"))
            m_server.enqueueResult(QStringLiteral("livroCIAP"), QJsonArray{"livro.pdf", answer});
        fill(typed[0], typed[1], typed[2]);
        click();
        QCOMPARE(m_server.callCount(), answer == QLatin1String("-") ? 0 : 1);
        QCOMPARE(m_dialogs.errors().size(), 1);
        QVERIFY2(m_dialogs.errors()[0].startsWith(error), qPrintable(m_dialogs.errors()[0]));
        QVERIFY(m_previewed.isEmpty());
    }

    void theMenuOpensOneWindow() {
        HostMainWindow main(nullptr);
        const QList<QAction*> fiscal =
            main.menuBar()->findChild<QMenu*>(QStringLiteral("mnuFiscal"))->actions();
        QVERIFY(fiscal.indexOf(main.livroAction()) > 0);
        QCOMPARE(main.livroAction()->objectName(), QStringLiteral("actLivroCIAP"));
        main.livroAction()->trigger();
        main.livroAction()->trigger();
        QCOMPARE(main.findChildren<LivroCiapWindow*>().size(), 1);
        QVERIFY(main.findChild<LivroCiapWindow*>()->isVisible());
    }
};

QTEST_MAIN(tst_LivroCiapWindow)
#include "tst_livro_ciap_window.moc"
