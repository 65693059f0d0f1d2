// Who gets a connection slot: the pools of the unauthenticated and the authenticated, and what
// one address may hold of them.
#include "Admission.h"

#include <QTest>

using ciap::server::Admission;

namespace {

const QHostAddress A(QStringLiteral("10.0.0.1"));
const QHostAddress B(QStringLiteral("10.0.0.2"));

Admission::Limits small() {
    Admission::Limits l;
    l.authenticated = 3;
    l.unauthenticated = 4;
    l.perAddress = 5;
    l.unauthenticatedPerAddress = 2;
    return l;
}

} // namespace

class TestAdmission : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One address fills its share of the waiting room; the others still get in.
    void oneAddressCannotFillTheWaitingRoom() {
        Admission a(small());
        QCOMPARE(a.admit(1, A).refusal, Admission::Refusal::None);
        QCOMPARE(a.admit(2, A).refusal, Admission::Refusal::None);
        QCOMPARE(a.admit(3, A).refusal, Admission::Refusal::UnauthenticatedPerAddress);
        QCOMPARE(a.admit(4, B).refusal, Admission::Refusal::None);
        QCOMPARE(a.unauthenticatedCount(), 3);
        // Once one of A's authenticated, A may wait with another.
        QVERIFY(a.authenticate(1));
        QCOMPARE(a.admit(5, A).refusal, Admission::Refusal::None);
    }

    // Many addresses fill the waiting room: the oldest waiting connection makes room, so a
    // newcomer that authenticates promptly is never shut out.
    void fullWaitingRoomEvictsTheOldest() {
        Admission a(small());
        for (quint64 id = 1; id <= 4; ++id)
            QCOMPARE(a.admit(id, QHostAddress(QStringLiteral("10.0.1.%1").arg(id))).evicted, 0u);
        const Admission::Decision d = a.admit(5, B);
        QCOMPARE(d.refusal, Admission::Refusal::None);
        QCOMPARE(d.evicted, 1u);
        QCOMPARE(a.unauthenticatedCount(), 4);
        QVERIFY(!a.authenticate(1)); // evicted meanwhile: it has no place to move from
        QVERIFY(a.authenticate(5));
        a.release(1); // the evicted connection's thread ends later: nothing to give back
        QCOMPARE(a.unauthenticatedCount(), 3);
    }

    // Waiting connections never take the authenticated slots, nor the reverse.
    void poolsAreSeparate() {
        Admission a(small());
        for (quint64 id = 1; id <= 3; ++id) {
            QCOMPARE(a.admit(id, QHostAddress(QStringLiteral("10.0.2.%1").arg(id))).refusal,
                     Admission::Refusal::None);
            QVERIFY(a.authenticate(id));
        }
        QCOMPARE(a.admit(4, A).refusal, Admission::Refusal::None); // still room to wait
        QVERIFY(!a.authenticate(4));                               // but none to work
        QVERIFY(a.authenticate(2));                                // asking again is harmless
        a.release(2);
        QVERIFY(a.authenticate(4));
        QCOMPARE(a.authenticatedCount(), 3);
        QCOMPARE(a.unauthenticatedCount(), 0);
    }

    void perAddressCountsEveryConnection() {
        Admission::Limits l = small();
        l.authenticated = 10;
        Admission a(l);
        for (quint64 id = 1; id <= 5; ++id) {
            QCOMPARE(a.admit(id, A).refusal, Admission::Refusal::None);
            QVERIFY(a.authenticate(id));
        }
        QCOMPARE(a.admit(6, A).refusal, Admission::Refusal::PerAddress);
        a.release(3);
        QCOMPARE(a.admit(7, A).refusal, Admission::Refusal::None);
    }

    void sourceOfAnAddress_data() {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("source");
        QTest::newRow("IPv4") << "192.0.2.7"
                              << "192.0.2.7";
        QTest::newRow("IPv4 mapped into IPv6") << "::ffff:192.0.2.7"
                                               << "192.0.2.7";
        QTest::newRow("IPv6: its /64") << "2001:db8:1:2:aaaa:bbbb:cccc:dddd"
                                       << "2001:db8:1:2::";
    }
    void sourceOfAnAddress() {
        QFETCH(QString, peer);
        QFETCH(QString, source);
        QCOMPARE(Admission::sourceOf(QHostAddress(peer)), QHostAddress(source));
    }
};

QTEST_GUILESS_MAIN(TestAdmission)
#include "tst_admission.moc"
