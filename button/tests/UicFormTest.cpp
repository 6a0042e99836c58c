// A form as Qt Designer saves it, compiled by uic and linked against the built library as a
// form's program would be: the button's enumerations, colours and texts reach it.
#include "ui_UicForm.h"

#include <QTest>

class UicFormTest : public QObject {
    Q_OBJECT

private slots:
    void designerFormCompilesAndLoads() {
        QWidget form;
        Ui::UicForm ui;
        ui.setupUi(&form);
        QCOMPARE(ui.cmdStart->CaptionStd(), QStringLiteral("開始 Start"));
        QCOMPARE(ui.cmdStart->ButtonStyle(), PlinthBtn::kxbs_DoubleFrame);
        QCOMPARE(ui.cmdStart->Font3D(), PlinthBtn::kxf3d_Raised);
        QCOMPARE(ui.cmdStart->BackColor(), 65535u);
        QCOMPARE(ui.cmdStart->CaptionRatio(), 80);
        QVERIFY(ui.cmdStart->isCheckable());
        // A caption left unset in the form is the button's object name.
        QCOMPARE(ui.cmdStop->currentCaption(), QStringLiteral("cmdStop"));
    }
};

QTEST_MAIN(UicFormTest)
#include "UicFormTest.moc"
