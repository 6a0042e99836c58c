#include "model/VirtualKeys.h"

#include <array>

namespace plinth {

namespace {

// clang-format off
constexpr auto kKeys = std::to_array<VirtualKey>({
    {"none", 0},
    {"BackSpace", 0x08}, {"Tab", 0x09}, {"Clear", 0x0C}, {"Enter", 0x0D}, {"Shift", 0x10},
    {"Ctrl", 0x11}, {"Alt", 0x12}, {"Pause", 0x13}, {"CapsLock", 0x14}, {"Esc", 0x1B},
    {"Space", 0x20}, {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23}, {"Home", 0x24},
    {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28}, {"Select", 0x29},
    {"Print", 0x2A}, {"Execute", 0x2B}, {"PrintScreen", 0x2C}, {"Insert", 0x2D},
    {"Delete", 0x2E}, {"Help", 0x2F},
    {"0", 0x30}, {"1", 0x31}, {"2", 0x32}, {"3", 0x33}, {"4", 0x34}, {"5", 0x35}, {"6", 0x36},
    {"7", 0x37}, {"8", 0x38}, {"9", 0x39},
    {"A", 0x41}, {"B", 0x42}, {"C", 0x43}, {"D", 0x44}, {"E", 0x45}, {"F", 0x46}, {"G", 0x47},
    {"H", 0x48}, {"I", 0x49}, {"J", 0x4A}, {"K", 0x4B}, {"L", 0x4C}, {"M", 0x4D}, {"N", 0x4E},
    {"O", 0x4F}, {"P", 0x50}, {"Q", 0x51}, {"R", 0x52}, {"S", 0x53}, {"T", 0x54}, {"U", 0x55},
    {"V", 0x56}, {"W", 0x57}, {"X", 0x58}, {"Y", 0x59}, {"Z", 0x5A},
    {"LWin", 0x5B}, {"RWin", 0x5C}, {"Apps", 0x5D},
    {"NumPad0", 0x60}, {"NumPad1", 0x61}, {"NumPad2", 0x62}, {"NumPad3", 0x63},
    {"NumPad4", 0x64}, {"NumPad5", 0x65}, {"NumPad6", 0x66}, {"NumPad7", 0x67},
    {"NumPad8", 0x68}, {"NumPad9", 0x69}, {"Multiply", 0x6A}, {"Add", 0x6B},
    {"Separator", 0x6C}, {"Subtract", 0x6D}, {"Decimal", 0x6E}, {"Divide", 0x6F},
    {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
    {"F13", 0x7C}, {"F14", 0x7D}, {"F15", 0x7E}, {"F16", 0x7F}, {"F17", 0x80}, {"F18", 0x81},
    {"F19", 0x82}, {"F20", 0x83}, {"F21", 0x84}, {"F22", 0x85}, {"F23", 0x86}, {"F24", 0x87},
    {"NumLock", 0x90}, {"ScrollLock", 0x91},
    {";", 0xBA}, {"=", 0xBB}, {",", 0xBC}, {"-", 0xBD}, {".", 0xBE}, {"/", 0xBF}, {"`", 0xC0},
    {"[", 0xDB}, {"\\", 0xDC}, {"]", 0xDD}, {"'", 0xDE},
});
// clang-format on

struct QtKey {
    int key;
    std::int16_t code;
    bool extended;
};

// Qt::Key values (qnamespace.h) of the keys that are not letters, digits or F-keys.
constexpr auto kQtKeys = std::to_array<QtKey>({
    {0x01000003, 0x08, false}, // Backspace
    {0x01000001, 0x09, false}, // Tab
    {0x01000002, 0x09, false}, // Backtab (Shift+Tab)
    {0x0100000b, 0x0C, false}, // Clear
    {0x01000004, 0x0D, false}, // Return
    {0x01000005, 0x0D, true},  // Enter (keypad)
    {0x01000020, 0x10, false}, // Shift
    {0x01000021, 0x11, false}, // Control
    {0x01000023, 0x12, false}, // Alt
    {0x01000008, 0x13, false}, // Pause
    {0x01000024, 0x14, false}, // CapsLock
    {0x01000000, 0x1B, false}, // Escape
    {0x20, 0x20, false},       // Space
    {0x01000016, 0x21, true},  // PageUp
    {0x01000017, 0x22, true},  // PageDown
    {0x01000011, 0x23, true},  // End
    {0x01000010, 0x24, true},  // Home
    {0x01000012, 0x25, true},  // Left
    {0x01000013, 0x26, true},  // Up
    {0x01000014, 0x27, true},  // Right
    {0x01000015, 0x28, true},  // Down
    {0x01010000, 0x29, false}, // Select
    {0x01000009, 0x2C, true},  // Print (the print-screen key)
    {0x01000006, 0x2D, true},  // Insert
    {0x01000007, 0x2E, true},  // Delete
    {0x01000058, 0x2F, false}, // Help
    {0x01000022, 0x5B, true},  // Meta (the logo key)
    {0x01000055, 0x5D, true},  // Menu (the application key)
    {0x01000025, 0x90, true},  // NumLock
    {0x01000026, 0x91, false}, // ScrollLock
    {0x3b, 0xBA, false},       // ;
    {0x3a, 0xBA, false},       // :
    {0x3d, 0xBB, false},       // =
    {0x2b, 0xBB, false},       // +
    {0x2c, 0xBC, false},       // ,
    {0x3c, 0xBC, false},       // <
    {0x2d, 0xBD, false},       // -
    {0x5f, 0xBD, false},       // _
    {0x2e, 0xBE, false},       // .
    {0x3e, 0xBE, false},       // >
    {0x2f, 0xBF, false},       // /
    {0x3f, 0xBF, false},       // ?
    {0x60, 0xC0, false},       // `
    {0x7e, 0xC0, false},       // ~
    {0x5b, 0xDB, false},       // [
    {0x7b, 0xDB, false},       // {
    {0x5c, 0xDC, false},       // backslash
    {0x7c, 0xDC, false},       // |
    {0x5d, 0xDD, false},       // ]
    {0x7d, 0xDD, false},       // }
    {0x27, 0xDE, false},       // '
    {0x22, 0xDE, false},       // "
    // Shifted digits of a US layout: the digit's key.
    {0x21, 0x31, false}, // !
    {0x40, 0x32, false}, // @
    {0x23, 0x33, false}, // #
    {0x24, 0x34, false}, // $
    {0x25, 0x35, false}, // %
    {0x5e, 0x36, false}, // ^
    {0x26, 0x37, false}, // &
    {0x2a, 0x38, false}, // *
    {0x28, 0x39, false}, // (
    {0x29, 0x30, false}, // )
});

// The keypad's own keys when Num Lock is on; with it off, Qt reports the cursor keys.
constexpr auto kKeypadKeys = std::to_array<QtKey>({
    {0x2a, 0x6A, false}, // *
    {0x2b, 0x6B, false}, // +
    {0x2d, 0x6D, false}, // -
    {0x2e, 0x6E, false}, // .
    {0x2c, 0x6E, false}, // , (decimal key of some layouts)
    {0x2f, 0x6F, true},  // /
});

constexpr int kQtKeyF1 = 0x01000030;
constexpr int kQtKeyF24 = 0x01000047;

} // namespace

std::span<const VirtualKey> virtualKeyList() {
    return kKeys;
}

QString virtualKeyName(std::int16_t code) {
    for (const VirtualKey& k : kKeys) {
        if (k.code == code) {
            return QString::fromLatin1(k.name);
        }
    }
    return QStringLiteral("0x") +
           QString::number(code & 0xFF, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

std::optional<std::int16_t> virtualKeyCode(const QString& name) {
    for (const VirtualKey& k : kKeys) {
        if (name.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0) {
            return k.code;
        }
    }
    if (name.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && name.size() <= 4) {
        bool ok = false;
        const int code = name.mid(2).toInt(&ok, 16);
        if (ok && code >= 0 && code <= 0xFF) {
            return static_cast<std::int16_t>(code);
        }
    }
    return std::nullopt;
}

KeyStroke virtualKeyOf(int key, bool keypad) {
    if (key >= '0' && key <= '9') {
        return {static_cast<std::int16_t>(keypad ? 0x60 + (key - '0') : key), false};
    }
    if (key >= 'A' && key <= 'Z') {
        return {static_cast<std::int16_t>(key), false};
    }
    if (key >= kQtKeyF1 && key <= kQtKeyF24) {
        return {static_cast<std::int16_t>(0x70 + (key - kQtKeyF1)), false};
    }
    if (keypad) {
        for (const QtKey& k : kKeypadKeys) {
            if (k.key == key) {
                return {k.code, k.extended};
            }
        }
    }
    for (const QtKey& k : kQtKeys) {
        if (k.key == key) {
            // The keypad's cursor keys (Num Lock off) are the non-extended twins of the
            // cursor block.
            return {k.code, k.extended && !(keypad && k.code >= 0x21 && k.code <= 0x2E)};
        }
    }
    return {};
}

} // namespace plinth
