#include "HostFont.h"
#include "TfrmPadraoGrid.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

// The screens are laid out in pixels for one face: it must be the pinned one, at its size,
// measuring as it did when the layouts were made, whatever fonts the machine has.
class tst_HostFont : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pinnedFaceIsLoadedAndUsed() {
        QVERIFY2(HostFont::load(), qPrintable(HostFont::lastError()));
        QFont bold = HostFont::font();
        const QFontInfo info(bold);
        QCOMPARE(info.family(), HostFont::family());
        QCOMPARE(info.pixelSize(), HostFont::pixelSize());
        bold.setBold(true);
        // The longest caption of the filter: another face, or another size, measures else.
        QCOMPARE(QFontMetrics(bold).horizontalAdvance(QStringLiteral("Inscrição Estadual")), 97);

        TfrmPadraoGrid form;
        QCOMPARE(QFontInfo(form.font()).family(), HostFont::family());
        QCOMPARE(QFontInfo(form.font()).pixelSize(), HostFont::pixelSize());
    }
};

QTEST_MAIN(tst_HostFont)
#include "tst_hostfont.moc"
