// What every screen test starts from: a program folder of its own with the shipped catalogue,
// the help document and a known settings file, the program's values read from it, an empty
// control registry (the library is found beside the test, as the program finds it), message
// boxes answered and recorded, and a screen set whose program end is counted instead of
// quitting.
#pragma once

#include "config/PrivateProfile.h"
#include "screens/MessageBox.h"
#include "screens/ScreenSet.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <map>
#include <memory>

class QLineEdit;

namespace torvik::screens {
class frmComm;
}

namespace torvik::screens::testing {

class ScreenFixture {
public:
    // "SECTION/key" -> value, written over the settings text.
    using Overrides = std::map<QString, QString>;

    // `settings` is the settings file's text; "%DIR%" in it stands for the program folder.
    explicit ScreenFixture(std::int16_t variant = 0, const QByteArray& settings = defaultSettings(),
                           const Overrides& overrides = {});
    ~ScreenFixture();
    ScreenFixture(const ScreenFixture&) = delete;
    ScreenFixture& operator=(const ScreenFixture&) = delete;

    // Rows 1, 2 and 5 registered; a data folder that exists.
    static QByteArray defaultSettings();

    QString folder() const { return m_dir.path(); }
    ScreenSet& screens() { return *m_screens; }

    // The texts of the message boxes shown so far, in order.
    QStringList messages;
    // The message-table text of a slot, as the catalogue gave it.
    static QString slot(std::size_t slot);
    int programEnds = 0;

    QString settingsPath() const;
    config::ProfileDocument settingsFile() const;
    QByteArray settingsBytes() const;
    // Registers `library` for the control's class in this fixture's registry.
    void registerLibrary(const QString& library);

    // Shows the screen and waits until it is the active window, so keys and focus work.
    static bool showActive(QWidget& screen);

    template <typename W>
    static W* find(const QWidget& screen, const QString& name) {
        return screen.findChild<W*>(name);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_config;
    QByteArray m_savedHome;
    QByteArray m_savedConfig;
    MessageResponder m_previousResponder;
    std::unique_ptr<ScreenSet> m_screens;
};

// The main screen's tests: settings that exercise its tabs, and the main screen at hand.
class CommFixture : public ScreenFixture {
public:
    explicit CommFixture(std::int16_t variant, const Overrides& overrides = {});

    // Rows 1 and 3 registered, 2 and 4 not ("0"), every row ticked on the measurement tab (so
    // the serial numbers alone decide which rows can be used), stored values on each tab.
    static QByteArray commSettings();

    // Created, loaded and shown (active) on first use.
    frmComm& screen();

    template <class T>
    T* find(const QString& name) {
        return ScreenFixture::find<T>(screenWidget(), name);
    }

private:
    const QWidget& screenWidget();

    frmComm* m_comm = nullptr;
};

// How the tests work the screens, as an operator does.

// "chkSelect", 3 -> "chkSelect_3": the object name of an element of a control array.
QString indexedName(const char* base, int index);

// Chooses a menu item of the screen's menu bar.
void trigger(const QWidget& screen, const char* item);

// Clicks into a field (the cursor lands in it), selects its text and types the keys.
void typeInto(QLineEdit& field, const QString& keys);

// Enters a box by Tab (its text selected), types the keys (none: empties it) and leaves by Tab,
// so that its leaving check runs.
void typeAndLeave(QWidget& box, const QString& keys);

} // namespace torvik::screens::testing
