#include "HostErrors.h"
#include "TClientDataSet.h"

#include <QTest>

using ciap::FieldType;

namespace {

// One open, editing data set with a field of each type.
struct Editing {
    TClientDataSet ds;
    TField* text;
    TField* number;
    TField* date;
    Editing() {
        text = ds.AddField({"TEXT", FieldType::String, 5});
        number = ds.AddField({"NUMBER", FieldType::Float, 0});
        date = ds.AddField({"DATE", FieldType::DateTime, 0});
        number->DisplayFormat = QStringLiteral("#,##0.00");
        ds.CreateDataSet();
        ds.Append();
    }
    TField* field(const QString& name) { return ds.FieldByName(name); }
};

} // namespace

class TestField : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void setText_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("stored"); // invalid: null
        QTest::newRow("grouped comma") << "NUMBER"
                                       << "1.234,56" << QVariant(1234.56);
        QTest::newRow("comma") << "NUMBER"
                               << "1234,56" << QVariant(1234.56);
        QTest::newRow("dot groups thousands") << "NUMBER"
                                              << "1.500" << QVariant(1500.0);
        QTest::newRow("negative") << "NUMBER"
                                  << "-0,5" << QVariant(-0.5);
        QTest::newRow("blanks around") << "NUMBER"
                                       << " 7 " << QVariant(7.0);
        QTest::newRow("empty number") << "NUMBER"
                                      << "" << QVariant();
        QTest::newRow("only blanks") << "NUMBER"
                                     << "   " << QVariant();
        QTest::newRow("date") << "DATE"
                              << "15/03/2024" << QVariant(QDate(2024, 3, 15));
        QTest::newRow("empty date") << "DATE"
                                    << "" << QVariant();
        QTest::newRow("text") << "TEXT"
                              << "abc" << QVariant("abc");
        QTest::newRow("text cut to size") << "TEXT"
                                          << "abcdefgh" << QVariant("abcde");
        QTest::newRow("empty text is null") << "TEXT"
                                            << "" << QVariant();
    }
    void setText() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QVariant, stored);
        Editing e;
        // a previous value, so that null is a change
        e.field(field)->SetText(field == "DATE" ? "01/01/2020" : "1");
        e.field(field)->SetText(text);
        QCOMPARE(e.field(field)->Value(), stored);
        QCOMPARE(e.field(field)->IsNull(), !stored.isValid());
        QVERIFY(e.ds.Modified());
    }

    void invalidTextRaises_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "NUMBER"
                                 << "abc";
        QTest::newRow("two commas") << "NUMBER"
                                    << "1,2,3";
        QTest::newRow("bad grouping") << "NUMBER"
                                      << "1.23,5";
        QTest::newRow("dot as decimal point") << "NUMBER"
                                              << "1.5";
        QTest::newRow("day 31 of February") << "DATE"
                                            << "31/02/2024";
        QTest::newRow("month and year only") << "DATE"
                                             << "03/2024";
    }
    void invalidTextRaises() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        Editing e;
        e.field(field)->SetText(field == "DATE" ? "01/01/2020" : "5");
        const QVariant before = e.field(field)->Value();
        try {
            e.field(field)->SetText(text);
            QFAIL("accepted");
        } catch (const EHostError& error) {
            QCOMPARE(error.text(), QStringLiteral("'%1' não é um valor válido.").arg(text));
        }
        QCOMPARE(e.field(field)->Value(), before);
    }

    void texts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<QString>("displayText");
        QTest::addColumn<double>("asFloat");
        QTest::newRow("float") << "NUMBER" << QVariant(1234.567) << "1234,567"
                               << "1.234,57" << 1234.567;
        QTest::newRow("null float") << "NUMBER" << QVariant() << ""
                                    << "" << 0.0;
        QTest::newRow("negative") << "NUMBER" << QVariant(-2.5) << "-2,5"
                                  << "-2,50" << -2.5;
        QTest::newRow("date") << "DATE" << QVariant(QDate(2024, 3, 5)) << "05/03/2024"
                              << "05/03/2024" << 45356.0;
        QTest::newRow("null date") << "DATE" << QVariant() << ""
                                   << "" << 0.0;
        QTest::newRow("numeric text") << "TEXT" << QVariant("12,5") << "12,5"
                                      << "12,5" << 12.5;
    }
    void texts() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, asString);
        QFETCH(QString, displayText);
        QFETCH(double, asFloat);
        Editing e;
        TField* f = e.field(field);
        f->SetValue(value);
        QCOMPARE(f->AsString(), asString);
        QCOMPARE(f->Text(), asString);
        QCOMPARE(f->DisplayText(), displayText);
        QCOMPARE(f->AsFloat(), asFloat);
        e.ds.Post(); // the same texts from the stored row
        QCOMPARE(f->AsString(), asString);
        QCOMPARE(f->DisplayText(), displayText);
    }

    void textHandlers() {
        Editing e;
        QList<bool> displayFlags;
        e.text->OnGetText = [&](TField& sender, QString& text, bool display) {
            displayFlags << display;
            if (sender.AsString() == "P")
                text = QStringLiteral("Pendente");
        };
        QStringList typed;
        e.text->OnSetText = [&](TField& sender, const QString& text) {
            typed << text;
            if (text == "Pendente")
                sender.SetValue("P");
        };
        e.text->SetText("Pendente");
        e.text->SetText("pendente"); // not recognised: unchanged, no error
        QCOMPARE(typed, (QStringList{"Pendente", "pendente"}));
        QCOMPARE(e.text->Value(), QVariant("P"));
        QCOMPARE(e.text->DisplayText(), QStringLiteral("Pendente"));
        QCOMPARE(e.text->Text(), QStringLiteral("Pendente"));
        e.text->SetValue("X");
        QCOMPARE(e.text->DisplayText(), QString()); // the handler set nothing
        QCOMPARE(displayFlags, (QList<bool>{true, false, true}));
    }

    void conversionsOnAssignment() {
        Editing e;
        e.text->SetAsFloat(2.5);
        QCOMPARE(e.text->Value(), QVariant("2,5"));
        e.number->SetValue(QStringLiteral("3,25"));
        QCOMPARE(e.number->AsFloat(), 3.25);
        e.number->SetValue(4); // int
        QCOMPARE(e.number->Value(), QVariant(4.0));
        e.date->SetValue(QDateTime(QDate(2024, 5, 1), QTime(13, 0)));
        QCOMPARE(e.date->AsDateTime(), QDate(2024, 5, 1)); // the date part only
        e.date->SetAsDateTime(QDate());
        QVERIFY(e.date->IsNull());
        e.text->SetAsString("abc");
        QVERIFY_THROWS_EXCEPTION(EHostError, e.text->AsFloat());
        e.text->Clear();
        QCOMPARE(e.text->AsFloat(), 0.0);
    }

    void displayName() {
        Editing e;
        QCOMPARE(e.text->DisplayName(), QStringLiteral("TEXT"));
        e.text->DisplayLabel = QStringLiteral("Texto");
        QCOMPARE(e.text->DisplayName(), QStringLiteral("Texto"));
    }

    // Reading fields of a closed or empty data set gives null, not an error.
    void readsWithoutRow() {
        TClientDataSet ds;
        TField* f = ds.AddField({"SIT", FieldType::String, 1});
        TField* n = ds.AddField({"N", FieldType::Float, 0});
        QCOMPARE(f->AsString(), QString());
        QCOMPARE(n->AsFloat(), 0.0);
        ds.CreateDataSet();
        QVERIFY(f->IsNull());
        QVERIFY_THROWS_EXCEPTION(EHostError, f->SetValue("A"));
    }
};

QTEST_GUILESS_MAIN(TestField)
#include "tst_field.moc"
