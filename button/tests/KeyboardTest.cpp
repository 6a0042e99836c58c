// The button and the keyboard: captions chosen by the modifier keys, the virtual key with
// its conditions, Enter and Space, and focus movement by the arrow keys and Enter with
// FocusMove cancelled and not.
#include "FormFixture.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using plinth::testing::FormFixture;
using Mode = PlinthBtn::CaptionModeConstants;

Q_DECLARE_METATYPE(Qt::Key)

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void captionByModifiers_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("keys"); // pressed in this order, held
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("withEmpty"); // the combination's caption left empty
        const QList<int> none;
        const int alt = Qt::Key_Alt, ctrl = Qt::Key_Control, shift = Qt::Key_Shift;
        QTest::newRow("fixed ignores Ctrl") << 0 << QList<int>{ctrl} << "std" << false;
        QTest::newRow("one of: nothing held") << 1 << none << "std" << false;
        QTest::newRow("one of: Alt") << 1 << QList<int>{alt} << "alt" << false;
        QTest::newRow("one of: Ctrl") << 1 << QList<int>{ctrl} << "ctrl" << false;
        QTest::newRow("one of: Shift") << 1 << QList<int>{shift} << "shift" << false;
        QTest::newRow("one of: Ctrl+Shift, Ctrl first")
            << 1 << QList<int>{shift, ctrl} << "ctrl" << false;
        QTest::newRow("one of: Alt+Ctrl, Alt first")
            << 1 << QList<int>{ctrl, alt} << "alt" << false;
        QTest::newRow("combination: Alt") << 2 << QList<int>{alt} << "alt" << false;
        QTest::newRow("combination: Alt+Ctrl") << 2 << QList<int>{alt, ctrl} << "altc" << false;
        QTest::newRow("combination: Alt+Ctrl+Shift")
            << 2 << QList<int>{shift, ctrl, alt} << "altcs" << false;
        QTest::newRow("combination: Alt+Shift") << 2 << QList<int>{alt, shift} << "alts" << false;
        QTest::newRow("combination: Ctrl") << 2 << QList<int>{ctrl} << "ctrl" << false;
        QTest::newRow("combination: Ctrl+Shift")
            << 2 << QList<int>{ctrl, shift} << "ctrls" << false;
        QTest::newRow("combination: Shift") << 2 << QList<int>{shift} << "shift" << false;
        QTest::newRow("combination without a caption")
            << 2 << QList<int>{ctrl, shift} << "std" << true;
    }

    // The modifier keys count while another control has the focus.
    void captionByModifiers() {
        QFETCH(int, mode);
        QFETCH(QList<int>, keys);
        QFETCH(QString, caption);
        QFETCH(bool, withEmpty);
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[1];
        b->setCaptionStd(QStringLiteral("std"));
        b->setCaptionAlt(QStringLiteral("alt"));
        b->setCaptionAltC(QStringLiteral("altc"));
        b->setCaptionAltCS(QStringLiteral("altcs"));
        b->setCaptionAltS(QStringLiteral("alts"));
        b->setCaptionCtrl(QStringLiteral("ctrl"));
        b->setCaptionCtrlS(withEmpty ? QString() : QStringLiteral("ctrls"));
        b->setCaptionShift(QStringLiteral("shift"));
        b->setCaptionMode(static_cast<Mode>(mode));
        QVERIFY(form.focus(form.field));

        Qt::KeyboardModifiers held;
        for (int key : keys) {
            QTest::keyPress(form.field, static_cast<Qt::Key>(key), held);
            held |= key == Qt::Key_Alt       ? Qt::AltModifier
                    : key == Qt::Key_Control ? Qt::ControlModifier
                                             : Qt::ShiftModifier;
        }
        QCOMPARE(b->currentCaption(), caption);
        QCOMPARE(b->text(), caption); // what accessibility reads
        for (int key : keys) {
            held &= ~(key == Qt::Key_Alt       ? Qt::AltModifier
                      : key == Qt::Key_Control ? Qt::ControlModifier
                                               : Qt::ShiftModifier);
            QTest::keyRelease(form.field, static_cast<Qt::Key>(key), held);
        }
        QCOMPARE(b->currentCaption(), QStringLiteral("std"));
    }

    void virtualKey_data() {
        QTest::addColumn<QString>("vkey");
        QTest::addColumn<int>("ex");  // VKeyEx
        QTest::addColumn<int>("alt"); // VKeyAlt, VKeyCtrl, VKeyShift: 0 ignore, 1 off, 2 on
        QTest::addColumn<int>("ctrl");
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("presses");
        const int none = Qt::NoModifier;
        const int keypad = Qt::KeypadModifier;
        QTest::newRow("F5") << "F5" << 0 << 0 << 0 << 0 << int(Qt::Key_F5) << none << true;
        QTest::newRow("another key")
            << "F5" << 0 << 0 << 0 << 0 << int(Qt::Key_F6) << none << false;
        QTest::newRow("letter typed into the field")
            << "A" << 0 << 0 << 0 << 0 << int(Qt::Key_A) << none << true;
        QTest::newRow("Ctrl ignored, held")
            << "F5" << 0 << 0 << 0 << 0 << int(Qt::Key_F5) << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl must be on, is")
            << "F5" << 0 << 0 << 2 << 0 << int(Qt::Key_F5) << int(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl must be on, is not")
            << "F5" << 0 << 0 << 2 << 0 << int(Qt::Key_F5) << none << false;
        QTest::newRow("Shift must be off, is")
            << "F5" << 0 << 0 << 0 << 1 << int(Qt::Key_F5) << int(Qt::ShiftModifier) << false;
        QTest::newRow("Alt must be off, is not")
            << "F5" << 0 << 1 << 0 << 0 << int(Qt::Key_F5) << none << true;
        QTest::newRow("Alt+Shift on, only Alt")
            << "F5" << 0 << 2 << 0 << 2 << int(Qt::Key_F5) << int(Qt::AltModifier) << false;
        // Enter of the main block is not extended, keypad Enter is.
        QTest::newRow("Enter, extended only, main Enter")
            << "Enter" << 2 << 0 << 0 << 0 << int(Qt::Key_Return) << none << false;
        QTest::newRow("Enter, extended only, keypad Enter")
            << "Enter" << 2 << 0 << 0 << 0 << int(Qt::Key_Enter) << keypad << true;
        QTest::newRow("Enter, non-extended, keypad Enter")
            << "Enter" << 1 << 0 << 0 << 0 << int(Qt::Key_Enter) << keypad << false;
        QTest::newRow("Enter, all keys, main Enter")
            << "Enter" << 0 << 0 << 0 << 0 << int(Qt::Key_Return) << none << true;
        // The cursor block is extended; the keypad's arrows (Num Lock off) are not.
        QTest::newRow("Left, extended, cursor block")
            << "Left" << 2 << 0 << 0 << 0 << int(Qt::Key_Left) << none << true;
        QTest::newRow("Left, extended, keypad")
            << "Left" << 2 << 0 << 0 << 0 << int(Qt::Key_Left) << keypad << false;
        QTest::newRow("Left, non-extended, keypad")
            << "Left" << 1 << 0 << 0 << 0 << int(Qt::Key_Left) << keypad << true;
        QTest::newRow("NumPad5 is not 5")
            << "5" << 0 << 0 << 0 << 0 << int(Qt::Key_5) << keypad << false;
        QTest::newRow("NumPad5") << "NumPad5" << 0 << 0 << 0 << 0 << int(Qt::Key_5) << keypad
                                 << true;
    }

    // Pressed anywhere in the button's window; the key then goes no further.
    void virtualKey() {
        QFETCH(QString, vkey);
        QFETCH(int, ex);
        QFETCH(int, alt);
        QFETCH(int, ctrl);
        QFETCH(int, shift);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, presses);
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[2];
        b->setVKeyName(vkey);
        b->setVKeyEx(static_cast<PlinthBtn::VKeyExConstants>(ex));
        b->setVKeyAlt(static_cast<PlinthBtn::VKeyACSConstants>(alt));
        b->setVKeyCtrl(static_cast<PlinthBtn::VKeyACSConstants>(ctrl));
        b->setVKeyShift(static_cast<PlinthBtn::VKeyACSConstants>(shift));
        QVERIFY(form.focus(form.field));
        QSignalSpy down(b, &PlinthBtn::vKeyDown);
        QSignalSpy up(b, &PlinthBtn::vKeyUp);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        const auto mods = Qt::KeyboardModifiers(modifiers);
        QTest::keyPress(form.field, static_cast<Qt::Key>(key), mods);
        QCOMPARE(b->isDown(), presses); // drawn down while the key is held
        QTest::keyRelease(form.field, static_cast<Qt::Key>(key), mods);
        QCOMPARE(clicked.count(), presses ? 1 : 0);
        QCOMPARE(down.count(), presses ? 1 : 0);
        QCOMPARE(up.count(), presses ? 1 : 0);
        QVERIFY(!b->isDown());
        if (presses) {
            QCOMPARE(down.first().at(0).toInt(), b->VKeyNo());
            QVERIFY(!down.first().at(3).toBool());
            QVERIFY(form.field->text().isEmpty()); // the field never saw the key
        }
    }

    void virtualKeyHeldRepeatsAndClicksOnce() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[0];
        b->setVKeyName(QStringLiteral("F2"));
        QSignalSpy down(b, &PlinthBtn::vKeyDown);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QTest::keyPress(form.field, Qt::Key_F2);
        // The platform's auto-repeat: press events marked as repeats.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(form.field, &repeat);
        QApplication::sendEvent(form.field, &repeat);
        QCOMPARE(clicked.count(), 0);
        QTest::keyRelease(form.field, Qt::Key_F2);
        QCOMPARE(down.count(), 3);
        QVERIFY(down.at(2).at(3).toBool());
        QCOMPARE(clicked.count(), 1);
    }

    // The key's release goes to the window that took over: the button lets go without a
    // click, and the next press of the key is a new one, not a repeat.
    void virtualKeyLetGoWhenTheWindowIsLeft() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[0];
        b->setVKeyName(QStringLiteral("F2"));
        QSignalSpy down(b, &PlinthBtn::vKeyDown);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QTest::keyPress(form.field, Qt::Key_F2);
        QVERIFY(b->isDown());
        FormFixture other;
        QVERIFY(other.active);
        QVERIFY(QTest::qWaitFor([&] { return !form.window->isActiveWindow(); }, 5000));
        QVERIFY(!b->isDown());
        QTest::keyRelease(other.field, Qt::Key_F2);
        other.window->hide();
        form.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.window.get()));
        QVERIFY(!b->isDown());
        QTest::keyPress(form.field, Qt::Key_F2);
        QVERIFY(b->isDown());
        QCOMPARE(down.count(), 2);
        QVERIFY(!down.at(1).at(3).toBool()); // not reported as Repeat
        QTest::keyRelease(form.field, Qt::Key_F2);
        QCOMPARE(clicked.count(), 1);
    }

    // Every button of a window hears its own key, also after others were destroyed, even by
    // a handler while the key was being offered around.
    void virtualKeysOfButtonsThatComeAndGo() {
        FormFixture form;
        QVERIFY(form.active);
        auto gone = std::make_unique<PlinthBtn>(form.window.get());
        gone->setVKeyName(QStringLiteral("F4"));
        gone.reset();
        PlinthBtn* first = form.buttons[0];
        PlinthBtn* second = form.buttons[1];
        first->setVKeyName(QStringLiteral("F2"));
        second->setVKeyName(QStringLiteral("F3"));
        QPointer<PlinthBtn> doomed(new PlinthBtn(form.window.get()));
        doomed->setVKeyName(QStringLiteral("F2"));
        doomed->show();
        QSignalSpy firstClicked(first, &QAbstractButton::clicked);
        QSignalSpy secondClicked(second, &QAbstractButton::clicked);
        // The newest button with the key takes it; its handler destroys it.
        connect(doomed.data(), &PlinthBtn::vKeyDown, this,
                [&](int, int, int, bool) { delete doomed.data(); });
        QTest::keyClick(form.field, Qt::Key_F4);
        QTest::keyClick(form.field, Qt::Key_F2);
        QVERIFY(doomed.isNull());
        QTest::keyClick(form.field, Qt::Key_F2);
        QTest::keyClick(form.field, Qt::Key_F3);
        QCOMPARE(firstClicked.count(), 1);
        QCOMPARE(secondClicked.count(), 1);
    }

    // A disabled or hidden button, or one in another window, is not pressed by its key.
    void virtualKeyOnlyWhereItCounts() {
        FormFixture form;
        FormFixture other;
        QVERIFY(form.active || other.active);
        PlinthBtn* b = form.buttons[0];
        b->setVKeyName(QStringLiteral("F3"));
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QTest::keyClick(other.field, Qt::Key_F3);
        QCOMPARE(clicked.count(), 0);
        b->setEnabled(false);
        QTest::keyClick(form.field, Qt::Key_F3);
        b->setEnabled(true);
        b->hide();
        QTest::keyClick(form.field, Qt::Key_F3);
        QCOMPARE(clicked.count(), 0);
        b->show();
        QTest::keyClick(form.field, Qt::Key_F3);
        QCOMPARE(clicked.count(), 1);
    }

    void enterAndSpace_data() {
        QTest::addColumn<bool>("atEnter");
        QTest::addColumn<bool>("atSpace");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Enter") << true << true << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter") << true << true << int(Qt::Key_Enter) << 1;
        QTest::newRow("Enter off") << false << true << int(Qt::Key_Return) << 0;
        QTest::newRow("Space") << true << true << int(Qt::Key_Space) << 1;
        QTest::newRow("Space off") << true << false << int(Qt::Key_Space) << 0;
        QTest::newRow("a letter") << true << true << int(Qt::Key_X) << 0;
    }

    void enterAndSpace() {
        QFETCH(bool, atEnter);
        QFETCH(bool, atSpace);
        QFETCH(int, key);
        QFETCH(int, clicks);
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[1];
        b->setClickAtEnterKey(atEnter);
        b->setClickAtSpaceKey(atSpace);
        QVERIFY(form.focus(b));
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        int keyDowns = 0;
        connect(b, &PlinthBtn::keyDown, this, [&](int&, int) { ++keyDowns; });
        QTest::keyClick(b, static_cast<Qt::Key>(key));
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(keyDowns, 1); // every key is reported, used or not
        QVERIFY(b->hasFocus());
    }

    void spaceClicksOnReleaseAndEscapeLetsGo() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[0];
        QVERIFY(form.focus(b));
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QTest::keyPress(b, Qt::Key_Space);
        QVERIFY(b->isDown());
        QCOMPARE(clicked.count(), 0);
        QTest::keyRelease(b, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
        QTest::keyPress(b, Qt::Key_Space);
        QTest::keyClick(b, Qt::Key_Escape);
        QVERIFY(!b->isDown());
        QTest::keyRelease(b, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
    }

    // A handler that sets KeyCode to 0 keeps the button from using the key.
    void keyDownHandlerSwallowsTheKey() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[0];
        QVERIFY(form.focus(b));
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QList<int> keyPress;
        connect(b, &PlinthBtn::keyPress, this, [&](int& keyAscii) { keyPress << keyAscii; });
        connect(b, &PlinthBtn::keyDown, this, [](int& keyCode, int) {
            if (keyCode == 13) {
                keyCode = 0;
            }
        });
        QTest::keyClick(b, Qt::Key_Return);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(keyPress.count(), 0);
        QTest::keyClick(b, Qt::Key_Space);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(keyPress.count(), 1);
        QCOMPARE(keyPress.first(), 32);
    }

    void focusMovement_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("horizontal"); // LostFocusAtHorzArrow on
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("enterAsTab");
        QTest::addColumn<int>("focused"); // which button has the focus after the key
        QTest::addColumn<int>("cause");   // the middle button's LostFocusCause after it
        QTest::addColumn<int>("asked");   // FocusMove events
        const int none = Qt::NoModifier;
        QTest::newRow("Right") << int(Qt::Key_Right) << none << false << true << true << false << 2
                               << 2 << 1;
        QTest::newRow("Left") << int(Qt::Key_Left) << none << false << true << true << false << 0
                              << 1 << 1;
        QTest::newRow("Down") << int(Qt::Key_Down) << none << false << true << true << false << 2
                              << 4 << 1;
        QTest::newRow("Up") << int(Qt::Key_Up) << none << false << true << true << false << 0 << 3
                            << 1;
        QTest::newRow("Right cancelled")
            << int(Qt::Key_Right) << none << true << true << true << false << 1 << 0 << 1;
        QTest::newRow("Right, horizontal off")
            << int(Qt::Key_Right) << none << false << false << true << false << 1 << 0 << 0;
        QTest::newRow("Down, vertical off")
            << int(Qt::Key_Down) << none << false << true << false << false << 1 << 0 << 0;
        QTest::newRow("Enter as Tab")
            << int(Qt::Key_Return) << none << false << true << true << true << 2 << 5 << 1;
        QTest::newRow("Shift+Enter as Tab") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                            << false << true << true << true << 0 << 5 << 1;
        QTest::newRow("Enter as Tab cancelled")
            << int(Qt::Key_Return) << none << true << true << true << true << 1 << 0 << 1;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << false << true << true << false << 2 << 0
                             << 0;
    }

    void focusMovement() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, cancel);
        QFETCH(bool, horizontal);
        QFETCH(bool, vertical);
        QFETCH(bool, enterAsTab);
        QFETCH(int, focused);
        QFETCH(int, cause);
        QFETCH(int, asked);
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[1];
        b->setLostFocusAtHorzArrow(horizontal ? PlinthBtn::kxlf_On : PlinthBtn::kxlf_Off);
        b->setLostFocusAtVertArrow(vertical ? PlinthBtn::kxlf_On : PlinthBtn::kxlf_Off);
        b->setTreatEnterAsTab(enterAsTab);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        int askedCount = 0;
        connect(b, &PlinthBtn::focusMove, this, [&](bool& c) {
            ++askedCount;
            c = cancel;
        });
        QVERIFY(form.focus(b));
        QTest::keyClick(b, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(QTest::qWaitFor(
            [&] { return form.buttons[static_cast<std::size_t>(focused)]->hasFocus(); }, 5000));
        QCOMPARE(static_cast<int>(b->LostFocusCause()), cause);
        QCOMPARE(askedCount, asked);
        QCOMPARE(clicked.count(), 0); // Enter that moves on does not also click
    }

    // CausesFocusMovement: a click by the operator completes the entry and moves on.
    void clickMovesOnWhenAsked() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[0];
        b->setCausesFocusMovement(true);
        QVERIFY(form.focus(b));
        int moves = 0;
        connect(b, &PlinthBtn::focusMove, this, [&](bool&) { ++moves; });
        QTest::keyClick(b, Qt::Key_Space);
        QVERIFY(QTest::qWaitFor([&] { return form.buttons[1]->hasFocus(); }, 5000));
        QCOMPARE(b->LostFocusCause(), PlinthBtn::kxlfc_InputComplete);
        QCOMPARE(moves, 1);
        // Focus lost any other way is a normal loss.
        form.buttons[1]->setFocus();
        QVERIFY(form.focus(b));
        QVERIFY(form.focus(form.field));
        QCOMPARE(b->LostFocusCause(), PlinthBtn::kxlfc_Normal);
    }

    // CaptionAccelerator: "&Start" underlines S, and Alt+S clicks the button.
    void acceleratorLetterClicks() {
        FormFixture form;
        QVERIFY(form.active);
        PlinthBtn* b = form.buttons[2];
        b->setCaptionStd(QStringLiteral("&Start"));
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        QTest::keyClick(form.window.get(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(clicked.count(), 0); // no accelerator until the caption asks for one
        b->setCaptionAccelerator(true);
        QVERIFY(form.focus(form.field));
        QTest::keyClick(form.field, Qt::Key_S, Qt::AltModifier);
        QVERIFY(QTest::qWaitFor([&] { return clicked.count() == 1; }, 5000));
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
