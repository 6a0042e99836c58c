// A measurement bench for the tests: dlcsim on a pseudo-terminal linked under a port name no
// other process uses at the moment (COM33 to COM255), a program folder whose settings point
// at it with four cells registered, and the main screen.
#pragma once

#include "Child.h"
#include "ScreenFixture.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace torvik::screens::testing {

class MeasureFixture {
public:
    // `simArgs` go to dlcsim after its link and log; `overrides` over the bench's settings;
    // `variant` the program variant (2: eight cells).
    MeasureFixture(std::vector<std::string> simArgs, ScreenFixture::Overrides overrides = {},
                   std::int16_t variant = 0);
    ~MeasureFixture();

    bool simulatorReady() const { return m_sim->ready(); }
    dlcsim::test::Simulator& simulator() { return *m_sim; }
    ScreenFixture& screens() { return *m_screens; }
    frmComm& screen();
    const QWidget& screenWidget();
    QString folder() const { return m_screens->folder(); }

    template <class T>
    T* find(const QString& name) {
        return ScreenFixture::find<T>(screenWidget(), name);
    }
    QLineEdit* field(const char* base, int index);
    QCheckBox* option(int index); // chkRead(index)
    QPushButton* button(const char* name);

    // Presses Start and, from inside the run, Stop as soon as `done` holds after a reply (or
    // when the deadline passes); returns once the run has returned. False on the deadline.
    bool runUntil(const std::function<bool()>& done, int deadlineMs = 20000);
    // Presses Start once (single shot returns at once).
    void pressStart();

    // The frames dlcsim received, as hexadecimal byte texts ("01 04 00 00 00 02 ...").
    QStringList receivedFrames() const;
    // Lines of a text file in the program folder (relative path).
    QStringList fileLines(const QString& relative) const;

    // The port's number: COM<number> in the ports folder and the settings' Comport.
    int portNumber() const { return m_port; }

private:
    int m_port;
    std::unique_ptr<dlcsim::test::Simulator> m_sim;
    QByteArray m_savedPorts;
    std::unique_ptr<ScreenFixture> m_screens;
    frmComm* m_comm = nullptr;
};

} // namespace torvik::screens::testing
