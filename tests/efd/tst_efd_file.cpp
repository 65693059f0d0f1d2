// The worked example of 01/2024 written, read back and broken one rule at a time.
#include "CiapMovements.h"
#include "EfdFormat.h"
#include "EfdReader.h"
#include "EfdValidator.h"
#include "EfdWriter.h"
#include "GoldenMonth.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace ciap::efd;

using Mutation = std::function<void(EfdFile&)>;
Q_DECLARE_METATYPE(Mutation)

namespace {

QString goldenText() {
    const WriteResult r = EfdWriter::write(golden::file());
    if (!r.ok())
        qFatal("golden file refused: %s", qPrintable(r.problems.front().text()));
    return QString::fromLatin1(r.bytes);
}

QStringList codes(const QList<Problem>& problems) {
    QStringList out;
    for (const Problem& p : problems)
        out << ruleCode(p.rule);
    return out;
}

} // namespace

class TestEfdFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void goldenBlocks() {
        const QString text = goldenText();
        QVERIFY(text.startsWith(QStringLiteral(
            "|0000|018|0|01012024|31012024|Metalúrgica Exemplo Ltda|12345678000195||SP|"
            "110042490114|3550308|||A|0|\r\n|0001|0|\r\n")));
        // Bloco G exactly: IM with its document and item, SI + BA, SI (counting) + AT with
        // the sale, SI of four ICMS parts; nothing for asset 6.
        const QString blocoG = QStringLiteral(
            "|G001|0|\r\n"
            "|G110|01012024|31012024|4600,00|195,83|900,00|1500,00|0,60000000|117,50|0,00|\r\n"
            "|G125|1|10012024|IM|4800,00|0,00|0,00|0,00|1|100,00|\r\n"
            "|G130|1|F001|55|1|12345|35240111222333000181550010000123451102938477|10012024||"
            "\r\n"
            "|G140|1|EMP-25|1,00000|UN|4800,00|0,00|0,00|0,00|\r\n"
            "|G125|2|01012024|SI|1000,00|0,00|0,00|0,00|48|20,83|\r\n"
            "|G125|2|31012024|BA|||||||\r\n"
            "|G125|3|01012024|SI|2400,00|0,00|0,00|0,00|8|50,00|\r\n"
            "|G125|3|20012024|AT|||||||\r\n"
            "|G130|0|C001|55|1|501|35240112345678000195550010000005011564738295|20012024||"
            "\r\n"
            "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n"
            "|G990|12|\r\n");
        QVERIFY2(text.contains(blocoG), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("|0990|18|\r\n")));
        QVERIFY(!text.contains(QStringLiteral("|0300|6|")));
        const QString bloco9 = QStringLiteral(
            "|9001|0|\r\n|9900|0000|1|\r\n|9900|0001|1|\r\n|9900|0150|2|\r\n|9900|0190|1|\r\n"
            "|9900|0200|1|\r\n|9900|0300|4|\r\n|9900|0305|4|\r\n|9900|0500|1|\r\n"
            "|9900|0600|2|\r\n|9900|0990|1|\r\n|9900|G001|1|\r\n|9900|G110|1|\r\n"
            "|9900|G125|6|\r\n|9900|G130|2|\r\n|9900|G140|1|\r\n|9900|G990|1|\r\n"
            "|9900|9001|1|\r\n|9900|9900|20|\r\n|9900|9990|1|\r\n|9900|9999|1|\r\n"
            "|9990|23|\r\n|9999|53|\r\n");
        QVERIFY(text.endsWith(bloco9));
    }

    void roundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("efd.txt"));
        EfdWriter::writeFile(golden::file(), path);
        const ReadResult read = EfdReader::readFile(path);
        QVERIFY2(read.ok(), qPrintable(read.problems.value(0).text()));
        EfdFile expected = golden::file();
        expected.assets.removeLast(); // asset 6 moves nothing, so Bloco 0 leaves it out
        QCOMPARE(read.file.movements, expected.movements);
        QCOMPARE(read.file.ciap, expected.ciap);
        QVERIFY(read.file == expected);
    }

    // Fields the example leaves empty survive the round trip too.
    void roundTripVariants_data() {
        QTest::addColumn<Mutation>("mutate");
        QTest::newRow("late credit (G126)") << Mutation([](EfdFile& f) {
            f.movements.back().otherCredits << OtherCredit{
                QDate(2023, 11, 1), QDate(2023, 11, 30), 1, 2500, 90000, 150000, 60000000, 1500};
            f.ciap.otherCredits = 1500;
        });
        QTest::newRow("a person, substitute file") << Mutation([](EfdFile& f) {
            Establishment& e = f.establishment;
            e.cnpj.clear();
            e.cpf = QStringLiteral("52998224725");
            e.activity = Activity::Other;
            e.profile = Profile::C;
            e.purpose = Purpose::Substitute;
            e.im = QStringLiteral("12345");
            e.suframa = QStringLiteral("123456789");
        });
        QTest::newRow("buyer abroad, item details") << Mutation([](EfdFile& f) {
            Participant& p = f.participants[1];
            p.country = QStringLiteral("02496");
            p.cnpj.clear();
            p.municipality.clear();
            Item& i = f.items[0];
            i.icmsRate = 1800;
            i.cest = QStringLiteral("1234567");
            i.barcode = QStringLiteral("7891234567895");
            f.assets[0].use->usefulLifeMonths.reset();
        });
    }
    void roundTripVariants() {
        QFETCH(Mutation, mutate);
        EfdFile f = golden::file();
        f.assets.removeLast();
        mutate(f);
        const WriteResult w = EfdWriter::write(f);
        QVERIFY2(w.ok(), qPrintable(w.problems.value(0).text()));
        const ReadResult r = EfdReader::read(w.bytes);
        QVERIFY2(r.ok(), qPrintable(r.problems.value(0).text()));
        QVERIFY(r.file == f);
    }

    void emptyMonth() {
        EfdFile f = golden::file();
        f.movements.clear();
        const WriteResult r = EfdWriter::write(f);
        QVERIFY2(r.ok(), qPrintable(r.problems.value(0).text()));
        const QString text = QString::fromLatin1(r.bytes);
        QVERIFY(text.contains(QStringLiteral("|0990|3|\r\n|G001|1|\r\n|G990|2|\r\n")));
        QVERIFY(!text.contains(QStringLiteral("|0300|")));
    }

    // A component (IA) is described with its main asset, which moves nothing this month.
    void componentBringsItsMainAsset() {
        EfdFile f = golden::file();
        QList<AssetFacts> facts = golden::facts();
        AssetFacts part{.code = QStringLiteral("7"),
                        .entry = QDate(2024, 1, 15),
                        .icms = {9600, 0, 0, 0},
                        .origin = AssetOrigin::Component};
        part.entryDocuments << facts.front().entryDocuments.front();
        part.entryDocuments.front().items.front().icms.own = 9600;
        facts << part;
        f.assets << f.assets.back() << f.assets.back();
        f.assets[5].code = QStringLiteral("7");
        f.assets[5].kind = AssetKind::Component;
        f.assets[5].mainAsset = QStringLiteral("8");
        f.assets[5].description = QStringLiteral("Motor de translação da linha de pintura");
        f.assets[6].code = QStringLiteral("8");
        f.assets[6].description = QStringLiteral("Linha de pintura eletrostática, em construção");
        f.movements = CiapMovements::forMonth(facts, f.ciap.start, ExitMonthInstalment::Counts);
        f.ciap.instalmentSum += 200; // 197.83 × 0.6 = 118.698
        f.ciap.credit = 11870;
        const WriteResult r = EfdWriter::write(f);
        QVERIFY2(r.ok(), qPrintable(r.problems.value(0).text()));
        const QString text = QString::fromLatin1(r.bytes);
        QVERIFY(text.contains(QStringLiteral("|0300|7|2|")));
        QVERIFY(text.contains(QStringLiteral("|0300|8|1|")));
        QVERIFY(text.contains(QStringLiteral("|G125|7|15012024|IA|96,00|0,00|0,00|0,00|1|2,00|")));
    }

    // G110's quotient and product: cut or rounded at 8 decimals, and the stored credit of a
    // large balance, whose coefficient IND_PER_SAI only approximates.
    void g110Figures_data() {
        QTest::addColumn<QString>("g110");
        QTest::addColumn<QString>("rule"); // empty: none of G110_INDEX, G110_CREDIT
        QTest::newRow("example, credit cut") << "4600,00|195,83|900,00|1500,00|0,60000000|117,49"
                                             << "";
        QTest::newRow("two thirds rounded") << "4600,00|195,83|2,00|3,00|0,66666667|130,55"
                                            << "";
        QTest::newRow("two thirds cut") << "4600,00|195,83|2,00|3,00|0,66666666|130,55"
                                        << "";
        QTest::newRow("two thirds, 8th decimal off") << "4600,00|195,83|2,00|3,00|0,66666665|130,55"
                                                     << "G110_INDEX";
        QTest::newRow("above 1") << "4600,00|195,83|3,00|3,00|1,00000001|195,83"
                                 << "G110_INDEX";
        QTest::newRow("no outgoing, whole balance") << "4600,00|195,83|0,00|0,00|1,00000000|195,83"
                                                    << "";
        QTest::newRow("R$ 49 million at a third")
            << "4600,00|49000000,00|1,00|3,00|0,33333333|16333333,33"
            << "";
        QTest::newRow("R$ 49 million, edge of the window")
            << "4600,00|49000000,00|1,00|3,00|0,33333333|16333333,66"
            << "";
        QTest::newRow("R$ 49 million, past the window")
            << "4600,00|49000000,00|1,00|3,00|0,33333333|16333333,67"
            << "G110_CREDIT";
    }
    void g110Figures() {
        QFETCH(QString, g110);
        QFETCH(QString, rule);
        QString text = goldenText();
        text.replace(QStringLiteral("4600,00|195,83|900,00|1500,00|0,60000000|117,50"), g110);
        QStringList found = codes(EfdValidator::validate(text));
        found.removeIf([](const QString& c) { return c != u"G110_INDEX" && c != u"G110_CREDIT"; });
        QCOMPARE(found.join(u' '), rule);
    }

    // Whatever is cut off a file, reading it never fails and always says what is wrong.
    void truncatedFiles() {
        const QByteArray bytes = EfdWriter::write(golden::file()).bytes;
        for (qsizetype cut = 0; cut < bytes.size() - 2; cut += 7) {
            const ReadResult r = EfdReader::read(bytes.first(cut));
            QVERIFY2(!r.ok(), qPrintable(QString::number(cut)));
        }
    }

    // One mutation of the golden text per rule family: the validator names that rule.
    void rejections_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("rule");
        const auto row = [](const char* name, const char* from, const char* to, const char* r) {
            QTest::newRow(name) << QString::fromUtf8(from) << QString::fromUtf8(to)
                                << QString::fromLatin1(r);
        };
        row("LF only", "|0001|0|\r\n", "|0001|0|\n", "LINE_FORMAT");
        row("no closing pipe", "|0001|0|\r\n", "|0001|0\r\n", "LINE_FORMAT");
        row("unknown register", "|0001|0|", "|0002|0|", "UNKNOWN_REGISTER");
        row("not Latin-1", "Metalúrgica", "Metal€rgica", "ENCODING");
        row("field missing", "|0190|UN|Unidade|", "|0190|UN|", "FIELD_COUNT");
        row("required empty", "|4|1.2.03.001|", "|4||", "FIELD_REQUIRED");
        row("letters in a number", "|48|20,83|", "|4B|20,83|", "FIELD_TYPE");
        row("thousands separator", "2400,00|0,00", "2.400,00|0,00", "FIELD_TYPE");
        row("one decimal", "|50,50|", "|50,5|", "FIELD_DECIMALS");
        row("index 4 decimals", "|0,60000000|", "|0,6000|", "FIELD_DECIMALS");
        row("exact length", "|3550308|||A|", "|355030|||A|", "FIELD_SIZE");
        row("no such day", "|10012024|IM|", "|30022024|IM|", "FIELD_DATE");
        row("bad IND_PERFIL", "|||A|0|", "|||D|0|", "FIELD_VALUE");
        row("bad TIPO_MOV", "|IM|", "|IX|", "FIELD_VALUE");
        row("bad COD_MOD", "|F001|55|", "|F001|65|", "FIELD_VALUE");
        row("G140 orphan", "|G130|1|F001|", "|G126|01012024|", "HIERARCHY");
        row("G126 after G130", "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n",
            "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n"
            "|G130|1|F001|01|1|7||15122023||\r\n"
            "|G126|01122023|31122023|1|25,00|900,00|1500,00|0,60000000|15,00|\r\n",
            "ORDER");
        row("block without data", "|G001|0|", "|G001|1|", "BLOCK_MOVEMENT");
        row("0990", "|0990|18|", "|0990|17|", "BLOCK_COUNT");
        row("G990", "|G990|12|", "|G990|13|", "BLOCK_COUNT");
        row("9900", "|9900|G125|6|", "|9900|G125|5|", "REGISTER_COUNT");
        row("9999", "|9999|53|", "|9999|52|", "FILE_COUNT");
        row("COD_VER", "|0000|018|", "|0000|019|", "LAYOUT_VERSION");
        row("month", "|01012024|31012024|Metal", "|01012024|01022024|Metal", "PERIOD");
        row("CNPJ", "|12345678000195||SP|", "|12345678000196||SP|", "CNPJ");
        row("CPF too", "|12345678000195||SP|", "|12345678000195|12345678909|SP|", "CNPJ_OR_CPF");
        row("municipality of RJ", "|110042490114|3550308|", "|110042490114|3304557|",
            "MUNICIPALITY");
        row("duplicate unit", "|0190|UN|Unidade|", "|0190|UN|Unidade|\r\n|0190|UN|Peça|",
            "DUPLICATE");
        row("unused unit", "|0190|UN|Unidade|", "|0190|UN|Unidade|\r\n|0190|KG|Quilo|",
            "UNREFERENCED");
        row("participant", "|0|C001|", "|0|C002|", "REF_PARTICIPANT");
        row("unit", "|1,00000|UN|", "|1,00000|PC|", "REF_UNIT");
        row("item", "|G140|1|EMP-25|", "|G140|1|EMP-26|", "REF_ITEM");
        row("asset", "|G125|4|", "|G125|5|", "REF_ASSET");
        row("liability account", "|01|A|4|1.2.03.001|", "|02|A|4|1.2.03.001|", "REF_ACCOUNT");
        row("cost centre", "|01012020|EXP|", "|01012020|LOG|", "REF_COST_CENTRE");
        row("component without main", "|0300|4|1|", "|0300|4|2|", "ASSET_MAIN");
        row("asset without 0305", "|0305|PROD|Uso na atividade|120|\r\n|0300|3|", "|0300|3|",
            "ASSET_USE");
        row("generic", "Ponte rolante 10 t, vão 18 m", "Máquinas e equipamentos",
            "ASSET_DESCRIPTION");
        row("no NR_PARC", "|1.2.03.001|48|\r\n|0305|PROD|Uso na atividade|120|\r\n|0300|3|",
            "|1.2.03.001||\r\n|0305|PROD|Uso na atividade|120|\r\n|0300|3|", "ASSET_INSTALMENTS");
        row("account dated later", "|0500|01012020|", "|0500|01022024|", "CHANGE_DATE");
        row("taxed above total", "|900,00|1500,00|", "|1600,00|1500,00|", "G110_OUTGOING");
        row("index", "|0,60000000|117,50|", "|0,61000000|117,50|", "G110_INDEX");
        row("credit", "|0,60000000|117,50|", "|0,60000000|117,51|", "G110_CREDIT");
        row("opening", "|4600,00|195,83|", "|4700,00|195,83|", "G110_OPENING");
        row("instalments", "|4600,00|195,83|", "|4600,00|195,84|", "G110_INSTALMENTS");
        row("other credits", "|117,50|0,00|", "|117,50|0,01|", "G110_OTHER_CREDITS");
        row("BA with values", "|BA|||||||", "|BA|0,00||||||", "G125_VALUES");
        row("SI all zero", "|SI|1000,00|0,00|0,00|0,00|48|", "|SI|0,00|0,00|0,00|0,00|48|",
            "G125_VALUES");
        row("number without value", "|8|50,00|", "|8||", "G125_VALUES");
        row("SI dated", "|4|01012024|SI|", "|4|02012024|SI|", "G125_DATE");
        row("exit after the period", "|20012024|AT|", "|20022024|AT|", "G125_DATE");
        row("rounded up", "|48|20,83|", "|48|20,84|", "G125_INSTALMENT");
        row("49th", "|48|20,83|", "|49|20,83|", "G125_INSTALMENT");
        row("SI twice", "|G125|2|31012024|BA|", "|G125|2|01012024|SI|", "G125_DUPLICATE");
        row("IA for an asset", "|1|10012024|IM|", "|1|10012024|IA|", "G125_KIND");
        row("BA before the last instalment", "|48|20,83|", "|08|20,83|", "G125_PAIR");
        row("last instalment without BA", "|G125|2|31012024|BA|||||||\r\n", "", "G125_PAIR");
        row("exit without SI", "|G125|3|01012024|SI|2400,00|0,00|0,00|0,00|8|50,00|\r\n", "",
            "G125_PAIR");
        row("other period", "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n",
            "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n"
            "|G126|01122018|31122018|1|25,00|900,00|1500,00|0,60000000|15,00|\r\n",
            "G126_PERIOD");
        row("other index", "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n",
            "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n"
            "|G126|01122023|31122023|1|25,00|900,00|1500,00|0,70000000|15,00|\r\n",
            "G126_INDEX");
        row("other credit", "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n",
            "|G125|4|01012024|SI|1000,00|100,00|50,50|49,50|2|25,00|\r\n"
            "|G126|01122023|31122023|1|25,00|900,00|1500,00|0,60000000|15,01|\r\n",
            "G126_CREDIT");
        row("AT without document", "|G130|0|C001|", "|G126|0|C001|", "G130_REQUIRED");
        row("key check digit", "1102938477|", "1102938478|", "G130_KEY");
        row("key of another number", "|12345|352401", "|12346|352401", "G130_KEY");
        row("NF-e without key", "|501|35240112345678000195550010000005011564738295|", "|501||",
            "G130_KEY");
        row("document after the period",
            "|501|35240112345678000195550010000005011564738295|"
            "20012024|",
            "|501|35240112345678000195550010000005011564738295|01022024|", "G130_DATE");
        row("document twice", "|20012024||\r\n|G125|4|",
            "|20012024||\r\n|G130|0|C001|55|1|501|35240112345678000195550010000005011564738295"
            "|20012024||\r\n|G125|4|",
            "G130_DUPLICATE");
        row("items below the entry", "|UN|4800,00|", "|UN|4799,99|", "G140_SUMS");
        row("item twice", "|G140|1|EMP-25|1,00000|UN|4800,00|0,00|0,00|0,00|\r\n",
            "|G140|1|EMP-25|1,00000|UN|4800,00|0,00|0,00|0,00|\r\n"
            "|G140|1|EMP-25|1,00000|UN|0,00|0,00|0,00|0,00|\r\n",
            "G140_DUPLICATE");
        row("no quantity", "|1,00000|UN|", "|0,00000|UN|", "G140_QUANTITY");
    }
    void rejections() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, rule);
        QString text = goldenText();
        QVERIFY2(text.count(from) == 1, "the mutation must hit exactly one place");
        text.replace(from, to);
        const QStringList found = codes(EfdValidator::validate(text));
        QVERIFY2(found.contains(rule), qPrintable(found.join(u' ')));
    }

    // The writer refuses a model it cannot write, naming the line, asset and field, with the
    // register's hint, and produces nothing.
    void refusals_data() {
        QTest::addColumn<Mutation>("mutate");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("where");
        QTest::newRow("asset without account")
            << Mutation([](EfdFile& f) { f.assets[1].account.clear(); }) << "FIELD_REQUIRED"
            << "linha 9, registro 0300, bem 2, campo COD_CTA: campo obrigatório vazio (bem sem "
               "conta contábil: informe a conta do bem ou a conta padrão da inscrição)";
        QTest::newRow("name outside Latin-1")
            << Mutation([](EfdFile& f) { f.participants[0].name += QStringLiteral(" ™"); })
            << "ENCODING"
            << "linha 3, registro 0150, campo NOME";
        QTest::newRow("separator in a description")
            << Mutation([](EfdFile& f) { f.assets[3].description += QStringLiteral(" | 10t"); })
            << "FIELD_CHARACTER"
            << "registro 0300, bem 4, campo DESCR_ITEM";
        QTest::newRow("negative instalment")
            << Mutation([](EfdFile& f) { f.movements.back().instalment->value = -1; })
            << "FIELD_TYPE"
            << "registro G125, bem 4, campo VL_PARC_PASS";
        QTest::newRow("year without a layout version") << Mutation([](EfdFile& f) {
            f.establishment.start = f.establishment.start.addYears(-1);
            f.establishment.end = f.establishment.end.addYears(-1);
        }) << "LAYOUT_VERSION"
                                                       << "registro 0000, campo COD_VER";
    }
    void refusals() {
        QFETCH(Mutation, mutate);
        QFETCH(QString, rule);
        QFETCH(QString, where);
        EfdFile f = golden::file();
        mutate(f);
        const WriteResult r = EfdWriter::write(f);
        QVERIFY(r.bytes.isEmpty());
        QStringList texts;
        for (const Problem& p : r.problems)
            texts << p.text();
        const auto hit = std::find_if(r.problems.cbegin(), r.problems.cend(),
                                      [&](const Problem& p) { return ruleCode(p.rule) == rule; });
        QVERIFY2(hit != r.problems.cend(), qPrintable(texts.join(u'\n')));
        QVERIFY2(hit->text().contains(where), qPrintable(hit->text()));
        QVERIFY_THROWS_EXCEPTION(EfdError, EfdWriter::writeFile(f, QStringLiteral("/nonexistent")));
    }

    void checkDigits_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("CNPJ") << "cnpj"
                              << "11222333000181" << true;
        QTest::newRow("CNPJ second digit") << "cnpj"
                                           << "11222333000182" << false;
        QTest::newRow("CNPJ all zeros") << "cnpj"
                                        << "00000000000000" << false;
        QTest::newRow("CPF") << "cpf"
                             << "52998224725" << true;
        QTest::newRow("CPF first digit") << "cpf"
                                         << "52998224715" << false;
        QTest::newRow("key") << "key"
                             << "35240111222333000181550010000123451102938477" << true;
        QTest::newRow("key 43") << "key"
                                << "3524011122233300018155001000012345110293847" << false;
        QTest::newRow("letters in a 2026 key CNPJ")
            << "key"
            << "35260712ABC34501DE35550010000007771121212124" << true;
        QTest::newRow("letters in a 2025 key CNPJ")
            << "key"
            << "35250712ABC34501DE35550010000007771121212122" << false;
        QTest::newRow("letters outside the CNPJ")
            << "key"
            << "35260712345678000195550A10000007771121212127" << false;
    }
    void checkDigits() {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(bool, valid);
        const bool result = kind == u"cnpj"  ? EfdFormat::validCnpj(value)
                            : kind == u"cpf" ? EfdFormat::validCpf(value)
                                             : EfdFormat::validAccessKey(value);
        QCOMPARE(result, valid);
    }
};

QTEST_GUILESS_MAIN(TestEfdFile)
#include "tst_efd_file.moc"
