// Late binding: a host calls members by number (DISPID) with variant arguments and learns
// names' numbers at run time. Arguments are passed in declaration order (not reversed as on
// the wire of the original platform); for a property put the new value comes last, after
// any index. Arguments declared by reference are written back into the caller's array.
#pragma once

#include "automation/Error.h"
#include "automation/Variant.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plinth::automation {

using DispId = std::int32_t;

// Member numbers the platform reserves.
inline constexpr DispId kDispIdValue = 0;
inline constexpr DispId kDispIdBackColor = -501;
inline constexpr DispId kDispIdFont = -512;
inline constexpr DispId kDispIdForeColor = -513;
inline constexpr DispId kDispIdEnabled = -514;
inline constexpr DispId kDispIdHwnd = -515;
inline constexpr DispId kDispIdAboutBox = -552;

enum class InvokeKind : std::uint8_t { Method, PropertyGet, PropertyPut };

class Dispatch {
public:
    virtual ~Dispatch() = default;

    // On success `result` holds the return value (Empty for none).
    virtual Status invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) = 0;
    // Names are matched without regard to ASCII case, as late-bound hosts resolve them.
    virtual std::optional<DispId> idOfName(std::string_view name) const = 0;
    // The class name a host shows for the object ("Grolle.PlinthBtn", "StdFont").
    virtual std::string typeName() const = 0;
};

// Where a control sends its events; called on the thread that created the control. The
// handler may overwrite the arguments an event declares by reference.
class EventSink {
public:
    virtual void onEvent(DispId id, std::span<Variant> args) = 0;

protected:
    ~EventSink() = default;
};

// What a control learns from and tells its container.
class ContainerSite {
public:
    // False while the container is being designed (run-time-only members refuse reads).
    virtual bool userMode() const = 0;
    // The name the container gives the control ("PlinthBtn1"); empty when it has none.
    virtual std::string displayName() const = 0;
    // A property was changed by a write; the control's modified flag is already set.
    virtual void onPropertyChanged(DispId id) = 0;

protected:
    ~ContainerSite() = default;
};

// The argument count a member takes, or the error for another count.
inline Status expectArguments(std::span<const Variant> args, std::size_t count) {
    if (args.size() != count) {
        return platformError(kErrWrongArgumentCount);
    }
    return {};
}

struct MemberName {
    std::string_view name;
    DispId id;
};

inline std::optional<DispId> findMember(std::span<const MemberName> members,
                                        std::string_view name) {
    for (const MemberName& m : members) {
        if (detail::equalsIgnoringCase(m.name, name)) {
            return m.id;
        }
    }
    return std::nullopt;
}

} // namespace plinth::automation
