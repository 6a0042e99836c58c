// The settings file TorvikSetting.ini: read once at start, written at exit.
#pragma once

#include "config/PrivateProfile.h"
#include "config/ProgramValues.h"

namespace torvik::mdlFileMgr {

// Reads SERIALNO, SLAVEADDRESS, SETTINGS (then the derived values), LIST, TAB1 to TAB3, the
// memory-area names of the label catalogue, TAB4 (then the test link's derived values), CTRL,
// COMMAND and RESPONSE, in that order. A value that does not convert ends the read there and
// gives false: everything after it keeps what it held (zero, empty, off at start). A settings
// file that does not exist at all is no bad value: every key takes its default.
bool ReadIniFile(ProgramValues& values, const config::ProfileDocument& settingsFile,
                 const config::ProfileDocument& labelFile, const QString& programFolder);
bool ReadIniFile(ProgramValues& values, const QString& programFolder);
bool ReadIniFile();

// ModbusCommSettings, ValueFormat and PollIntervalMs from the SETTINGS values; the settings
// screen calls it again whenever it saves.
void deriveSettingsValues(ProgramValues& values);

// The texts of the registration screen's boxes, written exactly as they stand.
struct RegistrationTexts {
    std::array<QString, kDlcSlots> serialNo;
    std::array<QString, kDlcSlots> slaveAddress;
};

// Each writer changes only its own keys and replaces the file in one step; false when the
// file could not be read or written (the file is then left as it was).
bool WriteIniFile(const ProgramValues& values, const RegistrationTexts& boxes,
                  const QString& programFolder);
bool WriteIniFile(const RegistrationTexts& boxes);
bool WriteIniFile2(const ProgramValues& values, const QString& programFolder); // SETTINGS, LIST
bool WriteIniFile2();
// TAB1 and TAB2; then TAB4 in variant 1, TAB3 in variant 2.
bool WriteIniFile3(const ProgramValues& values, const QString& programFolder);
bool WriteIniFile3();

} // namespace torvik::mdlFileMgr
