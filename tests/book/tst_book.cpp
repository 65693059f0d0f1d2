// The CIAP book of docs/ciap-rules.md's worked example, 01/2024, brought in through the
// importer: the month's figures and each asset's entry, instalment and exit as the
// appropriation fixed them, model D's monthly lines, the sheets each model takes, the PDF
// ciap-admin writes, and the months that give no book.
#include "AdminCommands.h"
#include "BookExport.h"
#include "BookJson.h"
#include "BookLayout.h"
#include "ImportFixture.h"
#include "WorkedMonth.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace ciap::server;
using ciap::book::BookLine;
using ciap::book::BookModel;

namespace {

struct Ran {
    int code = -1;
    QString out;
    QString err;
};

Ran admin(const QStringList& arguments) {
    Ran r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    ciap::admin::AdminIo io{out, err, false, [] { return false; }};
    r.code = ciap::admin::run(arguments, io);
    out.flush();
    err.flush();
    return r;
}

int pdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class tst_Book : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;
    QTemporaryDir m_dir;

    ciap::book::CiapBook book(BookModel model, int month = 1) {
        return BookExport(m_fx.session())
            .run({worked::Company, worked::Registration, Month(2024, month), {}, model});
    }
    Ran bookCommand(const QString& company, const QString& month, const QString& model,
                    const QString& out) {
        return admin({"book", "--database", m_fx.db.location(), "--company", company,
                      "--registration", worked::Registration, "--month", month, "--model", model,
                      "--out", out});
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
        QVERIFY(m_dir.isValid());
    }
    void init() { worked::buildRegister(m_fx.session()); }

    void modelC() {
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        const ciap::book::CiapBook b = book(BookModel::C);
        QCOMPARE(b.header.companyName, QStringLiteral("COMÉRCIO EXEMPLO S.A."));
        QCOMPARE(b.header.taxName, QStringLiteral("ICMS"));
        QCOMPARE(b.figures.taxedCents, 90000);
        QCOMPARE(b.figures.totalCents, 150000);
        QCOMPARE(b.figures.coefficient, 60000000);
        QCOMPARE(b.figures.balanceCents, 19583);
        QCOMPARE(b.figures.creditCents, 11750);
        QCOMPARE(b.assets.size(), 4);
        qint64 credited = 0;
        for (const auto& a : b.assets)
            credited += a.appropriatedCents;
        QCOMPARE(credited, b.figures.creditCents);
        const auto& empilhadeira = b.assets[0];
        QCOMPARE(empilhadeira.instalmentNumber, 1);
        QCOMPARE(empilhadeira.instalmentCents, 10000);
        QCOMPARE(empilhadeira.appropriatedCents, 6000);
        QCOMPARE(empilhadeira.remainingCents, 47 * 10000);
        QCOMPARE(empilhadeira.entryDocument->participant, worked::Supplier);
        const auto& torno = b.assets[1];
        QCOMPARE(torno.instalmentNumber, 48);
        QCOMPARE(torno.remainingCents, 0);
        const auto& caminhao = b.assets[2];
        QCOMPARE(caminhao.exitDate, QDate(2024, 1, 20));
        QCOMPARE(caminhao.exitKind, QStringLiteral("V"));
        QCOMPARE(caminhao.exitDocument->number, QStringLiteral("6"));
        QCOMPARE(caminhao.remainingCents, 0);
        QCOMPARE(b.assets[3].creditCents(), 120000);
        QCOMPARE(b.assets[3].difalCents, 4950);
        QCOMPARE(ciap::book::BookLayout::pageCount(b), 1);
        // The month of a kind-"50" tax credits the whole balance.
        worked::addCompetencia(m_fx.session(), worked::WholeTax, 2024, 1);
        const auto whole = BookExport(m_fx.session())
                               .run({worked::Company, worked::Registration, Month(2024, 1),
                                     worked::WholeTax, BookModel::C});
        QVERIFY(whole.header.wholeBalance);
        QCOMPARE(whole.figures.coefficient, ciap::book::CoefficientOne);
        QCOMPARE(whole.figures.creditCents, 19583);
    }

    // One sheet per asset; its lines reach as far as the appropriated months give them.
    void modelD() {
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        const ciap::book::CiapBook b = book(BookModel::D);
        QCOMPARE(ciap::book::BookLayout::pageCount(b), 4);
        const auto& first = b.assets[0].lines;
        QCOMPARE(first.size(), 48);
        QCOMPARE(first[0].state, BookLine::State::Appropriated);
        QCOMPARE(first[0].coefficient, 60000000);
        QCOMPARE(first[0].creditedCents, 6000);
        QCOMPARE(first[1].state, BookLine::State::Later);
        QCOMPARE(first[47].month, QStringLiteral("12/2027"));
        const auto& torno = b.assets[1].lines;
        QCOMPARE(torno[46].state, BookLine::State::NotStored);
        QCOMPARE(torno[47].month, QStringLiteral("01/2024"));
        QCOMPARE(torno[47].instalmentCents, 2083);
        // What the window receives is the book the tool prints.
        const QByteArray json = ciap::book::BookJson::write(b);
        QCOMPARE(ciap::book::BookJson::write(ciap::book::BookJson::read(json)), json);

        const QString shots = qEnvironmentVariable("CIAP_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            ciap::book::BookLayout::pageImage(book(BookModel::C), 0, 110)
                .save(QDir(shots).filePath(QStringLiteral("livro-ciap-modelo-c.png")));
            ciap::book::BookLayout::pageImage(b, 3, 110).save(
                QDir(shots).filePath(QStringLiteral("livro-ciap-modelo-d.png")));
        }
    }

    void pdf_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("pages");
        QTest::newRow("C") << "c" << 1;
        QTest::newRow("D") << "D" << 4;
    }
    void pdf() {
        QFETCH(QString, model);
        QFETCH(int, pages);
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        const QString path = m_dir.filePath(QStringLiteral("livro-%1.pdf").arg(model));
        const Ran r = bookCommand(QStringLiteral("2"), QStringLiteral("01/2024"), model, path);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("%1 folha(s)").arg(pages)), qPrintable(r.out));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QCOMPARE(pdfPages(bytes), pages);
    }

    // Nothing is written and the user reads why.
    void refused_data() {
        QTest::addColumn<bool>("appropriate");
        QTest::addColumn<QStringList>("arguments"); // company, month, model, file
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown company")
            << true << QStringList{"9", "01/2024", "C", "a.pdf"} << 1 << "Empresa não cadastrada.";
        QTest::newRow("pending month") << false << QStringList{"2", "01/2024", "D", "a.pdf"} << 1
                                       << "está pendente: aproprie-a antes de emitir o livro";
        QTest::newRow("month without competência")
            << true << QStringList{"2", "02/2024", "C", "a.pdf"} << 1
            << "Não há competência 02/2024 para a inscrição";
        QTest::newRow("unknown model")
            << true << QStringList{"2", "01/2024", "E", "a.pdf"} << 2 << "--model é C";
        QTest::newRow("folder that does not exist")
            << true << QStringList{"2", "01/2024", "C", "nada/a.pdf"} << 1
            << "Não foi possível gravar";
    }
    void refused() {
        QFETCH(bool, appropriate);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1, appropriate);
        const QString path = m_dir.filePath(arguments[3]);
        const Ran r = bookCommand(arguments[0], arguments[1], arguments[2], path);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(tst_Book)
#include "tst_book.moc"
