#include <QTest>
class TestServerProcess : public QObject {
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
