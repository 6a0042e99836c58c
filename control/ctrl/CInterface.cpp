#include "ctrl/CInterface.h"

#include "ctrl/CTAVRINCtrl.h"
#include "ctrl/LibraryPath.h"
#include "ctrl/Registration.h"
#include "ctrl/ResultText.h"
#include "ctrl/TypeLibrary.h"
#include "engine/NotifyQueue.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace tavrin::capi {

namespace {

using automation::Variant;
using automation::VarType;

// Live controls plus factory locks: the library may be unloaded only at zero. It is the
// one process-wide count the unload entry point is about.
std::atomic<long> g_moduleUsage{0};

bool sameName(std::string_view a, std::string_view b) {
    return automation::detail::equalsIgnoringCase(a, b);
}

char* copyOut(std::string_view text) {
    auto* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr) {
        std::memcpy(out, text.data(), text.size());
        out[text.size()] = '\0';
    }
    return out;
}

bool fromC(const TavrinVariant& in, Variant& out) {
    switch (in.vt) {
    case TAVRIN_VT_EMPTY:
        out = Variant();
        return true;
    case TAVRIN_VT_I2:
        out = Variant::i2(in.value.i2);
        return true;
    case TAVRIN_VT_I4:
        out = Variant::i4(in.value.i4);
        return true;
    case TAVRIN_VT_R4:
        out = Variant::r4(in.value.r4);
        return true;
    case TAVRIN_VT_R8:
        out = Variant::r8(in.value.r8);
        return true;
    case TAVRIN_VT_BSTR:
        out = Variant::bstr(in.value.str == nullptr ? std::string()
                                                    : std::string(in.value.str, in.length));
        return true;
    case TAVRIN_VT_ERROR:
        out = Variant::error(in.value.scode);
        return true;
    case TAVRIN_VT_BOOL:
        out = Variant::boolean(in.value.boolean != 0);
        return true;
    default:
        return false;
    }
}

// Strings are copied into library memory the receiver frees with TavrinVariantClear.
TavrinVariant toC(const Variant& in) {
    TavrinVariant out{};
    out.vt = static_cast<std::uint16_t>(in.type());
    switch (in.type()) {
    case VarType::Empty:
        break;
    case VarType::I2:
        out.value.i2 = in.asI2();
        break;
    case VarType::I4:
        out.value.i4 = in.asI4();
        break;
    case VarType::R4:
        out.value.r4 = in.asR4();
        break;
    case VarType::R8:
        out.value.r8 = in.asR8();
        break;
    case VarType::Bstr:
        out.value.str = copyOut(in.asBstr());
        out.length = out.value.str != nullptr ? static_cast<std::uint32_t>(in.asBstr().size()) : 0;
        break;
    case VarType::Error:
        out.value.scode = in.asError();
        break;
    case VarType::Bool:
        out.value.boolean =
            static_cast<std::int16_t>(in.asBool() ? TAVRIN_VARIANT_TRUE : TAVRIN_VARIANT_FALSE);
        break;
    }
    return out;
}

class SinkBridge final : public automation::EventSink {
public:
    void set(const TavrinEventSink* sink) { m_sink = sink != nullptr ? *sink : TavrinEventSink{}; }
    bool active() const { return m_sink.OnEvent != nullptr; }

    void onEvent(automation::DispId id, std::span<const Variant> args) override {
        std::vector<TavrinVariant> converted;
        converted.reserve(args.size());
        for (const Variant& a : args) {
            converted.push_back(toC(a));
        }
        // Copied first: the handler may replace or clear the sink.
        const TavrinEventSink sink = m_sink;
        if (sink.OnEvent != nullptr) {
            sink.OnEvent(sink.context, id, converted.data(),
                         static_cast<std::uint32_t>(converted.size()));
        }
        for (TavrinVariant& v : converted) {
            variantClear(&v);
        }
    }

private:
    TavrinEventSink m_sink{};
};

class SiteBridge final : public automation::ContainerSite {
public:
    void set(const TavrinSite* site) { m_site = site != nullptr ? *site : TavrinSite{}; }

    bool userMode() const override {
        return m_site.UserMode == nullptr || m_site.UserMode(m_site.context) != 0;
    }
    void onPropertyChanged(automation::DispId id) override {
        if (m_site.OnPropertyChanged != nullptr) {
            m_site.OnPropertyChanged(m_site.context, id);
        }
    }

private:
    TavrinSite m_site{};
};

// One control behind its C vtable. Reference counted like the platform's objects; the
// last Release deletes it.
class ControlObject {
public:
    static TavrinControl* create(std::unique_ptr<automation::Control> control) {
        auto* object = new ControlObject(std::move(control));
        return &object->m_handle.iface;
    }

private:
    // What the host holds: the vtable pointer first, then the way back to the object.
    struct Handle {
        TavrinControl iface;
        ControlObject* self;
    };
    static_assert(std::is_standard_layout_v<Handle>);

    explicit ControlObject(std::unique_ptr<automation::Control> control)
        : m_handle{{&kVtbl}, this}, m_control(std::move(control)) {
        ++g_moduleUsage;
    }
    ~ControlObject() {
        m_control.reset(); // before the bridges it may still call
        --g_moduleUsage;
    }

    static ControlObject* from(TavrinControl* control) {
        return control == nullptr ? nullptr : reinterpret_cast<Handle*>(control)->self;
    }

    // Held across every call: a handler that releases the control from inside an event
    // must not delete it under the call.
    class Hold {
    public:
        explicit Hold(ControlObject& object) : m_object(object) { ++object.m_refs; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { release(&m_object.m_handle.iface); }

    private:
        ControlObject& m_object;
    };

    static std::uint32_t addRef(TavrinControl* self) {
        ControlObject* object = from(self);
        return object == nullptr ? 0 : ++object->m_refs;
    }

    static std::uint32_t release(TavrinControl* self) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return 0;
        }
        const std::uint32_t left = --object->m_refs;
        if (left == 0) {
            delete object;
        }
        return left;
    }

    static std::int32_t idOfName(TavrinControl* self, const char* name, std::int32_t* dispid,
                                 bool event) {
        ControlObject* object = from(self);
        if (object == nullptr || name == nullptr || dispid == nullptr) {
            return TAVRIN_E_INVALIDARG;
        }
        const auto id =
            event ? object->m_control->eventIdOfName(name) : object->m_control->idOfName(name);
        if (!id) {
            return TAVRIN_E_NOTFOUND;
        }
        *dispid = *id;
        return TAVRIN_OK;
    }
    static std::int32_t memberIdOfName(TavrinControl* self, const char* name, std::int32_t* id) {
        return idOfName(self, name, id, false);
    }
    static std::int32_t eventIdOfName(TavrinControl* self, const char* name, std::int32_t* id) {
        return idOfName(self, name, id, true);
    }

    static std::int32_t invoke(TavrinControl* self, std::int32_t dispid, std::int32_t kind,
                               const TavrinVariant* args, std::uint32_t argc, TavrinVariant* result,
                               char** errorMessage) {
        ControlObject* object = from(self);
        if (object == nullptr || (argc > 0 && args == nullptr)) {
            return TAVRIN_E_INVALIDARG;
        }
        automation::InvokeKind invokeKind{};
        switch (kind) {
        case TAVRIN_INVOKE_METHOD:
            invokeKind = automation::InvokeKind::Method;
            break;
        case TAVRIN_INVOKE_PROPERTYGET:
            invokeKind = automation::InvokeKind::PropertyGet;
            break;
        case TAVRIN_INVOKE_PROPERTYPUT:
            invokeKind = automation::InvokeKind::PropertyPut;
            break;
        default:
            return TAVRIN_E_INVALIDARG;
        }
        std::vector<Variant> in(argc);
        for (std::uint32_t k = 0; k < argc; ++k) {
            if (!fromC(args[k], in[k])) {
                const auto e = automation::platformError(automation::kErrTypeMismatch);
                if (errorMessage != nullptr) {
                    *errorMessage = copyOut(e.message);
                }
                return e.number;
            }
        }
        const Hold hold(*object);
        Variant out;
        const automation::Status status = object->m_control->invoke(dispid, invokeKind, in, out);
        if (!status) {
            if (errorMessage != nullptr) {
                *errorMessage = copyOut(status.error().message);
            }
            return status.error().number;
        }
        if (result != nullptr) {
            *result = toC(out);
        }
        return TAVRIN_OK;
    }

    static std::int32_t advise(TavrinControl* self, const TavrinEventSink* sink) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return TAVRIN_E_INVALIDARG;
        }
        object->m_sink.set(sink);
        object->m_control->advise(object->m_sink.active() ? &object->m_sink : nullptr);
        return TAVRIN_OK;
    }

    static std::int32_t setSite(TavrinControl* self, const TavrinSite* site) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return TAVRIN_E_INVALIDARG;
        }
        object->m_site.set(site);
        object->m_control->setSite(site != nullptr ? &object->m_site : nullptr);
        return TAVRIN_OK;
    }

    static std::int32_t save(TavrinControl* self, std::uint8_t** data, std::size_t* size) {
        ControlObject* object = from(self);
        if (object == nullptr || data == nullptr || size == nullptr) {
            return TAVRIN_E_INVALIDARG;
        }
        automation::PropertyWriter writer;
        object->m_control->save(writer);
        const auto& bytes = writer.bytes();
        *data = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
        if (*data == nullptr) {
            return TAVRIN_E_NORESOURCES;
        }
        std::memcpy(*data, bytes.data(), bytes.size());
        *size = bytes.size();
        return TAVRIN_OK;
    }

    static std::int32_t load(TavrinControl* self, const std::uint8_t* data, std::size_t size) {
        ControlObject* object = from(self);
        if (object == nullptr || (data == nullptr && size > 0)) {
            return TAVRIN_E_INVALIDARG;
        }
        automation::PropertyReader reader(std::span(data, size));
        return object->m_control->load(reader) ? TAVRIN_OK : TAVRIN_E_LOAD;
    }

    static std::int32_t isModified(TavrinControl* self) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return TAVRIN_E_INVALIDARG;
        }
        return object->m_control->isModified() ? TAVRIN_OK : TAVRIN_FALSE;
    }

    static constexpr TavrinControlVtbl kVtbl{&addRef, &release,   &memberIdOfName, &eventIdOfName,
                                             &invoke, &advise,    &setSite,        &save,
                                             &load,   &isModified};

    Handle m_handle;
    std::atomic<std::uint32_t> m_refs{1};
    std::unique_ptr<automation::Control> m_control;
    SinkBridge m_sink;
    SiteBridge m_site;
};

class ControlFactory final : public automation::ClassFactory {
public:
    std::unique_ptr<automation::Control> createInstance() const override {
        return CTAVRINCtrl::create();
    }
};

// The one factory: it has no state of its own, so its references are not counted; only
// LockServer keeps the library loaded.
std::uint32_t factoryAddRef(TavrinClassFactory*) {
    return 1;
}
std::uint32_t factoryRelease(TavrinClassFactory*) {
    return 1;
}
std::int32_t factoryCreateInstance(TavrinClassFactory* self, TavrinControl** control) {
    if (self == nullptr || control == nullptr) {
        return TAVRIN_E_INVALIDARG;
    }
    *control = nullptr;
    auto instance = ControlFactory().createInstance();
    if (!instance) {
        return TAVRIN_E_NORESOURCES;
    }
    *control = ControlObject::create(std::move(instance));
    return TAVRIN_OK;
}
std::int32_t factoryLockServer(TavrinClassFactory*, std::int32_t lock) {
    if (lock != 0) {
        ++g_moduleUsage;
    } else {
        --g_moduleUsage;
    }
    return TAVRIN_OK;
}

constexpr TavrinClassFactoryVtbl kFactoryVtbl{&factoryAddRef, &factoryRelease,
                                              &factoryCreateInstance, &factoryLockServer};
TavrinClassFactory g_factory{&kFactoryVtbl};

} // namespace

std::int32_t getClassObject(const char* className, TavrinClassFactory** factory) {
    if (className == nullptr || factory == nullptr) {
        return TAVRIN_E_INVALIDARG;
    }
    *factory = nullptr;
    for (std::string_view name : registeredClassNames()) {
        if (sameName(name, className)) {
            *factory = &g_factory;
            return TAVRIN_OK;
        }
    }
    return TAVRIN_E_CLASSNOTAVAILABLE;
}

std::int32_t canUnloadNow() {
    return g_moduleUsage.load() == 0 ? TAVRIN_OK : TAVRIN_FALSE;
}

std::int32_t registerServer() {
    const auto library = thisLibraryPath();
    return library && registerLibrary(*library) ? TAVRIN_OK : TAVRIN_E_IO;
}

std::int32_t unregisterServer() {
    return unregisterLibrary() ? TAVRIN_OK : TAVRIN_E_IO;
}

int notifyFd() {
    const auto queue = NotifyQueue::forCurrentThread();
    return queue ? queue->fd() : -1;
}

std::int32_t pumpNotifications() {
    const auto queue = NotifyQueue::forCurrentThread();
    return queue ? static_cast<std::int32_t>(queue->pump()) : 0;
}

std::int32_t findConstant(const char* name, std::int32_t* value) {
    if (name == nullptr || value == nullptr) {
        return TAVRIN_E_INVALIDARG;
    }
    const auto found = tavrin::findConstant(name);
    if (!found) {
        return TAVRIN_E_NOTFOUND;
    }
    *value = *found;
    return TAVRIN_OK;
}

std::int32_t enumMember(const char* enumName, std::uint32_t index, const char** memberName,
                        std::int32_t* value) {
    if (enumName == nullptr || memberName == nullptr || value == nullptr) {
        return TAVRIN_E_INVALIDARG;
    }
    const EnumInfo* info = findEnum(enumName);
    if (info == nullptr || index >= info->members.size()) {
        return TAVRIN_E_NOTFOUND;
    }
    // The table's names are literals, so they end in NUL and live as long as the library.
    *memberName = info->members[index].name.data();
    *value = info->members[index].value;
    return TAVRIN_OK;
}

void variantClear(TavrinVariant* variant) {
    if (variant == nullptr) {
        return;
    }
    if (variant->vt == TAVRIN_VT_BSTR) {
        std::free(variant->value.str);
    }
    *variant = TavrinVariant{};
}

void freeMemory(void* memory) {
    std::free(memory);
}

// The engine's flags are the published ones.
static_assert(frameflag::kBroadcast == TAVRIN_FRAME_BROADCAST &&
              frameflag::kTimeout == TAVRIN_FRAME_TIMEOUT &&
              frameflag::kAscii == TAVRIN_FRAME_ASCII &&
              frameflag::kTruncated == TAVRIN_FRAME_TRUNCATED);

std::int32_t setFrameTap(const TavrinFrameTap* tap) {
    const auto queue = NotifyQueue::forCurrentThread();
    if (!queue) {
        return TAVRIN_E_NORESOURCES;
    }
    if (tap == nullptr || tap->OnFrame == nullptr) {
        queue->setFrameListener({});
        return TAVRIN_OK;
    }
    queue->setFrameListener([tap = *tap](const FrameRecord& f, std::uint64_t sequence) {
        const std::string text = ResultString(f.result);
        TavrinFrame out{};
        out.timeUs = f.timeUs;
        out.sequence = sequence;
        out.bytes = f.bytes.data();
        out.port = f.port.c_str();
        out.resultText = text.c_str();
        out.length = static_cast<std::uint32_t>(f.bytes.size());
        out.result = f.result;
        out.direction = static_cast<std::uint16_t>(
            f.direction == FrameDirection::Sent ? TAVRIN_FRAME_SENT : TAVRIN_FRAME_RECEIVED);
        out.flags = f.flags;
        out.node = f.node;
        out.function = f.function;
        tap.OnFrame(tap.context, &out);
    });
    return TAVRIN_OK;
}

std::uint64_t framesDropped() {
    const auto queue = NotifyQueue::forCurrentThread();
    return queue ? queue->framesDropped() : 0;
}

} // namespace tavrin::capi
