// The communication settings screen.
#pragma once

#include <QMainWindow>

namespace torvik::screens {

class ScreenSet;

class frmSetting : public QMainWindow {
    Q_OBJECT
public:
    explicit frmSetting(ScreenSet& screens);
    ~frmSetting() override;

    // "Initialise this screen": every field back to its default; the change handlers carry
    // the values into the settings.
    void applyDefaults();

private:
    [[maybe_unused]] ScreenSet& m_screens;
};

} // namespace torvik::screens
