// ciap-admin as a new user meets it: a company, its registration and tax, the documents it
// already has, what the register still lacks and how it is completed; the mistakes a user
// makes, answered in Portuguese with the exit status a script can test.
#include "AdminCommands.h"
#include "ImportFixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Ran {
    int code = 0;
    QString out;
    QString err;
};

Ran admin(const QStringList& arguments) {
    Ran r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    ciap::admin::AdminIo io{out, err, false, {}};
    r.code = ciap::admin::run(arguments, io);
    out.flush();
    err.flush();
    return r;
}

} // namespace

class tst_Admin : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;
    QString m_db;

    Ran on(QStringList arguments) {
        arguments.insert(1, QStringLiteral("--database"));
        arguments.insert(2, m_db);
        return admin(arguments);
    }
    static QString lastLine(const QString& text) {
        return text.trimmed().section(QLatin1Char('\n'), -1);
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
        m_db = m_fx.db.location();
    }
    void init() {
        m_fx.reset();
        m_fx.db.exec(QStringLiteral("DELETE FROM INSCESTA WHERE CDINSCESTA = ?"),
                     {samples::Registration});
    }

    // The road of a fiscal team's first day, as the guide tells it.
    void aNewCompanysFirstDay() {
        QCOMPARE(on({"company", "--code", "5", "--name", "Metalúrgica Exemplo Ltda"}).code, 0);
        Ran r = on({"registration", "--company", "05", "--ie", samples::Registration, "--cnpj",
                    "12.345.678/0001-96", "--uf", "SP", "--municipality", "3509502"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("não é um CNPJ válido")), qPrintable(r.err));
        QCOMPARE(on({"registration", "--company", "05", "--ie", samples::Registration, "--cnpj",
                     "12.345.678/0001-95", "--uf", "sp", "--municipality", "3509502"})
                     .code,
                 0);
        QCOMPARE(on({"tax", "--code", "1", "--name", "ICMS", "--kind", "01"}).code, 0);

        r = on({"import", "--assets", samples::path(QString())});
        QCOMPARE(r.code, 1);
        QCOMPARE(lastLine(r.out), QStringLiteral("imported 6, duplicates 0, refused 23"));
        QVERIFY2(
            r.out.contains(QStringLiteral("refused/truncated.xml: O arquivo não é um XML válido")),
            qPrintable(r.out));
        r = on({"import", "--assets", samples::path(samples::Supplier)});
        QCOMPARE(r.code, 0);
        QCOMPARE(lastLine(r.out), QStringLiteral("imported 0, duplicates 1, refused 0"));

        r = on({"assets", "--company", "5", "--lacking"});
        QCOMPARE(r.code, 0);
        QCOMPARE(lastLine(r.out), QStringLiteral("bens com pendências: 5"));
        QVERIFY(r.out.contains(QStringLiteral("diferencial de alíquota")));
        r = on({"asset", "--company", "5", "--asset", "5", "--difal", "1.250,00", "--payment-doc",
                "GNRE 1", "--account", "1.2.3", "--cost-centre", "CC", "--function", "Ar",
                "--useful-life", "120", "--item-code", "CMP"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("diferencial de alíquota 1.250,00")),
                 qPrintable(r.out));
        QVERIFY(!r.out.contains(QLatin1String("falta:")));
        QCOMPARE(lastLine(on({"assets", "--company", "5", "--lacking"}).out),
                 QStringLiteral("bens com pendências: 4"));
        r = on({"exit", "--company", "5", "--asset", "5", "--date", "02/04/2024", "--kind", "P"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("saída 02/04/2024 (P)")));
    }

    // Mistakes get a Portuguese answer naming what is wrong, and the status says whose fault.
    void mistakes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no command") << QStringList{} << 2 << "Uso: ciap-admin";
        QTest::newRow("unknown command")
            << QStringList{"frobnicate"} << 2 << "Comando desconhecido";
        QTest::newRow("unknown option")
            << QStringList{"company", "--code", "1", "--nome", "X"} << 2 << "Opção desconhecida";
        QTest::newRow("a value missing") << QStringList{"tax", "--code"} << 2 << "Falta o valor";
        QTest::newRow("a date") << QStringList{"exit",   "--company",  "03",     "--asset", "1",
                                               "--date", "2024-01-20", "--kind", "V"}
                                << 2 << "DD/MM/AAAA";
        QTest::newRow("an amount")
            << QStringList{"asset", "--company", "03", "--asset", "1", "--difal", "12,345"} << 2
            << "duas casas decimais";
        QTest::newRow("a state") << QStringList{"state", "--uf", "XX", "--instalments", "48"} << 2
                                 << "não é a sigla de um estado";
        QTest::newRow("a municipality of another state")
            << QStringList{"registration", "--company",      "03",   "--ie", "1",
                           "--cnpj",       "12345678000195", "--uf", "RJ",   "--municipality",
                           "3509502"}
            << 2 << "não é do estado RJ";
        QTest::newRow("a company never created")
            << QStringList{"assets", "--company", "77"} << 1 << "Empresa não cadastrada.";
        QTest::newRow("an asset never created")
            << QStringList{"asset", "--company", "03", "--asset", "99", "--account", "1"} << 1
            << "Bem 99 não cadastrado";
        QTest::newRow("help") << QStringList{"import", "--help"} << 0 << "Uso: ciap-admin";
    }
    void mistakes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, text);
        const bool database = !arguments.isEmpty() &&
                              !arguments.contains(QLatin1String("--help")) &&
                              arguments.first() != QLatin1String("frobnicate");
        const Ran r = database ? on(arguments) : admin(arguments);
        QCOMPARE(r.code, code);
        QVERIFY2((r.out + r.err).contains(text), qPrintable(r.out + r.err));
    }

    // The executable itself: a database named that does not exist is not made up, and an
    // import's progress line is left out when the error stream is no terminal.
    void theExecutable() {
        QTemporaryDir dir;
        QProcess p;
        const QString missing = dir.filePath(QStringLiteral("erro-de-digitacao.db"));
        p.start(QStringLiteral(CIAP_ADMIN_EXECUTABLE),
                {QStringLiteral("import"), QStringLiteral("--database"), missing,
                 samples::path(samples::Supplier)});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("não existe")));
        QVERIFY(!QFile::exists(missing));

        const QString db = dir.filePath(QStringLiteral("novo.db"));
        for (const QStringList& args :
             {QStringList{"company", "--database", db, "--code", "1", "--name", "E"},
              QStringList{"registration", "--database", db, "--company", "1", "--ie",
                          samples::Registration, "--cnpj", samples::Cnpj, "--uf", "SP",
                          "--municipality", "3509502"},
              QStringList{"import", "--database", db, samples::path(samples::Outgoing)}}) {
            p.start(QStringLiteral(CIAP_ADMIN_EXECUTABLE), args);
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 0);
        }
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
                 QStringLiteral("imported 1, duplicates 0, refused 0\n"));
        QCOMPARE(p.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_Admin)
#include "tst_admin.moc"
