// libFuzzer target: arbitrary bytes as a stored form. A form is refused or loads into values
// that are all in range, and a loaded form saves and loads again to the same state.
#include "persist/PropertyExchange.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plinth::automation::PropertyReader reader(std::span(data, size));
    plinth::PersistedButton loaded;
    const plinth::PersistedButton untouched;
    if (!plinth::loadButton(reader, loaded)) {
        check(loaded == untouched); // refused: nothing half-read
        return 0;
    }
    check(plinth::hasValidValues(loaded.props));
    plinth::automation::PropertyWriter writer;
    plinth::saveButton(loaded, writer);
    plinth::automation::PropertyReader again(writer.bytes());
    plinth::PersistedButton reloaded;
    check(plinth::loadButton(again, reloaded).isOk());
    check(reloaded == loaded);
    return 0;
}
