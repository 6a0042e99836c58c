// Drives the real program as an operator would, from inside it: a generic platform plugin the
// tests load into build/bin/Torvik (QT_PLUGIN_PATH, QT_QPA_GENERIC_PLUGINS=torvikdriver), so
// that the program runs unchanged on the offscreen platform. What it does is read from
// TORVIK_DRIVER, a comma-separated list:
//   close             ask the registration screen's window to close once it is shown
//   measure           go to the main screen, press Start and, from inside the run, switch
//                     data saving on
//   close-after=N     with measure: ask the main screen's window to close once N replies
//                     have been counted
//   window-after=N    with measure: once N replies have been counted, print the main
//                     screen's native window as "torvik-driver: window <id>" (for a test that
//                     destroys it from outside)
//   keep-messages     report message boxes but leave them open, as an operator away from
//                     the screen does
// Windows are asked to close through their platform window, as a window manager's close
// button asks. A message box is reported and answered (unless kept); a run that a message ended
// before its first record (the port could not be opened, say) is started again, up to three times,
// as an operator would. Problems are reported on stderr with the prefix "torvik-driver:".
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

QWidget* screenNamed(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name))
            return w;
    }
    return nullptr;
}

void report(const char* what) {
    std::fprintf(stderr, "torvik-driver: %s\n", what);
}

// Queued, so that it arrives inside whatever wait the program is in, as a click or a close
// request from the window system does.
template <typename F>
void later(QObject* context, F f) {
    QTimer::singleShot(0, context, f);
}

void askToClose(QWidget* screen) {
    if (QWindow* window = screen->windowHandle())
        window->close();
    else
        screen->close();
}

class Driver : public QObject {
public:
    explicit Driver(const QString& script) {
        for (const QString& step : script.split(u',', Qt::SkipEmptyParts)) {
            if (step == u"close")
                m_close = true;
            else if (step == u"measure")
                m_measure = true;
            else if (step.startsWith(u"close-after="))
                m_closeAfter = step.mid(12).toInt();
            else if (step.startsWith(u"window-after="))
                m_windowAfter = step.mid(13).toInt();
            else if (step == u"keep-messages")
                m_keepMessages = true;
        }
        // The first screen is shown before the event loop starts: act once it runs.
        later(this, [this] { start(); });
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                const QByteArray text = box->text().toUtf8();
                std::fprintf(stderr, "torvik-driver: message: %s\n", text.constData());
                m_sawMessage = true;
                if (!m_keepMessages)
                    later(box, [box] { box->close(); });
            }
        }
        return false;
    }

private:
    void start() {
        if (!m_close && !m_measure)
            return;
        QWidget* registration = screenNamed("frmMain");
        if (registration == nullptr) {
            report("no registration screen");
            return;
        }
        if (m_close) {
            askToClose(registration);
            return;
        }
        if (!m_measure)
            return;
        auto* toComm = registration->findChild<QAction*>(QStringLiteral("mnu_tx1"));
        if (toComm == nullptr) {
            report("no menu item mnu_tx1");
            return;
        }
        toComm->trigger();
        QWidget* comm = screenNamed("frmComm");
        auto* startButton =
            comm ? comm->findChild<QPushButton*>(QStringLiteral("cmdStart")) : nullptr;
        auto* saveButton =
            comm ? comm->findChild<QPushButton*>(QStringLiteral("cmdSave")) : nullptr;
        auto* counter = comm ? comm->findChild<QLineEdit*>(QStringLiteral("txtOK")) : nullptr;
        if (startButton == nullptr || saveButton == nullptr || counter == nullptr) {
            report("the main screen is not there");
            return;
        }
        if (m_closeAfter > 0) {
            connect(counter, &QLineEdit::textChanged, this, [this, comm](const QString& text) {
                if (m_closeAsked || text.toInt() < m_closeAfter)
                    return;
                m_closeAsked = true;
                later(comm, [comm] { askToClose(comm); });
            });
        }
        if (m_windowAfter > 0) {
            connect(counter, &QLineEdit::textChanged, this, [this, comm](const QString& text) {
                if (m_windowShown || text.toInt() < m_windowAfter)
                    return;
                m_windowShown = true;
                std::fprintf(stderr, "torvik-driver: window %llu\n",
                             static_cast<unsigned long long>(comm->winId()));
            });
        }
        m_start = startButton;
        m_save = saveButton;
        run();
    }

    void run() {
        ++m_attempts;
        m_sawMessage = false;
        later(m_save, [save = m_save] { save->click(); });
        if (!m_start->isEnabled())
            report("Start is not enabled");
        m_start->click(); // the run goes on in here
        const QString working =
            qEnvironmentVariable("TORVIK_HOME") + QStringLiteral("/DataLog.csv");
        if (m_sawMessage && m_attempts < 3 && !QFile::exists(working)) {
            report("the run ended on a message before its first record: Start again");
            later(this, [this] { run(); });
        }
    }

    QPushButton* m_start = nullptr;
    QPushButton* m_save = nullptr;
    int m_attempts = 0;
    bool m_sawMessage = false;
    bool m_close = false;
    bool m_measure = false;
    int m_closeAfter = 0;
    bool m_closeAsked = false;
    int m_windowAfter = 0;
    bool m_windowShown = false;
    bool m_keepMessages = false;
};

class DriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "torvikdriver.json")
public:
    QObject* create(const QString& key, const QString&) override {
        if (key.compare(QLatin1String("torvikdriver"), Qt::CaseInsensitive) != 0)
            return nullptr;
        // The application keeps the plugin objects it asks for and deletes them at its end.
        return new Driver(qEnvironmentVariable("TORVIK_DRIVER"));
    }
};

} // namespace

#include "DriverPlugin.moc"
