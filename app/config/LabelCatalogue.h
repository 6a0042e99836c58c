// The label catalogue TorvikLabel.ini: the texts each screen applies to itself when it loads,
// the message table and the captions the communication screen keeps for later.
#pragma once

#include "config/PrivateProfile.h"
#include "config/ProgramValues.h"

#include <vector>

namespace torvik::mdlFileMgr {

// Where a text goes on its screen.
enum class TextTarget {
    Caption,     // text of the widget or menu named objectName (label, button, frame, menu)
    WindowTitle, // title of the screen itself (objectName is the screen's name)
    TabCaption,  // caption of tab `index` of the tab widget named objectName
};

struct ScreenText {
    QString objectName; // control arrays as name_index: "lblFunc_3"
    TextTarget target = TextTarget::Caption;
    int index = 0;
    QString text;
};

using ScreenTexts = std::vector<ScreenText>;

// A missing catalogue or key gives "*****"; values are cut to 99 characters and at their
// first control character. Each loader also fills its slots of the message table.
bool LabelSet(ProgramValues& values, const config::ProfileDocument& catalogue,
              ScreenTexts& frmMainTexts); // registration screen
bool LabelSet2(ProgramValues& values, const config::ProfileDocument& catalogue,
               ScreenTexts& frmCommTexts); // communication screen, also the kept captions
bool LabelSet3(ProgramValues& values, const config::ProfileDocument& catalogue,
               ScreenTexts& frmSettingTexts); // settings screen

// The same, on the program's own values and the catalogue in the program folder.
bool LabelSet(ScreenTexts& frmMainTexts);
bool LabelSet2(ScreenTexts& frmCommTexts);
bool LabelSet3(ScreenTexts& frmSettingTexts);

} // namespace torvik::mdlFileMgr
