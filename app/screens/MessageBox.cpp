#include "screens/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace torvik::screens {
namespace {

// The one hook tests use to answer message boxes, and the unattended state; only touched on
// the user-interface thread. Made before main, so they outlive the end without a display.
MessageResponder g_responder;
bool g_unattended = false;

MessageResponder& responder() {
    return g_responder;
}

} // namespace

MessageAnswer showMessage(QWidget* parent, const QString& text, MessageButtons buttons) {
    if (responder())
        return responder()(text, buttons);
    if (unattended())
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    const QString title = QApplication::applicationName();
    if (buttons == MessageButtons::YesNo) {
        const auto answer =
            QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No);
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    QMessageBox::information(parent, title, text);
    return MessageAnswer::Ok;
}

void setUnattended() {
    g_unattended = true;
}

bool unattended() {
    return g_unattended;
}

MessageResponder setMessageResponder(MessageResponder newResponder) {
    return std::exchange(responder(), std::move(newResponder));
}

} // namespace torvik::screens
