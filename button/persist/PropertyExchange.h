// The button's persisted form: a version word (major in the high half), the container's
// stock properties, then every property in the order the data model gives, little-endian.
// Version 4 is written; versions 2 and 3 load with fixed values for what they lack.
#pragma once

#include "automation/Error.h"
#include "automation/PropertyStream.h"
#include "model/ButtonProperties.h"

#include <QString>
#include <cstdint>

namespace plinth {

inline constexpr std::uint32_t kFormatVersion = 0x40000;

// The stock font as forms store it: the size in 1/10000 point.
struct FontDescription {
    QString name;
    std::int32_t size = 90000;
    std::int16_t weight = 400;
    std::int16_t charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

struct PersistedButton {
    bool Enabled = true;
    FontDescription Font;
    ButtonProperties props;

    friend bool operator==(const PersistedButton&, const PersistedButton&) = default;
};

void saveButton(const PersistedButton& button, automation::PropertyWriter& out);

// All or nothing: on error `button` is untouched. 321 for a short or damaged stream or a
// version this library does not know, 481 for a picture that cannot be decoded.
automation::Status loadButton(automation::PropertyReader& in, PersistedButton& button);

} // namespace plinth
