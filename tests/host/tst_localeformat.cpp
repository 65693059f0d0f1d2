#include "LocaleFormat.h"

#include <QLocale>
#include <QTest>
#include <limits>

class TestLocaleFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Results must not follow the machine's locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void formatFloat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped") << "#,##0.00" << 1234.567 << "1.234,57";
        QTest::newRow("negative") << "#,##0.00" << -1234.567 << "-1.234,57";
        QTest::newRow("millions") << "#,##0.00" << 1234567.891 << "1.234.567,89";
        QTest::newRow("zero") << "#,##0.00" << 0.0 << "0,00";
        QTest::newRow("small") << "#,##0.00" << 0.5 << "0,50";
        QTest::newRow("half up") << "#,##0.00" << 0.125 << "0,13";
        QTest::newRow("half away from zero") << "#,##0.00" << -0.125 << "-0,13";
        // 1.005 is 1.00499999999999989... in binary; the figure the user typed rounds up
        QTest::newRow("decimal half") << "#,##0.00" << 1.005 << "1,01";
        QTest::newRow("carry") << "#,##0.00" << 999.999 << "1.000,00";
        QTest::newRow("negative rounding to zero") << "#,##0.00" << -0.001 << "0,00";
        QTest::newRow("no grouping") << "0.00" << 1234.5 << "1234,50";
        QTest::newRow("optional decimals") << "0.##" << 2.5 << "2,5";
        QTest::newRow("integer") << "#,##0" << 1234.5 << "1.235";
        QTest::newRow("four decimals") << "0.0000" << 0.75 << "0,7500";
        QTest::newRow("literal") << "R$ #,##0.00" << 10.0 << "R$ 10,00";
        QTest::newRow("negative section") << "#,##0.00;(#,##0.00)" << -5.0 << "(5,00)";
        QTest::newRow("zero section") << "#,##0.00;-#,##0.00;zero" << 0.0 << "zero";
        QTest::newRow("large") << "#,##0.00" << 1e15 << "1.000.000.000.000.000,00";
        QTest::newRow("empty format") << "" << 2.5 << "2,5";
    }
    void formatFloat() {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(::formatFloat(format, value), text);
    }

    void floatToStr_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction") << 2.5 << "2,5";
        QTest::newRow("integer") << 1234.0 << "1234";
        QTest::newRow("rounded") << 1234.57 << "1234,57";
        QTest::newRow("negative") << -0.75 << "-0,75";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("15 digits") << 0.1 + 0.2 << "0,3";
        QTest::newRow("large") << 1e20 << "1E20";
        QTest::newRow("tiny") << 0.00001 << "1E-5";
        QTest::newRow("small fixed") << 0.0001 << "0,0001";
    }
    void floatToStr() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(::floatToStr(value), text);
        double back = 0;
        QVERIFY(::tryStrToFloat(text, &back));
        QCOMPARE(back, value == 0.1 + 0.2 ? 0.3 : value);
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << "05/03/2024" << QDate(2024, 3, 5);
        QTest::newRow("leap day") << "29/02/2024" << QDate(2024, 2, 29);
        QTest::newRow("no leap day") << "29/02/2023" << QDate();
        QTest::newRow("month 13") << "01/13/2020" << QDate();
        QTest::newRow("single digits") << "1/3/2020" << QDate();
        QTest::newRow("two-digit year") << "01/03/20" << QDate();
        QTest::newRow("dashes") << "01-03-2020" << QDate();
        QTest::newRow("blank placeholder") << "01/  /2020" << QDate();
        QTest::newRow("trailing blank") << "01/03/2020 " << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(strToDate(text), date);
        if (date.isValid())
            QCOMPARE(dateToStr(date), text);
    }

    void dateToStrOfInvalidIsEmpty() { QCOMPARE(dateToStr(QDate()), QString()); }

    void tryStrToFloat_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("grouped") << "1.234,56" << true << 1234.56;
        QTest::newRow("comma") << "1234,56" << true << 1234.56;
        QTest::newRow("one group") << "1.500" << true << 1500.0;
        QTest::newRow("grouped decimal") << "1.500,50" << true << 1500.5;
        QTest::newRow("short fraction") << "1500,5" << true << 1500.5;
        QTest::newRow("millions") << "2.000.000" << true << 2000000.0;
        QTest::newRow("dot as point") << "1234.56" << false << 0.0;
        QTest::newRow("short group") << "1.5" << false << 0.0;
        QTest::newRow("dot after comma") << "1,234.56" << false << 0.0;
        QTest::newRow("broken groups") << "1.50.0" << false << 0.0;
        QTest::newRow("leading dot") << ".5" << false << 0.0;
        QTest::newRow("grouped integer") << "1.234.567" << true << 1234567.0;
        QTest::newRow("leading comma") << ",5" << true << 0.5;
        QTest::newRow("plus") << "+3" << true << 3.0;
        QTest::newRow("exponent") << "1,5E3" << true << 1500.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("two commas") << "1,2,3" << false << 0.0;
        QTest::newRow("bad group") << "12.34,5" << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("comma only") << "," << false << 0.0;
        QTest::newRow("inner blank") << "1 234" << false << 0.0;
        QTest::newRow("overflow") << "1E999" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void tryStrToFloat() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double parsed = -1;
        QCOMPARE(::tryStrToFloat(text, &parsed), ok);
        if (ok)
            QCOMPARE(parsed, value);
        else
            QCOMPARE(parsed, -1.0);
    }
};

QTEST_GUILESS_MAIN(TestLocaleFormat)
#include "tst_localeformat.moc"
