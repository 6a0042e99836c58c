#include "screens/frmSetting.h"

#include "screens/ScreenSet.h"

namespace torvik::screens {

frmSetting::frmSetting(ScreenSet& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmSetting"));
}

frmSetting::~frmSetting() = default;

void frmSetting::applyDefaults() {}

} // namespace torvik::screens
