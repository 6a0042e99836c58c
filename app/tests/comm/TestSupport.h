// What the run-helper tests share: the application object the event waits need, and a record
// of what went to the debug and warning channels.
#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QtGlobal>

namespace torvik::comm::test {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "comm_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        static QCoreApplication app(argc, argv);
}

// Collects the messages of one type while it lives.
class MessageCapture {
public:
    explicit MessageCapture(QtMsgType type) {
        s_type = type;
        s_messages.clear();
        m_previous = qInstallMessageHandler(collect);
    }
    ~MessageCapture() { qInstallMessageHandler(m_previous); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const QStringList& messages() const { return s_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == s_type)
            s_messages << text;
    }

    static inline QtMsgType s_type = QtDebugMsg;
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

} // namespace torvik::comm::test
