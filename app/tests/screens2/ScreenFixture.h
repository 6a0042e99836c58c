// One main screen on a program folder of its own: a settings file written for the test, the
// shipped catalogue, no control registry (the library is found beside the executable), and
// every message box answered and recorded.
#pragma once

#include "config/ProgramValues.h"
#include "screens/MessageBox.h"
#include "screens/ScreenSet.h"
#include "screens/frmComm.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <map>
#include <memory>
#include <utility>

namespace screens2 {

// "SECTION/key" -> value, applied over the fixture's complete settings file.
using SettingsOverrides = std::map<QString, QString>;

class ScreenFixture {
public:
    explicit ScreenFixture(int variant, const SettingsOverrides& overrides = {});
    ~ScreenFixture();
    ScreenFixture(const ScreenFixture&) = delete;
    ScreenFixture& operator=(const ScreenFixture&) = delete;

    // Created, loaded and shown (activated) on first use.
    torvik::screens::frmComm& screen();
    torvik::screens::ScreenSet& screens() { return *m_screens; }

    template <class T>
    T* find(const QString& name) {
        return screen().findChild<T*>(name);
    }

    QString folder() const { return m_home.path(); }
    QString settingsFile() const;
    // Registers `library` for the control's class in this fixture's registry.
    void registerLibrary(const QString& library);

    QStringList messages; // every message shown, in order

private:
    QTemporaryDir m_home;
    QTemporaryDir m_config;
    QByteArray m_savedHome;
    QByteArray m_savedConfig;
    torvik::screens::MessageResponder m_previousResponder;
    std::unique_ptr<torvik::screens::ScreenSet> m_screens;
    torvik::screens::frmComm* m_comm = nullptr;
};

} // namespace screens2
