// What every screen test starts from: a program folder of its own with the shipped catalogue
// and a known settings file, the program's values read from it, message boxes answered and
// recorded, and a screen set whose program end is counted instead of quitting.
#pragma once

#include "config/PrivateProfile.h"
#include "screens/MessageBox.h"
#include "screens/ScreenSet.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

namespace torvik::screens::testing {

class ScreenFixture {
public:
    // `settings` is the settings file's text; "%DIR%" in it stands for the program folder.
    explicit ScreenFixture(std::int16_t variant = 0,
                           const QByteArray& settings = defaultSettings());
    ~ScreenFixture();
    ScreenFixture(const ScreenFixture&) = delete;
    ScreenFixture& operator=(const ScreenFixture&) = delete;

    static QByteArray defaultSettings();

    QString folder() const { return m_dir.path(); }
    ScreenSet& screens() { return *m_screens; }

    // The texts of the message boxes shown so far, in order.
    QStringList messages;
    // The message-table text of a slot, as the catalogue gave it.
    static QString slot(std::size_t slot);
    int programEnds = 0;

    config::ProfileDocument settingsFile() const;
    QByteArray settingsBytes() const;

    // Shows the screen and waits until it is the active window, so keys and focus work.
    static bool showActive(QWidget& screen);

    template <typename W>
    static W* find(const QWidget& screen, const QString& name) {
        return screen.findChild<W*>(name);
    }

private:
    QTemporaryDir m_dir;
    MessageResponder m_previousResponder;
    std::unique_ptr<ScreenSet> m_screens;
};

} // namespace torvik::screens::testing
