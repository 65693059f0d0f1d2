#include <QTest>
class TestServerRobustness : public QObject {
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestServerRobustness)
#include "tst_server_robustness.moc"
