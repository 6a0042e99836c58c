#include "screens/FieldWatcher.h"

#include "screens/Quietly.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QWidget>

namespace torvik::screens {
namespace {

QLineEdit* editOf(QObject* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(field))
        return combo->lineEdit();
    return nullptr;
}

bool isEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// True when the key is to be thrown away under the field's rule. Keys that type no printable
// character (arrows, Delete, Tab, Backspace, shortcuts) always pass.
bool discarded(EntryKeys keys, const QKeyEvent& key) {
    const QString text = key.text();
    if (keys == EntryKeys::Any || text.isEmpty() || !text[0].isPrint())
        return false;
    if (keys == EntryKeys::None || text.size() != 1)
        return true;
    const QChar c = text[0];
    return !((c >= u'0' && c <= u'9') || (keys == EntryKeys::DigitsAndPoint && c == u'.'));
}

} // namespace

FieldWatcher::FieldWatcher(QObject* parent) : QObject(parent) {}

void FieldWatcher::watch(QWidget& field, FieldRules rules) {
    if (rules.keys == EntryKeys::Digits || rules.keys == EntryKeys::DigitsAndPoint) {
        // Pasted text does not come as key presses; the validator keeps it to the same keys.
        if (QLineEdit* edit = editOf(&field)) {
            static const QRegularExpression digits(QStringLiteral("[0-9]*"));
            static const QRegularExpression number(QStringLiteral("[0-9.]*"));
            edit->setValidator(new QRegularExpressionValidator(
                rules.keys == EntryKeys::Digits ? digits : number, edit));
        }
    }
    m_rules.insert(&field, std::move(rules));
    field.installEventFilter(this);
}

void FieldWatcher::putFocusBack(QWidget& field) {
    m_puttingBack = true;
    field.setFocus(Qt::OtherFocusReason);
    m_puttingBack = false;
    // The refused text is selected, ready to be typed over.
    const auto it = m_rules.constFind(&field);
    if (it != m_rules.cend() && it->selectAllOnEntry)
        if (QLineEdit* edit = editOf(&field))
            edit->selectAll();
}

bool FieldWatcher::commitFocused(const QWidget& screen) {
    QWidget* focused = screen.focusWidget();
    while (focused && !m_rules.contains(focused) && focused != &screen)
        focused = focused->parentWidget(); // a combo box's own line edit
    if (!focused || !m_rules.contains(focused))
        return true;
    return runLeft(*focused);
}

bool FieldWatcher::runLeft(QWidget& field) {
    const auto it = m_rules.constFind(&field);
    if (it == m_rules.cend() || !it->left)
        return true;
    const std::function<bool()> left = it->left;
    return quietlyOr(true, left);
}

bool FieldWatcher::eventFilter(QObject* watched, QEvent* event) {
    const auto it = m_rules.constFind(watched);
    if (it == m_rules.cend())
        return false;
    auto* field = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isEnter(*key)) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(field, &tab);
            return true;
        }
        if (it->arrow && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            const std::function<void(int)> arrow = it->arrow;
            quietly([&] { arrow(key->key() == Qt::Key_Up ? -1 : 1); });
            return true;
        }
        return discarded(it->keys, *key);
    }
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (it->selectAllOnEntry) {
            if (QLineEdit* edit = editOf(field)) {
                edit->selectAll();
                // A mouse click places the cursor after the focus arrives.
                if (reason == Qt::MouseFocusReason)
                    QTimer::singleShot(0, edit, &QLineEdit::selectAll);
            }
        }
        if (it->entered) {
            const std::function<void()> entered = it->entered;
            quietly(entered);
        }
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (m_puttingBack || reason == Qt::ActiveWindowFocusReason ||
            reason == Qt::PopupFocusReason || !field->window()->isVisible())
            break;
        runLeft(*field);
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace torvik::screens
