// The settings file TorvikSetting.ini: read once at start, written at exit.
#pragma once

#include "config/PrivateProfile.h"
#include "config/ProgramValues.h"

namespace torvik::mdlFileMgr {

// The SETTINGS values the settings screen's "initialise this screen" gives, with the data folder
// in the program folder; a first start (no settings file) starts with them.
SettingsSection initialSettings(const QString& programFolder);

// Reads SERIALNO, SLAVEADDRESS, SETTINGS (then the derived values), LIST, TAB1 to TAB3, the
// memory-area names of the label catalogue, TAB4 (then the test link's derived values), CTRL,
// COMMAND and RESPONSE, in that order. A missing key takes its default; a row of the load-cell
// tables that the file does not know at all (the four-cell program's file read by the
// eight-cell one) is an empty row, serial number "0" and address = its number. A value that
// does not convert takes its key's default too, and the read goes on, so that every key after
// it keeps what the file holds and the exit write puts back what the operator stored; the
// result is then false. A file without any section (none at all, empty, not text) is a first
// start: the settings screen's initial values and empty rows; so is one that cannot be read,
// with the result false.
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
