// The entry rules shared by the input fields of the screens: which typed keys get through,
// Enter moving on as Tab does, arrows moving between rows, the whole text selected on entry,
// and the checks that run when the operator leaves a field.
#pragma once

#include <QHash>
#include <QObject>
#include <functional>

class QWidget;

namespace torvik::screens {

enum class EntryKeys {
    Any,            // every key; Enter moves on
    Digits,         // digits and backspace; Enter moves on; other characters are discarded
    DigitsAndPoint, // the same, and the decimal point
    None,           // no typed character (lists); Enter moves on; arrows still choose
};

struct FieldRules {
    EntryKeys keys = EntryKeys::Any;
    bool selectAllOnEntry = true;
    std::function<void()> entered = {};
    // Runs when the operator leaves the field; false when the entry was refused (the handler has
    // reported it and put the focus back).
    std::function<bool()> left = {};
    // Up (-1) or Down (+1); when set, those keys go here instead of to the field.
    std::function<void(int step)> arrow = {};
};

// One per screen. Leaving checks do not run when the window merely loses activation (a message
// box, a menu, another window), nor while the focus is being put back after a refusal: two
// invalid fields would otherwise hand the focus to each other forever.
class FieldWatcher : public QObject {
    Q_OBJECT
public:
    explicit FieldWatcher(QObject* parent);

    void watch(QWidget& field, FieldRules rules);

    // Puts the focus back into a field whose entry was refused, its text selected.
    void putFocusBack(QWidget& field);

    // Runs the leaving check of the field that holds the screen's focus, as if the operator had
    // left it: buttons and menus do not take the focus, so the screen asks before it acts.
    // True when there is no such field or its entry passes.
    bool commitFocused(const QWidget& screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool runLeft(QWidget& field);

    QHash<QObject*, FieldRules> m_rules;
    bool m_puttingBack = false;
};

} // namespace torvik::screens
