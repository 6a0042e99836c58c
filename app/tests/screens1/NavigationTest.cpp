#include <QTest>
class NavigationTest : public QObject {
    Q_OBJECT
};
QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
