// A control as its container sees it: late-bound calls, events, the container link,
// persistence, and the class factory that makes instances of it.
#pragma once

#include "automation/Dispatch.h"
#include "automation/Error.h"
#include "automation/PropertyStream.h"

#include <memory>
#include <optional>
#include <string_view>

namespace plinth::automation {

class Control : public Dispatch {
public:
    // Both links are borrowed; pass nullptr to cut them before the sink or site goes away.
    virtual void advise(EventSink* sink) = 0;
    virtual void setSite(ContainerSite* site) = 0;

    virtual std::optional<DispId> eventIdOfName(std::string_view name) const = 0;

    // Writes the properties and clears the modified flag.
    virtual void save(PropertyWriter& out) = 0;
    // All or nothing: a stream that cannot be read leaves the control as it was.
    virtual Status load(PropertyReader& in) = 0;
    // True after an accepted property write since the last save or load.
    virtual bool isModified() const = 0;
};

class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    // nullptr when the instance cannot be made.
    virtual std::unique_ptr<Control> createInstance() const = 0;
};

} // namespace plinth::automation
