#include "screens/comm/FieldRules.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace torvik::screens::comm {
namespace {

bool accepted(Accept accept, QChar c) {
    if (c == QLatin1Char('\b'))
        return true;
    switch (accept) {
    case Accept::Any:
        return true;
    case Accept::Digits:
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    case Accept::DigitsAndPoint:
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
    }
    return false;
}

class FieldFilter : public QObject {
public:
    FieldFilter(QWidget* field, FieldRules rules) : QObject(field), m_rules(std::move(rules)) {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* field = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(field, *static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            if (m_rules.selectAllOnFocus) {
                // After the click that gave the focus has placed the cursor.
                QTimer::singleShot(0, field,
                                   [edit = QPointer<QLineEdit>(qobject_cast<QLineEdit*>(field))] {
                                       if (edit)
                                           edit->selectAll();
                                   });
            }
            break;
        case QEvent::FocusOut:
            if (m_rules.onFocusOut)
                m_rules.onFocusOut();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool keyPress(QWidget* field, const QKeyEvent& key) {
        if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(field, &tab);
            return true;
        }
        if (m_rules.onArrow && (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down)) {
            m_rules.onArrow(key.key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        if (m_rules.accept == Accept::Any)
            return false;
        if (key.matches(QKeySequence::Paste))
            return true;
        const QString text = key.text();
        if (text.isEmpty() || (key.modifiers() & Qt::ControlModifier))
            return false;
        for (QChar c : text) {
            if (!accepted(m_rules.accept, c))
                return true;
        }
        return false;
    }

    FieldRules m_rules;
};

} // namespace

void installFieldRules(QWidget* field, FieldRules rules) {
    new FieldFilter(field, std::move(rules)); // owned by the field
}

} // namespace torvik::screens::comm
