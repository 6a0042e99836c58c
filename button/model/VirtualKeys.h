// Keys by the platform's virtual-key numbers, which forms store (VKeyNo, KeyCode): the
// names a form shows for them, and the number of a key Qt reports.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace plinth {

struct VirtualKey {
    const char* name;
    std::int16_t code;
};

// The keys a button can be given, "none" (0) first; VKeyList reads it by index.
std::span<const VirtualKey> virtualKeyList();

// The name of a key number: its list name, or "0xNN" for a number the list lacks.
QString virtualKeyName(std::int16_t code);
// The number of a list name (any case) or of a "0xNN" text; nothing for other texts.
std::optional<std::int16_t> virtualKeyCode(const QString& name);

// The modifier bits events carry: 1 Shift, 2 Ctrl, 4 Alt.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

struct KeyStroke {
    std::int16_t code = 0; // 0 when the key has no virtual-key number
    bool extended = false; // the key's extended flag: the cursor block, keypad Enter and /
};

// `key` is a Qt::Key, `keypad` whether Qt marked it as a keypad key. Letters and digits are
// the same key whatever the shift state; shifted punctuation is read as on a US layout.
KeyStroke virtualKeyOf(int key, bool keypad);

} // namespace plinth
