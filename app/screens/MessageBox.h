// Every message box of the program goes through showMessage, so that tests can see each
// message and answer it without a modal loop.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace torvik::screens {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

MessageAnswer showMessage(QWidget* parent, const QString& text,
                          MessageButtons buttons = MessageButtons::Ok);

// Once the program ends without an operator (a termination signal, a lost display) nothing
// waits for an answer: a message is not shown, and a question is answered No.
void setUnattended();
bool unattended();

// While a responder is installed it answers instead of a modal box (tests). Returns the
// previous one so a test fixture can restore it.
using MessageResponder = std::function<MessageAnswer(const QString& text, MessageButtons)>;
MessageResponder setMessageResponder(MessageResponder responder);

} // namespace torvik::screens
