// The button and the mouse: the order of its events, toggle and Value, the pop-up menu with
// hidden, disabled and separator items, and drag and drop; by-reference answers through
// the automation layer's event sink as a form's handler gives them.
#include "FormFixture.h"
#include "PlinthTestSupport.h"
#include "ctrl/DispIds.h"
#include "ctrl/PlinthControl.h"
#include "plinth/PlinthDataObject.h"

#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using plinth::PlinthControl;
using plinth::automation::DispId;
using plinth::automation::InvokeKind;
using plinth::automation::Variant;
using plinth::testing::RecordingSink;
namespace d = plinth::dispid;

namespace {

// The button of a control on a shown window, and the sink that hears its events.
struct ControlOnForm {
    ControlOnForm() {
        control.widget()->setParent(&window);
        control.widget()->setGeometry(10, 10, 100, 30);
        control.advise(&sink);
        window.resize(200, 60);
        window.show();
        shown = QTest::qWaitForWindowExposed(&window);
    }
    ~ControlOnForm() { control.advise(nullptr); }

    PlinthBtn* button() { return control.widget(); }

    QWidget window;
    PlinthControl control;
    RecordingSink sink;
    bool shown = false;
};

QMenu* openMenu(PlinthBtn* b) {
    return b->findChild<QMenu*>();
}

// A menu as its entries read: captions, "-" for a separator, "(x)" for a disabled entry.
QStringList entries(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions()) {
        out << (a->isSeparator() ? QStringLiteral("-")
                : a->isEnabled() ? a->text()
                                 : QStringLiteral("(%1)").arg(a->text()));
    }
    return out;
}

void contextMenu(PlinthBtn* b) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), b->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(b, &event);
}

} // namespace

class MouseMenuTest : public QObject {
    Q_OBJECT

private slots:
    // The platform's order: MouseDown, MouseUp, Click; a press let go outside is no click.
    void clickEventsInOrder() {
        ControlOnForm f;
        QVERIFY(f.shown);
        QTest::mouseClick(f.button(), Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 12));
        QCOMPARE(f.sink.ids(), (std::vector<DispId>{d::MouseDown, d::MouseUp, d::Click}));
        const auto& down = f.sink.events[0].args;
        QCOMPARE(down[0], Variant::i2(1)); // left button
        QCOMPARE(down[1], Variant::i2(1)); // Shift
        QCOMPARE(down[2], Variant::r4(20));
        QCOMPARE(down[3], Variant::r4(12));

        f.sink.events.clear();
        QTest::mousePress(f.button(), Qt::LeftButton, {}, QPoint(20, 12));
        QTest::mouseMove(f.button(), QPoint(150, 12));
        QTest::mouseRelease(f.button(), Qt::LeftButton, {}, QPoint(150, 12));
        const auto ids = f.sink.ids();
        QVERIFY(std::find(ids.begin(), ids.end(), d::Click) == ids.end());

        f.sink.events.clear();
        QTest::mouseClick(f.button(), Qt::RightButton, {}, QPoint(20, 12));
        QCOMPARE(f.sink.ids(), (std::vector<DispId>{d::MouseDown, d::MouseUp}));
        QCOMPARE(f.sink.events[0].args[0], Variant::i2(2));

        f.sink.events.clear();
        QTest::mouseDClick(f.button(), Qt::LeftButton, {}, QPoint(20, 12));
        const auto dbl = f.sink.ids();
        QVERIFY(std::find(dbl.begin(), dbl.end(), d::DblClick) != dbl.end());
    }

    void toggleAndValue() {
        PlinthBtn b;
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        // A plain button: Value = True presses it once and stays False.
        b.setValue(true);
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!b.Value());
        // A toggle: a click turns it on and off; setting Value only changes the state.
        b.setToggle(true);
        b.click();
        QVERIFY(b.Value());
        QVERIFY(b.isChecked());
        b.click();
        QVERIFY(!b.Value());
        b.setValue(true);
        QVERIFY(b.Value());
        QCOMPARE(clicked.count(), 3);
        // No longer a toggle: the on state goes with it, also in the stored form.
        b.setToggle(false);
        QVERIFY(!b.Value());
        PlinthBtn copy;
        QCOMPARE(copy.loadProperties(b.saveProperties()), 0);
        QVERIFY(!copy.Value());
    }

    void valueAsTheDefaultMember() {
        PlinthControl c;
        RecordingSink sink;
        c.advise(&sink);
        Variant out;
        std::vector<Variant> on{Variant::boolean(true)};
        QVERIFY(c.invoke(0, InvokeKind::PropertyPut, on, out));
        QCOMPARE(sink.ids(), (std::vector<DispId>{d::Click}));
        std::vector<Variant> toggle{Variant::boolean(true)};
        QVERIFY(c.invoke(39, InvokeKind::PropertyPut, toggle, out));
        QVERIFY(c.invoke(0, InvokeKind::PropertyPut, on, out));
        QVERIFY(c.invoke(41, InvokeKind::PropertyGet, {}, out));
        QCOMPARE(out, Variant::boolean(true));
        c.advise(nullptr);
    }

    // Hidden items and unused slots stay out, disabled ones are greyed, separators draw a
    // line; MenuClicked names the item by its index.
    void menuItems() {
        ControlOnForm f;
        QVERIFY(f.shown);
        PlinthBtn* b = f.button();
        b->SetMenuItem(0, QStringLiteral("Open"), true, false, false);
        b->SetMenuItem(1, QStringLiteral("Hidden"), true, true, false);
        b->SetMenuItem(2, QStringLiteral("ignored caption"), true, false, true);
        b->SetMenuItem(3, QStringLiteral("Print"), false, false, false);
        b->SetMenuItem(5, QStringLiteral("Close"), true, false, false);
        b->SetMenuItem(19, QStringLiteral("Last"), true, false, false);
        contextMenu(b);
        QCOMPARE(f.sink.ids().front(), d::BeforePopup);
        QMenu* menu = openMenu(b);
        QVERIFY(menu != nullptr);
        QCOMPARE(entries(menu), (QStringList{"Open", "-", "(Print)", "Close", "Last"}));
        menu->actions().at(3)->trigger();
        QCOMPARE(f.sink.events.back().id, d::MenuClicked);
        QCOMPARE(f.sink.events.back().args[0], Variant::i2(5));
        menu->actions().at(4)->trigger();
        QCOMPARE(f.sink.events.back().args[0], Variant::i2(19));
        menu->close();
        QVERIFY(QTest::qWaitFor([b] { return openMenu(b) == nullptr; }, 5000));
    }

    void beforePopupCancelsOrChangesTheMenu() {
        ControlOnForm f;
        QVERIFY(f.shown);
        PlinthBtn* b = f.button();
        b->SetMenuItem(0, QStringLiteral("Open"), true, false, false);
        f.sink.answer = [](DispId id, std::span<Variant> args) {
            if (id == d::BeforePopup) {
                args[0] = Variant::boolean(true);
            }
        };
        contextMenu(b);
        QCOMPARE(f.sink.ids(), (std::vector<DispId>{d::BeforePopup}));
        QVERIFY(openMenu(b) == nullptr);

        // A handler may fill the menu just before it opens.
        f.sink.answer = [&f](DispId id, std::span<Variant>) {
            if (id == d::BeforePopup) {
                Variant out;
                std::vector<Variant> caption{Variant::i2(1), Variant::bstr("Added")};
                QVERIFY(f.control.invoke(d::MenuCaption, InvokeKind::PropertyPut, caption, out));
            }
        };
        contextMenu(b);
        QMenu* menu = openMenu(b);
        QVERIFY(menu != nullptr);
        QCOMPARE(entries(menu), (QStringList{"Open", "Added"}));
        menu->close();
    }

    void noMenuWithoutItems() {
        ControlOnForm f;
        QVERIFY(f.shown);
        f.button()->SetMenuItem(0, QStringLiteral("Hidden"), true, true, false);
        f.button()->SetMenuItem(1, QString(), true, false, true); // a lone separator
        contextMenu(f.button());
        QVERIFY(openMenu(f.button()) == nullptr);
    }

    void focusMoveCancelledByTheHandler() {
        ControlOnForm f;
        QVERIFY(f.shown);
        auto* next = new PlinthBtn(&f.window);
        next->setGeometry(110, 10, 80, 30);
        next->show();
        f.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.button()->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return f.button()->hasFocus(); }, 5000));
        f.sink.answer = [](DispId id, std::span<Variant> args) {
            if (id == d::FocusMove) {
                args[0] = Variant::boolean(true);
            }
        };
        QTest::keyClick(f.button(), Qt::Key_Right);
        QVERIFY(f.button()->hasFocus());
        f.sink.answer = nullptr;
        QTest::keyClick(f.button(), Qt::Key_Right);
        QVERIFY(QTest::qWaitFor([&] { return next->hasFocus(); }, 5000));
        Variant cause;
        QVERIFY(f.control.invoke(d::LostFocusCause, InvokeKind::PropertyGet, {}, cause));
        QCOMPARE(cause, Variant::i4(2));
    }

    void dropOnlyWhenManual_data() {
        QTest::addColumn<int>("dropMode");
        QTest::addColumn<int>("answer"); // the Effect the handler leaves, -1 for no handler
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("action");
        QTest::newRow("drop mode none") << 0 << -1 << false << 0;
        QTest::newRow("manual, handler refuses") << 1 << 0 << false << 0;
        QTest::newRow("manual, copy") << 1 << 1 << true << int(Qt::CopyAction);
        QTest::newRow("manual, move") << 1 << 2 << true << int(Qt::MoveAction);
        QTest::newRow("manual, effect not offered") << 1 << 4 << false << 0;
        QTest::newRow("manual, no answer keeps the offer")
            << 1 << -1 << true << int(Qt::CopyAction);
    }

    void dropOnlyWhenManual() {
        QFETCH(int, dropMode);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QFETCH(int, action);
        ControlOnForm f;
        QVERIFY(f.shown);
        PlinthBtn* b = f.button();
        b->setOLEDropMode(static_cast<PlinthBtn::OLEDropModeConstants>(dropMode));
        std::string seen;
        f.sink.answer = [&](DispId id, std::span<Variant> args) {
            if (id != d::OLEDragOver && id != d::OLEDragDrop) {
                return;
            }
            auto& data = *args[0].asObject();
            Variant text;
            std::vector<Variant> format{Variant::i4(1)};
            if (data.invoke(*data.idOfName("GetData"), InvokeKind::Method, format, text)) {
                seen = text.asBstr();
            }
            if (answer >= 0) {
                args[1] = Variant::i4(answer);
            }
        };
        QMimeData mime;
        mime.setText(QStringLiteral("weight 12.5 kg"));
        const auto offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(5, 5), offered, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(QPointF(6, 6), offered, &mime, Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(b, &drop);
        QCOMPARE(drop.isAccepted(), accepted);
        if (accepted) {
            QCOMPARE(int(drop.dropAction()), action);
        }
        if (dropMode == 0) {
            QVERIFY(f.sink.events.empty());
            return;
        }
        QCOMPARE(f.sink.events[0].id, d::OLEDragOver);
        QCOMPARE(f.sink.events[0].args[6], Variant::i2(0)); // state: entering
        QCOMPARE(seen, std::string("weight 12.5 kg"));
        if (!accepted) {
            // A refused visit ends there: Qt delivers the drop to the widget that took the
            // drag only.
            QCOMPARE(f.sink.ids(), (std::vector<DispId>{d::OLEDragOver}));
            return;
        }
        QCOMPARE(f.sink.ids(), (std::vector<DispId>{d::OLEDragOver, d::OLEDragDrop}));
        QCOMPARE(f.sink.events[1].args[3], Variant::i2(2)); // Ctrl held at the drop
    }

    // A data object kept beyond its event refuses calls instead of reading freed data.
    void dataObjectOutlivingItsEvent() {
        ControlOnForm f;
        QVERIFY(f.shown);
        f.button()->setOLEDropMode(PlinthBtn::kxodrop_Manual);
        std::shared_ptr<plinth::automation::Dispatch> kept;
        f.sink.answer = [&](DispId id, std::span<Variant> args) {
            if (id == d::OLEDragDrop) {
                kept = args[0].asObject();
            }
        };
        {
            QMimeData mime;
            mime.setText(QStringLiteral("x"));
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(f.button(), &enter);
            QDropEvent drop(QPointF(6, 6), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(f.button(), &drop);
        }
        QVERIFY(kept != nullptr);
        Variant out;
        std::vector<Variant> format{Variant::i4(1)};
        const auto s = kept->invoke(*kept->idOfName("GetFormat"), InvokeKind::Method, format, out);
        QVERIFY(!s);
        QCOMPARE(s.error().number, 5);
    }

    // A drag from the button needs a handler that gives it data; without, the press stays
    // a press and clicks.
    void noDragWithoutData() {
        ControlOnForm f;
        QVERIFY(f.shown);
        QTest::mousePress(f.button(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(f.button(), QPoint(40, 12));
        QTest::mouseRelease(f.button(), Qt::LeftButton, {}, QPoint(40, 12));
        const auto ids = f.sink.ids();
        QCOMPARE(std::count(ids.begin(), ids.end(), d::OLEStartDrag), 1);
        QCOMPARE(ids.back(), d::Click);
    }

    // With data from the handler the press becomes a drag: no click, and the drag's end
    // reported (here nothing takes it: the offscreen screen has no drop target).
    void dragWithData() {
        ControlOnForm f;
        QVERIFY(f.shown);
        f.sink.answer = [](DispId id, std::span<Variant> args) {
            if (id != d::OLEStartDrag) {
                return;
            }
            auto& data = *args[0].asObject();
            Variant out;
            std::vector<Variant> set{Variant::bstr("12.5"), Variant::i4(1)};
            QVERIFY(data.invoke(*data.idOfName("SetData"), InvokeKind::Method, set, out));
            args[1] = Variant::i4(1); // copy only
        };
        QTest::mousePress(f.button(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(f.button(), QPoint(40, 12));
        QTest::mouseRelease(f.button(), Qt::LeftButton, {}, QPoint(40, 12));
        const auto ids = f.sink.ids();
        QVERIFY(std::find(ids.begin(), ids.end(), d::Click) == ids.end());
        const auto complete = std::find_if(f.sink.events.begin(), f.sink.events.end(),
                                           [](const auto& e) { return e.id == d::OLECompleteDrag; });
        QVERIFY(complete != f.sink.events.end());
        QCOMPARE(complete->args[0], Variant::i4(0));
        QVERIFY(!f.button()->isDown());
    }

    void dataObjectFormats() {
        plinth::PlinthDataObject data;
        QVERIFY(data.isEmpty());
        QVERIFY(data.SetData(QStringLiteral("text"), plinth::PlinthDataObject::kFormatText));
        QVERIFY(data.SetData(QStringLiteral("/tmp/a.csv"), plinth::PlinthDataObject::kFormatFiles));
        QVERIFY(!data.SetData(QStringLiteral("x"), 12345)); // a format it does not know
        QVERIFY(data.GetFormat(plinth::PlinthDataObject::kFormatText));
        QCOMPARE(data.Files(), QStringList{QStringLiteral("/tmp/a.csv")});
        QVERIFY(!data.GetFormat(plinth::PlinthDataObject::kFormatBitmap));
        QMimeData dragged;
        dragged.setText(QStringLiteral("read only"));
        plinth::PlinthDataObject view(&dragged);
        QVERIFY(!view.SetData(QStringLiteral("x"), plinth::PlinthDataObject::kFormatText));
        QVERIFY(!view.Clear());
        QCOMPARE(view.GetData(plinth::PlinthDataObject::kFormatText).toString(),
                 QStringLiteral("read only"));
    }
};

QTEST_MAIN(MouseMenuTest)
#include "MouseMenuTest.moc"
