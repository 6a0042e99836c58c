#include "screens/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace torvik::screens {
namespace {

// The one hook tests use to answer message boxes; only touched on the UI thread.
MessageResponder& responder() {
    static MessageResponder installed;
    return installed;
}

bool& unattendedFlag() {
    static bool flag = false;
    return flag;
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
    unattendedFlag() = true;
}

bool unattended() {
    return unattendedFlag();
}

MessageResponder setMessageResponder(MessageResponder newResponder) {
    return std::exchange(responder(), std::move(newResponder));
}

} // namespace torvik::screens
