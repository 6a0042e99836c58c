// Keyboard and focus rules of the main screen's input fields: which characters a field takes,
// Enter moving on to the next field, arrows moving between rows, select-all on entry and a
// hook when the field is left.
#pragma once

#include <functional>

class QWidget;

namespace torvik::screens::comm {

enum class Accept {
    Any,
    Digits,         // digits and Backspace
    DigitsAndPoint, // digits, "." and Backspace
};

struct FieldRules {
    Accept accept = Accept::Any;
    bool selectAllOnFocus = false;
    std::function<void()> onFocusOut;
    // Up (-1) or Down (+1); when set, the arrow key is consumed.
    std::function<void(int step)> onArrow;
};

// Enter always moves the focus on, as a Tab keystroke would. Other keys without text (arrows,
// Delete, shortcuts other than paste) pass untouched.
void installFieldRules(QWidget* field, FieldRules rules);

} // namespace torvik::screens::comm
