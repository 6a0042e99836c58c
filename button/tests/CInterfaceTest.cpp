// The button as a host loads it at run time through Plinth.h only: class lookup, the
// factory, late-bound calls with by-reference arguments, events answered from C, objects,
// the stored form, registration and unloading.
#include "plinth/Plinth.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <vector>

namespace {

struct Library {
    void* handle = nullptr;
    PlinthDllGetClassObjectFn getClassObject = nullptr;
    PlinthDllRegisterServerFn registerServer = nullptr;
    PlinthDllUnregisterServerFn unregisterServer = nullptr;
    PlinthDllCanUnloadNowFn canUnloadNow = nullptr;
    PlinthFindConstantFn findConstant = nullptr;
    PlinthGetEnumMemberFn enumMember = nullptr;
    PlinthVariantClearFn clear = nullptr;
    PlinthFreeMemoryFn freeMemory = nullptr;

    bool open() {
        handle = dlopen(PLINTH_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            qWarning("%s", dlerror());
            return false;
        }
        const auto sym = [this](const char* name) { return dlsym(handle, name); };
        getClassObject = reinterpret_cast<PlinthDllGetClassObjectFn>(sym("DllGetClassObject"));
        registerServer = reinterpret_cast<PlinthDllRegisterServerFn>(sym("DllRegisterServer"));
        unregisterServer =
            reinterpret_cast<PlinthDllUnregisterServerFn>(sym("DllUnregisterServer"));
        canUnloadNow = reinterpret_cast<PlinthDllCanUnloadNowFn>(sym("DllCanUnloadNow"));
        findConstant = reinterpret_cast<PlinthFindConstantFn>(sym("PlinthFindConstant"));
        enumMember = reinterpret_cast<PlinthGetEnumMemberFn>(sym("PlinthGetEnumMember"));
        clear = reinterpret_cast<PlinthVariantClearFn>(sym("PlinthVariantClear"));
        freeMemory = reinterpret_cast<PlinthFreeMemoryFn>(sym("PlinthFreeMemory"));
        return getClassObject && registerServer && unregisterServer && canUnloadNow &&
               findConstant && enumMember && clear && freeMemory;
    }
};

PlinthVariant text(const char* s) {
    PlinthVariant v{};
    v.vt = PLINTH_VT_BSTR;
    v.value.str = const_cast<char*>(s);
    v.length = static_cast<uint32_t>(std::strlen(s));
    return v;
}

PlinthVariant i2(int16_t n) {
    PlinthVariant v{};
    v.vt = PLINTH_VT_I2;
    v.value.i2 = n;
    return v;
}

PlinthVariant boolean(bool b) {
    PlinthVariant v{};
    v.vt = PLINTH_VT_BOOL;
    v.value.boolean = b ? PLINTH_VARIANT_TRUE : PLINTH_VARIANT_FALSE;
    return v;
}

std::string str(const PlinthVariant& v) {
    return v.vt == PLINTH_VT_BSTR ? std::string(v.value.str, v.length) : std::string("?");
}

struct Events {
    std::vector<int32_t> ids;
    bool cancelFocusMove = true;
};

void onEvent(void* context, int32_t dispid, PlinthVariant* args, uint32_t argc) {
    auto* events = static_cast<Events*>(context);
    events->ids.push_back(dispid);
    if (dispid == 3 && argc == 1 && args[0].vt == PLINTH_VT_BOOL) { // FocusMove(Cancel)
        args[0].value.boolean = events->cancelFocusMove ? PLINTH_VARIANT_TRUE : 0;
    }
}

} // namespace

class CInterfaceTest : public QObject {
    Q_OBJECT

private:
    Library lib;
    PlinthClassFactory* factory = nullptr;

    PlinthControl* create() {
        PlinthControl* control = nullptr;
        if (factory->vtbl->CreateInstance(factory, &control) != PLINTH_OK) {
            return nullptr;
        }
        return control;
    }

private slots:
    void initTestCase() {
        QVERIFY(lib.open());
        QCOMPARE(lib.getClassObject("Grolle.PlinthBtn", &factory), PLINTH_OK);
        QVERIFY(factory != nullptr);
    }

    void classNames() {
        PlinthClassFactory* f = nullptr;
        QCOMPARE(lib.getClassObject("grolle.plinthbtn", &f), PLINTH_OK);
        QCOMPARE(lib.getClassObject("Grolle.DataObject", &f), PLINTH_E_CLASSNOTAVAILABLE);
        QCOMPARE(lib.getClassObject("TAVRIN.TAVRINCtrl.1", &f), PLINTH_E_CLASSNOTAVAILABLE);
        QVERIFY(f == nullptr);
        QCOMPARE(lib.getClassObject(nullptr, &f), PLINTH_E_INVALIDARG);
    }

    void propertiesAndWidget() {
        PlinthControl* c = create();
        QVERIFY(c != nullptr);
        auto* widget = static_cast<QWidget*>(c->vtbl->GetWidget(c));
        QVERIFY(widget != nullptr);
        QCOMPARE(QByteArray(widget->metaObject()->className()), QByteArray("PlinthBtn"));

        int32_t id = 0;
        QCOMPARE(c->vtbl->GetIDOfName(c, "CaptionStd", &id), PLINTH_OK);
        QCOMPARE(id, 3);
        PlinthVariant caption = text("測定開始");
        QCOMPARE(c->vtbl->Invoke(c, 3, PLINTH_INVOKE_PROPERTYPUT, &caption, 1, nullptr, nullptr),
                 PLINTH_OK);
        PlinthVariant out{};
        QCOMPARE(c->vtbl->Invoke(c, 3, PLINTH_INVOKE_PROPERTYGET, nullptr, 0, &out, nullptr),
                 PLINTH_OK);
        QCOMPARE(str(out), std::string("測定開始"));
        lib.clear(&out);
        QCOMPARE(widget->property("CaptionStd").toString(), QStringLiteral("測定開始"));
        QCOMPARE(c->vtbl->IsModified(c), PLINTH_OK);

        PlinthVariant bad = i2(9);
        char* message = nullptr;
        QCOMPARE(c->vtbl->Invoke(c, 19, PLINTH_INVOKE_PROPERTYPUT, &bad, 1, nullptr, &message),
                 380);
        QVERIFY(message != nullptr && std::strlen(message) > 0);
        lib.freeMemory(message);
        QCOMPARE(c->vtbl->Release(c), 0u);
    }

    void byReferenceArgumentsComeBack() {
        PlinthControl* c = create();
        QVERIFY(c != nullptr);
        PlinthVariant set[] = {i2(4), text("&Print"), boolean(false), boolean(false),
                               boolean(true)};
        QCOMPARE(c->vtbl->Invoke(c, 70, PLINTH_INVOKE_METHOD, set, 5, nullptr, nullptr), PLINTH_OK);
        PlinthVariant get[5] = {i2(4)};
        QCOMPARE(c->vtbl->Invoke(c, 71, PLINTH_INVOKE_METHOD, get, 5, nullptr, nullptr), PLINTH_OK);
        QCOMPARE(str(get[1]), std::string("&Print"));
        QCOMPARE(get[2].vt, PLINTH_VT_BOOL);
        QCOMPARE(get[2].value.boolean, 0);
        QCOMPARE(get[4].value.boolean, PLINTH_VARIANT_TRUE);
        for (PlinthVariant& v : get) {
            lib.clear(&v);
        }
        PlinthVariant outside[5] = {i2(20)};
        QCOMPARE(c->vtbl->Invoke(c, 71, PLINTH_INVOKE_METHOD, outside, 5, nullptr, nullptr), 381);
        c->vtbl->Release(c);
    }

    void eventsAnsweredFromC() {
        PlinthControl* c = create();
        QVERIFY(c != nullptr);
        QWidget window;
        auto* button = static_cast<QWidget*>(c->vtbl->GetWidget(c));
        button->setParent(&window);
        auto* next = new QWidget(&window);
        next->setFocusPolicy(Qt::StrongFocus);
        next->move(120, 0);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Events events;
        const PlinthEventSink sink{&events, &onEvent};
        QCOMPARE(c->vtbl->Advise(c, &sink), PLINTH_OK);
        button->setFocus();
        QVERIFY(QTest::qWaitFor([button] { return button->hasFocus(); }, 5000));
        QTest::keyClick(button, Qt::Key_Right);
        QVERIFY(button->hasFocus()); // the C handler cancelled FocusMove
        events.cancelFocusMove = false;
        QTest::keyClick(button, Qt::Key_Right);
        QVERIFY(QTest::qWaitFor([next] { return next->hasFocus(); }, 5000));
        QCOMPARE(std::count(events.ids.begin(), events.ids.end(), 3), 2);
        QTest::keyClick(next, Qt::Key_A); // another control's keys are not the button's
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(events.ids.back(), -600); // Click
        c->vtbl->Advise(c, nullptr);
        c->vtbl->Release(c); // the widget goes with the control, out of its parent too
        QVERIFY(window.findChildren<QWidget*>().size() == 1);
    }

    void fontObject() {
        PlinthControl* c = create();
        PlinthVariant font{};
        QCOMPARE(c->vtbl->Invoke(c, -512, PLINTH_INVOKE_PROPERTYGET, nullptr, 0, &font, nullptr),
                 PLINTH_OK);
        QCOMPARE(font.vt, PLINTH_VT_DISPATCH);
        PlinthDispatch* object = font.value.dispatch;
        QCOMPARE(std::string(object->vtbl->GetTypeName(object)), std::string("StdFont"));
        int32_t sizeId = 0;
        QCOMPARE(object->vtbl->GetIDOfName(object, "size", &sizeId), PLINTH_OK);
        PlinthVariant size{};
        size.vt = PLINTH_VT_R8;
        size.value.r8 = 20;
        QCOMPARE(object->vtbl->Invoke(object, sizeId, PLINTH_INVOKE_PROPERTYPUT, &size, 1, nullptr,
                                      nullptr),
                 PLINTH_OK);
        auto* widget = static_cast<QWidget*>(c->vtbl->GetWidget(c));
        QCOMPARE(widget->font().pointSizeF(), 20.0);
        lib.clear(&font);
        c->vtbl->Release(c);
    }

    void storedFormAllOrNothing() {
        PlinthControl* c = create();
        PlinthVariant caption = text("kept");
        QCOMPARE(c->vtbl->Invoke(c, 3, PLINTH_INVOKE_PROPERTYPUT, &caption, 1, nullptr, nullptr),
                 PLINTH_OK);
        uint8_t* data = nullptr;
        size_t size = 0;
        QCOMPARE(c->vtbl->Save(c, &data, &size), PLINTH_OK);
        QCOMPARE(c->vtbl->IsModified(c), PLINTH_FALSE);
        const std::vector<uint8_t> form(data, data + size);
        lib.freeMemory(data);
        PlinthControl* copy = create();
        QCOMPARE(copy->vtbl->Load(copy, form.data(), form.size()), PLINTH_OK);
        PlinthVariant out{};
        copy->vtbl->Invoke(copy, 3, PLINTH_INVOKE_PROPERTYGET, nullptr, 0, &out, nullptr);
        QCOMPARE(str(out), std::string("kept"));
        lib.clear(&out);
        QCOMPARE(copy->vtbl->Load(copy, form.data(), form.size() / 2), 321);
        const uint8_t future[] = {0, 0, 9, 0};
        QCOMPARE(copy->vtbl->Load(copy, future, sizeof future), 321);
        copy->vtbl->Invoke(copy, 3, PLINTH_INVOKE_PROPERTYGET, nullptr, 0, &out, nullptr);
        QCOMPARE(str(out), std::string("kept"));
        lib.clear(&out);
        copy->vtbl->Release(copy);
        c->vtbl->Release(c);
    }

    void constantsByName() {
        int32_t value = -1;
        QCOMPARE(lib.findConstant("kxbs_二重枠", &value), PLINTH_OK);
        QCOMPARE(value, 2);
        QCOMPARE(lib.findConstant("kxmp_ユーザー定義", &value), PLINTH_OK);
        QCOMPARE(value, 99);
        QCOMPARE(lib.findConstant("kxbs_nothing", &value), PLINTH_E_NOTFOUND);
        const char* name = nullptr;
        QCOMPARE(lib.enumMember("captiondirectionconstants", 2, &name, &value), PLINTH_OK);
        QCOMPARE(QString::fromUtf8(name), QStringLiteral("kxcd_縦書き_縦ﾌｫﾝﾄ用"));
        QCOMPARE(lib.enumMember("CaptionDirectionConstants", 3, &name, &value), PLINTH_E_NOTFOUND);
    }

    // Registration edits only the button's line of the shared registry.
    void registration() {
        QTemporaryDir config;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        QDir().mkpath(config.filePath(QStringLiteral("tavrin")));
        QFile registry(config.filePath(QStringLiteral("tavrin/registry")));
        QVERIFY(registry.open(QIODevice::WriteOnly));
        registry.write("# shared\nTAVRIN.TAVRINCtrl.1=/usr/lib/libtavrin.so\n"
                       "grolle.plinthbtn=/old/libplinth.so\n");
        registry.close();
        QCOMPARE(lib.registerServer(), PLINTH_OK);
        QVERIFY(registry.open(QIODevice::ReadOnly));
        const QByteArray text = registry.readAll();
        registry.close();
        QVERIFY(text.startsWith("# shared\nTAVRIN.TAVRINCtrl.1=/usr/lib/libtavrin.so\n"));
        QVERIFY(!text.contains("/old/"));
        QVERIFY(text.contains("Grolle.PlinthBtn=/"));
        QVERIFY(text.contains("libplinth.so"));
        QCOMPARE(lib.unregisterServer(), PLINTH_OK);
        QVERIFY(registry.open(QIODevice::ReadOnly));
        QCOMPARE(registry.readAll(),
                 QByteArray("# shared\nTAVRIN.TAVRINCtrl.1=/usr/lib/libtavrin.so\n"));
        qputenv("XDG_CONFIG_HOME", saved);
    }

    void unloadOnlyWhenNothingIsAlive() {
        QCOMPARE(lib.canUnloadNow(), PLINTH_OK);
        PlinthControl* c = create();
        QCOMPARE(lib.canUnloadNow(), PLINTH_FALSE);
        PlinthVariant font{};
        c->vtbl->Invoke(c, -512, PLINTH_INVOKE_PROPERTYGET, nullptr, 0, &font, nullptr);
        c->vtbl->Release(c);
        QCOMPARE(lib.canUnloadNow(), PLINTH_FALSE); // the font object is still held
        lib.clear(&font);
        QCOMPARE(lib.canUnloadNow(), PLINTH_OK);
        QCOMPARE(factory->vtbl->LockServer(factory, 1), PLINTH_OK);
        QCOMPARE(lib.canUnloadNow(), PLINTH_FALSE);
        QCOMPARE(factory->vtbl->LockServer(factory, 0), PLINTH_OK);
        QCOMPARE(lib.canUnloadNow(), PLINTH_OK);
    }
};

QTEST_MAIN(CInterfaceTest)
#include "CInterfaceTest.moc"
