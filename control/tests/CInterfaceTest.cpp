// The library as a host that knows only Tavrin.h sees it: loaded with dlopen, controls made
// by class name, called by member number, events pumped from the notification descriptor,
// and registration into the registry file.
#include "TavrinHost.h"
#include "tavrin/Tavrin.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tavrin::test::i2;
using tavrin::test::text;

struct Events {
    std::vector<std::pair<int32_t, int32_t>> got;
    static void onEvent(void* context, int32_t dispid, const TavrinVariant* args, uint32_t argc) {
        auto* self = static_cast<Events*>(context);
        self->got.emplace_back(dispid,
                               argc > 0 && args[0].vt == TAVRIN_VT_I2 ? args[0].value.i2 : -1);
    }
};

class CInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lib.loaded());
        m_getClassObject = m_lib.symbol<TavrinDllGetClassObjectFn>("DllGetClassObject");
        m_variantClear = m_lib.symbol<TavrinVariantClearFn>("TavrinVariantClear");
        m_freeMemory = m_lib.symbol<TavrinFreeMemoryFn>("TavrinFreeMemory");
        ASSERT_NE(m_getClassObject, nullptr);
        ASSERT_NE(m_variantClear, nullptr);
        ASSERT_NE(m_freeMemory, nullptr);
    }

    TavrinControl* create(const char* className = "TAVRINLib.TAVRIN") {
        TavrinClassFactory* factory = nullptr;
        EXPECT_EQ(m_getClassObject(className, &factory), TAVRIN_OK);
        if (factory == nullptr) {
            return nullptr;
        }
        TavrinControl* control = nullptr;
        EXPECT_EQ(factory->vtbl->CreateInstance(factory, &control), TAVRIN_OK);
        factory->vtbl->Release(factory);
        return control;
    }

    int32_t id(TavrinControl* c, const char* name) {
        int32_t dispid = 0;
        EXPECT_EQ(c->vtbl->GetIDOfName(c, name, &dispid), TAVRIN_OK) << name;
        return dispid;
    }

    int32_t put(TavrinControl* c, const char* name, TavrinVariant value,
                std::string* error = nullptr) {
        char* message = nullptr;
        const int32_t rc = c->vtbl->Invoke(c, id(c, name), TAVRIN_INVOKE_PROPERTYPUT, &value, 1,
                                           nullptr, &message);
        if (message != nullptr) {
            if (error != nullptr) {
                *error = message;
            }
            m_freeMemory(message);
        }
        return rc;
    }

    TavrinVariant get(TavrinControl* c, const char* name) {
        TavrinVariant out{};
        EXPECT_EQ(
            c->vtbl->Invoke(c, id(c, name), TAVRIN_INVOKE_PROPERTYGET, nullptr, 0, &out, nullptr),
            TAVRIN_OK)
            << name;
        return out;
    }

    tavrin::test::TavrinLibrary m_lib{TAVRIN_LIBRARY_PATH};
    TavrinDllGetClassObjectFn m_getClassObject = nullptr;
    TavrinVariantClearFn m_variantClear = nullptr;
    TavrinFreeMemoryFn m_freeMemory = nullptr;
};

TEST_F(CInterfaceTest, ClassesAreFoundByProgIdAndTypeLibraryNameOnly) {
    TavrinClassFactory* factory = nullptr;
    EXPECT_EQ(m_getClassObject("TAVRIN.TAVRINCtrl.1", &factory), TAVRIN_OK);
    EXPECT_EQ(m_getClassObject("tavrinlib.tavrin", &factory), TAVRIN_OK);
    EXPECT_EQ(m_getClassObject("Plinth", &factory), TAVRIN_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(m_getClassObject(nullptr, &factory), TAVRIN_E_INVALIDARG);
}

TEST_F(CInterfaceTest, PropertiesErrorsAndEventsThroughTheVtable) {
    auto canUnload = m_lib.symbol<TavrinDllCanUnloadNowFn>("DllCanUnloadNow");
    auto notifyFd = m_lib.symbol<TavrinGetNotifyFdFn>("TavrinGetNotifyFd");
    auto pump = m_lib.symbol<TavrinPumpNotificationsFn>("TavrinPumpNotifications");
    ASSERT_TRUE(canUnload && notifyFd && pump);

    TavrinControl* c = create();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(canUnload(), TAVRIN_FALSE);

    EXPECT_EQ(put(c, "MemStart", text("30001")), TAVRIN_OK);
    TavrinVariant memStart = get(c, "MemStart");
    ASSERT_EQ(memStart.vt, TAVRIN_VT_BSTR);
    EXPECT_STREQ(memStart.value.str, "30001");
    EXPECT_EQ(memStart.length, 5u);
    m_variantClear(&memStart);
    EXPECT_EQ(memStart.vt, TAVRIN_VT_EMPTY);

    std::string error;
    EXPECT_EQ(put(c, "Function", i2(9), &error), 20002);
    EXPECT_EQ(error, "Illegal value specified for Function property!");

    // A port name no ports folder links: the refresh completes with 1280.
    EXPECT_EQ(put(c, "AdapterPrefix", text("NOSUCHPORT")), TAVRIN_OK);
    Events events;
    const TavrinEventSink sink{&events, &Events::onEvent};
    ASSERT_EQ(c->vtbl->Advise(c, &sink), TAVRIN_OK);
    ASSERT_EQ(c->vtbl->Invoke(c, id(c, "AsyncRefresh"), TAVRIN_INVOKE_METHOD, nullptr, 0, nullptr,
                              nullptr),
              TAVRIN_OK);
    const int fd = notifyFd();
    ASSERT_GE(fd, 0);
    for (int round = 0; round < 100 && events.got.empty(); ++round) {
        pollfd p{fd, POLLIN, 0};
        ASSERT_GE(::poll(&p, 1, 5000), 0);
        pump();
    }
    ASSERT_EQ(events.got.size(), 1u);
    int32_t complete = 0;
    ASSERT_EQ(c->vtbl->GetEventIDOfName(c, "Complete", &complete), TAVRIN_OK);
    EXPECT_EQ(events.got[0], std::make_pair(complete, int32_t{1280}));
    TavrinVariant result = get(c, "Result");
    EXPECT_EQ(result.value.i2, 1280);
    TavrinVariant sentence = get(c, "ResultString");
    EXPECT_NE(std::strstr(sentence.value.str, "error opening communications port"), nullptr);
    m_variantClear(&sentence);

    EXPECT_EQ(c->vtbl->Release(c), 0u);
    EXPECT_EQ(canUnload(), TAVRIN_OK);
}

TEST_F(CInterfaceTest, SavedPropertiesLoadIntoAnotherControl) {
    TavrinControl* a = create();
    TavrinControl* b = create("TAVRIN.TAVRINCtrl.1");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(put(a, "NodeAddress", text("42")), TAVRIN_OK);
    EXPECT_EQ(a->vtbl->IsModified(a), TAVRIN_OK);
    uint8_t* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(a->vtbl->Save(a, &data, &size), TAVRIN_OK);
    EXPECT_EQ(a->vtbl->IsModified(a), TAVRIN_FALSE);
    ASSERT_EQ(b->vtbl->Load(b, data, size), TAVRIN_OK);
    EXPECT_EQ(b->vtbl->Load(b, data, 3), TAVRIN_E_LOAD);
    m_freeMemory(data);
    TavrinVariant node = get(b, "NodeAddress");
    EXPECT_STREQ(node.value.str, "42");
    m_variantClear(&node);
    a->vtbl->Release(a);
    b->vtbl->Release(b);
}

TEST_F(CInterfaceTest, EnumerationsAreFoundByName) {
    auto findConstant = m_lib.symbol<TavrinFindConstantFn>("TavrinFindConstant");
    auto enumMember = m_lib.symbol<TavrinGetEnumMemberFn>("TavrinGetEnumMember");
    ASSERT_TRUE(findConstant && enumMember);
    int32_t value = 0;
    EXPECT_EQ(findConstant("res_ax_comm_open", &value), TAVRIN_OK);
    EXPECT_EQ(value, 1280);
    EXPECT_EQ(findConstant("NO_SUCH_CONSTANT", &value), TAVRIN_E_NOTFOUND);
    const char* name = nullptr;
    EXPECT_EQ(enumMember("enumTavrinDataMode", 1, &name, &value), TAVRIN_OK);
    EXPECT_STREQ(name, "DATA_MODE_MB_ASCII");
    EXPECT_EQ(value, 1);
    EXPECT_EQ(enumMember("enumTavrinDataMode", 3, &name, &value), TAVRIN_E_NOTFOUND);
}

// Registration keeps other libraries' lines and removes only ours.
TEST_F(CInterfaceTest, RegistrationWritesAndRemovesOnlyOurLines) {
    auto reg = m_lib.symbol<TavrinDllRegisterFn>("DllRegisterServer");
    auto unreg = m_lib.symbol<TavrinDllRegisterFn>("DllUnregisterServer");
    ASSERT_TRUE(reg && unreg);
    char dirTemplate[] = "/tmp/tavrin-registry-XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::filesystem::path config = dirTemplate;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const auto registry = config / "tavrin" / "registry";
    std::filesystem::create_directories(registry.parent_path());
    std::ofstream(registry) << "# classes\nGrolle.PlinthBtn=/opt/libplinth.so\n"
                               "TAVRIN.TAVRINCtrl.1=/stale/libtavrin.so\n";
    const auto read = [&] {
        std::ifstream in(registry);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };

    EXPECT_EQ(reg(), TAVRIN_OK);
    const std::string lib = std::filesystem::canonical(TAVRIN_LIBRARY_PATH).string();
    EXPECT_EQ(read(), "# classes\nGrolle.PlinthBtn=/opt/libplinth.so\n"
                      "TAVRIN.TAVRINCtrl.1=" +
                          lib + "\nTAVRINLib.TAVRIN=" + lib + "\n");
    EXPECT_EQ(unreg(), TAVRIN_OK);
    EXPECT_EQ(read(), "# classes\nGrolle.PlinthBtn=/opt/libplinth.so\n");

    if (saved != nullptr) {
        ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    std::filesystem::remove_all(config);
}

} // namespace
