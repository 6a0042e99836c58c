// The process-wide values: program variant, registered load cells, settings, remembered tab
// state, text-command table, message table and kept captions. Zero, empty and off until the
// settings file has been read.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace torvik::mdlFileMgr {

// Every per-load-cell table has nine entries (indexes 0 to 8); rows 0 to MaxDlcIndex are used.
constexpr std::size_t kDlcSlots = 9;

// Section SETTINGS, one field per key.
struct SettingsSection {
    bool BPS300 = false;
    std::int32_t Baudrate = 0;
    std::int32_t Databit = 0;
    std::int32_t Stopbit = 0;
    QString Parity;
    std::int32_t Comport = 0;
    bool ErrCond1 = false;
    std::int32_t CommData = 0;
    QString CommDataUnit;
    std::int32_t CommSync = 0;
    QString FileName;
    std::int32_t SerialLen = 0;
    std::int32_t StartNo = 0;
    QString DirName;
    bool DataFormat1 = false;
    bool DataFormat2 = false;
    std::int16_t DP = 0;
    QString DataKind;
    bool DataUnit = false;
    std::int32_t WaitTime = 0;
    std::int32_t TimeOut = 0;

    bool operator==(const SettingsSection&) const = default;
};

// Remembered state of the communication screen's tabs, named after the controls it goes to.
struct Tab1State {
    std::array<bool, kDlcSlots> chkSelect{}; // keys "1".."8"
    std::array<bool, 4> chkRead{};           // keys "9".."12"

    bool operator==(const Tab1State&) const = default;
};

struct Tab2State {
    std::int32_t cmbNo = 0; // key "0": load-cell number (list index + 1)
    // The file's key "0" when it names a load cell this variant does not have (0: none); it
    // stays in the file unless the operator chooses another cell than the one shown instead.
    std::int32_t cmbNoInFile = 0;
    std::array<bool, 8> chkSelectInfo{}; // keys "1".."8"
    bool optInput0 = false;              // key "9"
    std::array<bool, 2> chkReadInfo{};   // keys "10", "11"

    bool operator==(const Tab2State&) const = default;
};

struct Tab3State {
    std::array<std::int32_t, 4> cmbNoCustom{}; // keys "1".."4": load-cell number
    std::array<bool, 4> chkSelectCustom{};     // keys "5".."8"
    std::array<std::int32_t, 4> cmbMem{};      // keys "9".."12": register area
    std::array<std::int32_t, 4> txtAddr{};     // keys "13".."16"
    std::array<std::int32_t, 4> cmbLen{};      // keys "17".."20"
    std::array<QString, 4> optFormat;          // keys "21".."24": "H", "F", "I" or "A"
    std::array<bool, 2> chkReadCustom{};       // keys "25", "26"
    std::array<std::int32_t, 4> reserved{};    // keys "27".."30", written back unchanged

    bool operator==(const Tab3State&) const = default;
};

struct Tab4State {
    std::int32_t cmbNoTest = 0;     // key "0"
    std::int32_t txtWaitTime = 0;   // key "1"
    bool chkStatus = false;         // key "2"
    std::int16_t registerCount = 0; // 3 with the status register, else 2
    bool chkSync = false;           // key "3"
    float txtCC = 0.0f;             // key "4"
    std::int32_t cmbCom = 0;        // key "COM"
    std::int32_t BaudRate = 0;
    std::int32_t Length = 0;
    QString Parity;
    std::int32_t StopBit = 0;
    std::int32_t cmbInt = 0;      // key "SendDataInt"
    std::int32_t cmbDec = 0;      // key "SendDataDec"
    std::int32_t cmbPolarity = 0; // key "SendDataPolarity"
    bool DisplayPolarity = false;

    bool operator==(const Tab4State&) const = default;
};

// Entries 0 to 11 are used; a hexadecimal entry holds characters whose codes are the bytes.
struct CommandTable {
    std::array<QString, 13> command;
    std::array<QString, 13> response;
    std::array<bool, 13> hex{};

    bool operator==(const CommandTable&) const = default;
};

// Catalogue texts the communication screen keeps to show later.
struct KeptCaptions {
    QString cmdStart;                     // TAB1 "9"
    QString cmdSave;                      // TAB1 "10"
    QString cmdSaveAlternate;             // TAB1 "15": the save button's second caption
    QString cmdStop;                      // TAB1 "16"
    std::array<QString, 3> testTab;       // TAB4 "14".."16"
    std::array<QString, 6> testLinkState; // TAB4 "23".."28"

    bool operator==(const KeptCaptions&) const = default;
};

constexpr std::size_t kMessageSlots = 14;

struct ProgramValues {
    std::int16_t ProgramVariant = 0; // 0 standard, 1 "-VELM", 2 "-ORB"
    std::int16_t MaxDlcIndex = 0;    // 7 in variant 2, else 3

    std::array<QString, kDlcSlots> serialNo;            // section SERIALNO
    std::array<std::int16_t, kDlcSlots> slaveAddress{}; // section SLAVEADDRESS

    SettingsSection setting;
    std::array<QString, 10> list; // section LIST: recent data folders

    Tab1State tab1;
    Tab2State tab2;
    Tab3State tab3;
    Tab4State tab4;

    QString ModbusCommSettings;
    QString ValueFormat;
    QString PollIntervalMs;
    QString TestCommSettings;
    QString TestTerminator;
    std::array<QString, 4> MemoryAreaNames;

    CommandTable commands;
    std::array<QString, kMessageSlots> messages;
    KeptCaptions kept;

    bool operator==(const ProgramValues&) const = default;
};

// The one instance the whole program shares; only the user-interface thread touches it.
ProgramValues& programValues();

} // namespace torvik::mdlFileMgr
