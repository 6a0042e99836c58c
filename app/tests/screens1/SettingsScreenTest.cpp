#include <QTest>
class SettingsScreenTest : public QObject {
    Q_OBJECT
};
QTEST_MAIN(SettingsScreenTest)
#include "SettingsScreenTest.moc"
