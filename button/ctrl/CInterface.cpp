#include "ctrl/CInterface.h"

#include "ctrl/LibraryPath.h"
#include "ctrl/PlinthControl.h"
#include "ctrl/Registration.h"
#include "model/Enumerations.h"
#include "plinth/PlinthBtn.h"

#include <QApplication>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace plinth::capi {

namespace {

using automation::Variant;
using automation::VarType;

// Live controls and objects plus factory locks: the library may be unloaded only at zero.
// It is the one process-wide count the unload entry point is about.
std::atomic<long> g_moduleUsage{0};

char* copyOut(std::string_view text) {
    auto* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out != nullptr) {
        std::memcpy(out, text.data(), text.size());
        out[text.size()] = '\0';
    }
    return out;
}

PlinthVariant toC(const Variant& in);
bool fromC(const PlinthVariant& in, Variant& out);

// An object of this library behind the C dispatch vtable. Reference counted like the
// platform's objects; the last Release frees it.
class DispatchObject {
public:
    static PlinthDispatch* wrap(std::shared_ptr<automation::Dispatch> object) {
        auto* wrapper = new DispatchObject(std::move(object));
        return &wrapper->m_handle.iface;
    }
    // The library's own object behind a handle, or nothing for a host's object.
    static std::shared_ptr<automation::Dispatch> unwrap(PlinthDispatch* handle) {
        if (handle == nullptr || handle->vtbl != &kVtbl) {
            return nullptr;
        }
        return reinterpret_cast<Handle*>(handle)->self->m_object;
    }

private:
    struct Handle {
        PlinthDispatch iface;
        DispatchObject* self;
    };
    static_assert(std::is_standard_layout_v<Handle>);

    explicit DispatchObject(std::shared_ptr<automation::Dispatch> object)
        : m_handle{{&kVtbl}, this}, m_object(std::move(object)), m_typeName(m_object->typeName()) {
        ++g_moduleUsage;
    }
    ~DispatchObject() { --g_moduleUsage; }

    static DispatchObject* from(PlinthDispatch* d) {
        return d == nullptr ? nullptr : reinterpret_cast<Handle*>(d)->self;
    }
    static std::uint32_t addRef(PlinthDispatch* self) {
        DispatchObject* o = from(self);
        return o == nullptr ? 0 : ++o->m_refs;
    }
    static std::uint32_t release(PlinthDispatch* self) {
        DispatchObject* o = from(self);
        if (o == nullptr) {
            return 0;
        }
        const std::uint32_t left = --o->m_refs;
        if (left == 0) {
            delete o;
        }
        return left;
    }
    static std::int32_t idOfName(PlinthDispatch* self, const char* name, std::int32_t* dispid);
    static std::int32_t invoke(PlinthDispatch* self, std::int32_t dispid, std::int32_t kind,
                               PlinthVariant* args, std::uint32_t argc, PlinthVariant* result,
                               char** errorMessage);
    static const char* typeName(PlinthDispatch* self) {
        DispatchObject* o = from(self);
        return o == nullptr ? "" : o->m_typeName.c_str();
    }

    static constexpr PlinthDispatchVtbl kVtbl{&addRef, &release, &idOfName, &invoke, &typeName};

    Handle m_handle;
    std::atomic<std::uint32_t> m_refs{1};
    std::shared_ptr<automation::Dispatch> m_object;
    std::string m_typeName;
};

// A host's object seen from inside: calls go through its vtable, and it is held for as long
// as the library keeps it.
class HostDispatch final : public automation::Dispatch {
public:
    explicit HostDispatch(PlinthDispatch* object) : m_object(object) {
        m_object->vtbl->AddRef(m_object);
    }
    ~HostDispatch() override { m_object->vtbl->Release(m_object); }
    HostDispatch(const HostDispatch&) = delete;
    HostDispatch& operator=(const HostDispatch&) = delete;

    automation::Status invoke(automation::DispId id, automation::InvokeKind kind,
                              std::span<Variant> args, Variant& result) override {
        std::vector<PlinthVariant> in;
        in.reserve(args.size());
        for (const Variant& a : args) {
            in.push_back(toC(a));
        }
        const std::int32_t k =
            kind == automation::InvokeKind::PropertyGet   ? PLINTH_INVOKE_PROPERTYGET
            : kind == automation::InvokeKind::PropertyPut ? PLINTH_INVOKE_PROPERTYPUT
                                                          : PLINTH_INVOKE_METHOD;
        PlinthVariant out{};
        char* message = nullptr;
        const std::int32_t rc = m_object->vtbl->Invoke(
            m_object, id, k, in.data(), static_cast<std::uint32_t>(in.size()), &out, &message);
        for (PlinthVariant& v : in) {
            variantClear(&v);
        }
        if (rc != PLINTH_OK) {
            automation::Error e{rc > 0 ? rc : automation::kErrInvalidCall,
                                message != nullptr ? message : ""};
            std::free(message); // the host's Invoke follows the same allocation rule
            return e;
        }
        const bool converted = fromC(out, result);
        variantClear(&out);
        return converted ? automation::Status()
                         : automation::platformError(automation::kErrTypeMismatch);
    }
    std::optional<automation::DispId> idOfName(std::string_view name) const override {
        const std::string n(name);
        std::int32_t id = 0;
        if (m_object->vtbl->GetIDOfName(m_object, n.c_str(), &id) != PLINTH_OK) {
            return std::nullopt;
        }
        return id;
    }
    std::string typeName() const override {
        const char* name = m_object->vtbl->GetTypeName(m_object);
        return name != nullptr ? name : "";
    }

private:
    PlinthDispatch* m_object;
};

bool fromC(const PlinthVariant& in, Variant& out) {
    switch (in.vt) {
    case PLINTH_VT_EMPTY:
        out = Variant();
        return true;
    case PLINTH_VT_I2:
        out = Variant::i2(in.value.i2);
        return true;
    case PLINTH_VT_I4:
        out = Variant::i4(in.value.i4);
        return true;
    case PLINTH_VT_R4:
        out = Variant::r4(in.value.r4);
        return true;
    case PLINTH_VT_R8:
        out = Variant::r8(in.value.r8);
        return true;
    case PLINTH_VT_BSTR:
        out = Variant::bstr(in.value.str == nullptr ? std::string()
                                                    : std::string(in.value.str, in.length));
        return true;
    case PLINTH_VT_ERROR:
        out = Variant::error(in.value.scode);
        return true;
    case PLINTH_VT_BOOL:
        out = Variant::boolean(in.value.boolean != 0);
        return true;
    case PLINTH_VT_DISPATCH: {
        if (in.value.dispatch == nullptr) {
            out = Variant::object(nullptr);
            return true;
        }
        auto own = DispatchObject::unwrap(in.value.dispatch);
        out = Variant::object(own ? std::move(own)
                                  : std::make_shared<HostDispatch>(in.value.dispatch));
        return true;
    }
    default:
        return false;
    }
}

// Strings are copied into library memory, objects referenced once: the receiver frees both
// with PlinthVariantClear.
PlinthVariant toC(const Variant& in) {
    PlinthVariant out{};
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
            static_cast<std::int16_t>(in.asBool() ? PLINTH_VARIANT_TRUE : PLINTH_VARIANT_FALSE);
        break;
    case VarType::Dispatch:
        out.value.dispatch = in.asObject() ? DispatchObject::wrap(in.asObject()) : nullptr;
        break;
    }
    return out;
}

std::int32_t toInvokeKind(std::int32_t kind, automation::InvokeKind& out) {
    switch (kind) {
    case PLINTH_INVOKE_METHOD:
        out = automation::InvokeKind::Method;
        return PLINTH_OK;
    case PLINTH_INVOKE_PROPERTYGET:
        out = automation::InvokeKind::PropertyGet;
        return PLINTH_OK;
    case PLINTH_INVOKE_PROPERTYPUT:
        out = automation::InvokeKind::PropertyPut;
        return PLINTH_OK;
    default:
        return PLINTH_E_INVALIDARG;
    }
}

// One call through a C vtable: arguments in, by-reference arguments and the result out.
std::int32_t invokeFromC(automation::Dispatch& target, std::int32_t dispid, std::int32_t kind,
                         PlinthVariant* args, std::uint32_t argc, PlinthVariant* result,
                         char** errorMessage) {
    if (argc > 0 && args == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    automation::InvokeKind invokeKind{};
    if (toInvokeKind(kind, invokeKind) != PLINTH_OK) {
        return PLINTH_E_INVALIDARG;
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
    const std::vector<Variant> before = in;
    Variant out;
    const automation::Status status = target.invoke(dispid, invokeKind, in, out);
    if (!status) {
        if (errorMessage != nullptr) {
            *errorMessage = copyOut(status.error().message);
        }
        return status.error().number;
    }
    // What the callee wrote into a by-reference argument goes back to the host.
    for (std::uint32_t k = 0; k < argc; ++k) {
        if (!(in[k] == before[k])) {
            args[k] = toC(in[k]);
        }
    }
    if (result != nullptr) {
        *result = toC(out);
    }
    return PLINTH_OK;
}

std::int32_t DispatchObject::idOfName(PlinthDispatch* self, const char* name,
                                      std::int32_t* dispid) {
    DispatchObject* o = from(self);
    if (o == nullptr || name == nullptr || dispid == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    const auto id = o->m_object->idOfName(name);
    if (!id) {
        return PLINTH_E_NOTFOUND;
    }
    *dispid = *id;
    return PLINTH_OK;
}

std::int32_t DispatchObject::invoke(PlinthDispatch* self, std::int32_t dispid, std::int32_t kind,
                                    PlinthVariant* args, std::uint32_t argc, PlinthVariant* result,
                                    char** errorMessage) {
    DispatchObject* o = from(self);
    if (o == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    const std::shared_ptr<automation::Dispatch> hold = o->m_object;
    return invokeFromC(*hold, dispid, kind, args, argc, result, errorMessage);
}

class SinkBridge final : public automation::EventSink {
public:
    void set(const PlinthEventSink* sink) { m_sink = sink != nullptr ? *sink : PlinthEventSink{}; }
    bool active() const { return m_sink.OnEvent != nullptr; }

    void onEvent(automation::DispId id, std::span<Variant> args) override {
        std::vector<PlinthVariant> converted;
        converted.reserve(args.size());
        for (const Variant& a : args) {
            converted.push_back(toC(a));
        }
        // Kept aside: a handler may overwrite the slots, and only what we made is freed.
        const std::vector<PlinthVariant> made = converted;
        const PlinthEventSink sink = m_sink; // the handler may replace or clear the sink
        if (sink.OnEvent != nullptr) {
            sink.OnEvent(sink.context, id, converted.data(),
                         static_cast<std::uint32_t>(converted.size()));
        }
        for (std::size_t k = 0; k < converted.size(); ++k) {
            const PlinthVariant& back = converted[k];
            const bool scalar = back.vt == PLINTH_VT_I2 || back.vt == PLINTH_VT_I4 ||
                                back.vt == PLINTH_VT_R4 || back.vt == PLINTH_VT_R8 ||
                                back.vt == PLINTH_VT_BOOL;
            Variant value;
            if (scalar && fromC(back, value)) {
                args[k] = value;
            }
            PlinthVariant own = made[k];
            variantClear(&own);
        }
    }

private:
    PlinthEventSink m_sink{};
};

class SiteBridge final : public automation::ContainerSite {
public:
    void set(const PlinthSite* site) { m_site = site != nullptr ? *site : PlinthSite{}; }

    bool userMode() const override {
        return m_site.UserMode == nullptr || m_site.UserMode(m_site.context) != 0;
    }
    std::string displayName() const override {
        const char* name =
            m_site.DisplayName != nullptr ? m_site.DisplayName(m_site.context) : nullptr;
        return name != nullptr ? name : "";
    }
    void onPropertyChanged(automation::DispId id) override {
        if (m_site.OnPropertyChanged != nullptr) {
            m_site.OnPropertyChanged(m_site.context, id);
        }
    }

private:
    PlinthSite m_site{};
};

// One button behind its C vtable; the last Release deletes it with its widget.
class ControlObject {
public:
    static ::PlinthControl* create(std::unique_ptr<plinth::PlinthControl> control) {
        auto* object = new ControlObject(std::move(control));
        return &object->m_handle.iface;
    }

private:
    // What the host holds: the vtable pointer first, then the way back to the object.
    struct Handle {
        ::PlinthControl iface;
        ControlObject* self;
    };
    static_assert(std::is_standard_layout_v<Handle>);

    explicit ControlObject(std::unique_ptr<plinth::PlinthControl> control)
        : m_handle{{&kVtbl}, this}, m_control(std::move(control)) {
        ++g_moduleUsage;
    }
    ~ControlObject() {
        m_control.reset(); // before the bridges it may still call
        --g_moduleUsage;
    }

    static ControlObject* from(::PlinthControl* control) {
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

    static std::uint32_t addRef(::PlinthControl* self) {
        ControlObject* object = from(self);
        return object == nullptr ? 0 : ++object->m_refs;
    }

    static std::uint32_t release(::PlinthControl* self) {
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

    static std::int32_t idOfName(::PlinthControl* self, const char* name, std::int32_t* dispid,
                                 bool event) {
        ControlObject* object = from(self);
        if (object == nullptr || name == nullptr || dispid == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        const auto id =
            event ? object->m_control->eventIdOfName(name) : object->m_control->idOfName(name);
        if (!id) {
            return PLINTH_E_NOTFOUND;
        }
        *dispid = *id;
        return PLINTH_OK;
    }
    static std::int32_t memberIdOfName(::PlinthControl* self, const char* name, std::int32_t* id) {
        return idOfName(self, name, id, false);
    }
    static std::int32_t eventIdOfName(::PlinthControl* self, const char* name, std::int32_t* id) {
        return idOfName(self, name, id, true);
    }

    static std::int32_t invoke(::PlinthControl* self, std::int32_t dispid, std::int32_t kind,
                               PlinthVariant* args, std::uint32_t argc, PlinthVariant* result,
                               char** errorMessage) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        const Hold hold(*object);
        return invokeFromC(*object->m_control, dispid, kind, args, argc, result, errorMessage);
    }

    static std::int32_t advise(::PlinthControl* self, const PlinthEventSink* sink) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        object->m_sink.set(sink);
        object->m_control->advise(object->m_sink.active() ? &object->m_sink : nullptr);
        return PLINTH_OK;
    }

    static std::int32_t setSite(::PlinthControl* self, const PlinthSite* site) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        object->m_site.set(site);
        object->m_control->setSite(site != nullptr ? &object->m_site : nullptr);
        return PLINTH_OK;
    }

    static std::int32_t save(::PlinthControl* self, std::uint8_t** data, std::size_t* size) {
        ControlObject* object = from(self);
        if (object == nullptr || data == nullptr || size == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        automation::PropertyWriter writer;
        object->m_control->save(writer);
        const auto& bytes = writer.bytes();
        *data = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
        if (*data == nullptr) {
            return PLINTH_E_NORESOURCES;
        }
        std::memcpy(*data, bytes.data(), bytes.size());
        *size = bytes.size();
        return PLINTH_OK;
    }

    static std::int32_t load(::PlinthControl* self, const std::uint8_t* data, std::size_t size) {
        ControlObject* object = from(self);
        if (object == nullptr || (data == nullptr && size > 0)) {
            return PLINTH_E_INVALIDARG;
        }
        automation::PropertyReader reader(std::span(data, size));
        const Hold hold(*object);
        const automation::Status status = object->m_control->load(reader);
        return status ? PLINTH_OK : status.error().number;
    }

    static std::int32_t isModified(::PlinthControl* self) {
        ControlObject* object = from(self);
        if (object == nullptr) {
            return PLINTH_E_INVALIDARG;
        }
        return object->m_control->isModified() ? PLINTH_OK : PLINTH_FALSE;
    }

    static void* widget(::PlinthControl* self) {
        ControlObject* object = from(self);
        return object == nullptr ? nullptr : static_cast<QWidget*>(object->m_control->widget());
    }

    static constexpr PlinthControlVtbl kVtbl{&addRef, &release,    &memberIdOfName, &eventIdOfName,
                                             &invoke, &advise,     &setSite,        &save,
                                             &load,   &isModified, &widget};

    Handle m_handle;
    std::atomic<std::uint32_t> m_refs{1};
    std::unique_ptr<plinth::PlinthControl> m_control;
    SinkBridge m_sink;
    SiteBridge m_site;
};

// The one factory: it has no state of its own, so its references are not counted; only
// LockServer keeps the library loaded.
std::uint32_t factoryAddRef(PlinthClassFactory*) {
    return 1;
}
std::uint32_t factoryRelease(PlinthClassFactory*) {
    return 1;
}
std::int32_t factoryCreateInstance(PlinthClassFactory* self, ::PlinthControl** control) {
    if (self == nullptr || control == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    *control = nullptr;
    // A widget needs the application object, and lives on its thread.
    const QCoreApplication* app = QCoreApplication::instance();
    if (qobject_cast<const QApplication*>(app) == nullptr ||
        QThread::currentThread() != app->thread()) {
        return PLINTH_E_NOAPPLICATION;
    }
    *control = ControlObject::create(std::make_unique<plinth::PlinthControl>());
    return PLINTH_OK;
}
std::int32_t factoryLockServer(PlinthClassFactory*, std::int32_t lock) {
    if (lock != 0) {
        ++g_moduleUsage;
    } else {
        --g_moduleUsage;
    }
    return PLINTH_OK;
}

constexpr PlinthClassFactoryVtbl kFactoryVtbl{&factoryAddRef, &factoryRelease,
                                              &factoryCreateInstance, &factoryLockServer};
PlinthClassFactory g_factory{&kFactoryVtbl};

} // namespace

std::int32_t getClassObject(const char* className, PlinthClassFactory** factory) {
    if (className == nullptr || factory == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    *factory = nullptr;
    for (std::string_view name : registeredClassNames()) {
        if (automation::detail::equalsIgnoringCase(name, className)) {
            *factory = &g_factory;
            return PLINTH_OK;
        }
    }
    return PLINTH_E_CLASSNOTAVAILABLE;
}

std::int32_t canUnloadNow() {
    return g_moduleUsage.load() == 0 ? PLINTH_OK : PLINTH_FALSE;
}

std::int32_t registerServer() {
    const auto library = thisLibraryPath();
    return library && registerLibrary(*library) ? PLINTH_OK : PLINTH_E_IO;
}

std::int32_t unregisterServer() {
    return unregisterLibrary() ? PLINTH_OK : PLINTH_E_IO;
}

std::int32_t findConstant(const char* name, std::int32_t* value) {
    if (name == nullptr || value == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    const auto found = plinth::findConstant(name);
    if (!found) {
        return PLINTH_E_NOTFOUND;
    }
    *value = *found;
    return PLINTH_OK;
}

std::int32_t enumMember(const char* enumName, std::uint32_t index, const char** memberName,
                        std::int32_t* value) {
    if (enumName == nullptr || memberName == nullptr || value == nullptr) {
        return PLINTH_E_INVALIDARG;
    }
    const EnumInfo* info = findEnum(enumName);
    if (info == nullptr || index >= info->members.size()) {
        return PLINTH_E_NOTFOUND;
    }
    // The table's names are literals, so they end in NUL and live as long as the library.
    *memberName = info->members[index].name.data();
    *value = info->members[index].value;
    return PLINTH_OK;
}

void variantClear(PlinthVariant* variant) {
    if (variant == nullptr) {
        return;
    }
    if (variant->vt == PLINTH_VT_BSTR) {
        std::free(variant->value.str);
    } else if (variant->vt == PLINTH_VT_DISPATCH && variant->value.dispatch != nullptr) {
        variant->value.dispatch->vtbl->Release(variant->value.dispatch);
    }
    *variant = PlinthVariant{};
}

void freeMemory(void* memory) {
    std::free(memory);
}

} // namespace plinth::capi
