// The settings file: every key's form, default, size and read rule, the quiet abandon on a
// value that does not convert, and what the three writers put in the file. Expected values
// come from the settings file's rules (column "Chars" = characters read, defaults as listed)
// and its worked examples (Baudrate 0 -> 1, DP 3 -> "##0.000", CommData 2 S -> 2000, ...).
#include "config/SettingsFile.h"

#include "config/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using namespace torvik::mdlFileMgr;
using torvik::config::ProfileDocument;

namespace {

struct Entry {
    QString section;
    QString key;
    QString value;
};

// A complete, valid settings file for four load cells.
std::vector<Entry> validFile() {
    std::vector<Entry> e;
    auto add = [&e](const char* section,
                    std::initializer_list<std::pair<const char*, const char*>> kv) {
        for (const auto& [k, v] : kv)
            e.push_back({section, k, QString::fromUtf8(v)});
    };
    add("SERIALNO", {{"1", "A0001"}, {"2", "A0002"}, {"3", ""}, {"4", "A0004"}});
    add("SLAVEADDRESS", {{"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}});
    add("SETTINGS", {{"BPS300", "False"},
                     {"Baudrate", "38400"},
                     {"Databit", "8"},
                     {"Stopbit", "1"},
                     {"Parity", "E"},
                     {"Comport", "2"},
                     {"ErrCond1", "True"},
                     {"CommData", "2"},
                     {"CommDataUnit", "S"},
                     {"CommSync", "50"},
                     {"FileName", "DLC_"},
                     {"SerialLen", "3"},
                     {"StartNo", "1"},
                     {"DirName", "/data/dlc/"},
                     {"DataFormat1", "True"},
                     {"DataFormat2", "False"},
                     {"DP", "2"},
                     {"DataKind", "R"},
                     {"DataUnit", "True"},
                     {"WaitTime", "50"},
                     {"TimeOut", "500"}});
    add("LIST", {{"1", "/data/dlc/"}, {"2", "/data/old/"}});
    add("TAB1", {{"1", "True"},
                 {"2", "False"},
                 {"3", "True"},
                 {"4", "False"},
                 {"5", "True"},
                 {"9", "False"},
                 {"10", "True"},
                 {"11", "False"},
                 {"12", "True"}});
    add("TAB2", {{"0", "2"},
                 {"1", "True"},
                 {"2", "False"},
                 {"9", "True"},
                 {"10", "True"},
                 {"11", "False"}});
    add("TAB3", {{"1", "1"},      {"2", "2"},    {"3", "3"},     {"4", "4"},     {"5", "True"},
                 {"6", "False"},  {"7", "True"}, {"8", "False"}, {"9", "0"},     {"10", "1"},
                 {"11", "2"},     {"12", "3"},   {"13", "0001"}, {"14", "0010"}, {"15", "100"},
                 {"16", "40001"}, {"17", "2"},   {"18", "4"},    {"19", "6"},    {"20", "8"},
                 {"21", "H"},     {"22", "F"},   {"23", "I"},    {"24", "A"},    {"25", "True"},
                 {"26", "False"}, {"27", "1"},   {"28", "1"},    {"29", "1"},    {"30", "1"}});
    add("TAB4", {{"0", "1"},
                 {"1", "30"},
                 {"2", "True"},
                 {"3", "True"},
                 {"4", "1.5"},
                 {"COM", "3"},
                 {"BaudRate", "19200"},
                 {"Length", "7"},
                 {"Parity", "O"},
                 {"Terminator", "CR"},
                 {"StopBit", "2"},
                 {"SendDataInt", "3"},
                 {"SendDataDec", "2"},
                 {"SendDataPolarity", "1"},
                 {"DisplayPolarity", "False"}});
    add("CTRL", {{"1", "True"}, {"2", "False"}, {"3", "True"}});
    add("COMMAND", {{"1", "12"}, {"2", " MSV? "}, {"3", "01"}});
    add("RESPONSE", {{"1", "0D0A"}, {"2", "%,1,0"}, {"3", "0D0"}});
    return e;
}

// One key of the valid file changed (or, with no value, removed).
struct Change {
    const char* section;
    const char* key;
    std::optional<QString> value;
};

QByteArray render(std::vector<Entry> entries, const std::vector<Change>& changes) {
    for (const Change& c : changes) {
        auto it = std::find_if(entries.begin(), entries.end(), [&c](const Entry& e) {
            return e.section == QLatin1String(c.section) && e.key == QLatin1String(c.key);
        });
        if (it != entries.end() && !c.value)
            entries.erase(it);
        else if (it != entries.end())
            it->value = *c.value;
        else if (c.value) {
            // A new key joins the end of its section (or starts the section at the end).
            auto last = std::find_if(entries.rbegin(), entries.rend(), [&c](const Entry& e) {
                return e.section == QLatin1String(c.section);
            });
            entries.insert(last.base(), {c.section, c.key, *c.value});
        }
    }
    QByteArray out;
    QString section;
    for (const Entry& e : entries) {
        if (e.section != section)
            out += "[" + e.section.toUtf8() + "]\n";
        section = e.section;
        out += e.key.toUtf8() + "=" + e.value.toUtf8() + "\n";
    }
    return out;
}

const QByteArray kLabels = "[TAB3]\n16=Coil\n17=Input\n18=Input register\n19=Holding\n";
const QString kFolder = QStringLiteral("/opt/torvik");

ProgramValues fourCells() {
    ProgramValues v;
    v.MaxDlcIndex = 3;
    return v;
}

struct ReadResult {
    bool complete;
    ProgramValues values;
};

ReadResult readWith(const std::vector<Change>& changes, ProgramValues values = fourCells()) {
    const bool ok = ReadIniFile(values, ProfileDocument::fromBytes(render(validFile(), changes)),
                                ProfileDocument::fromBytes(kLabels), kFolder);
    return {ok, values};
}

TEST(SettingsFile, ValidFileReadsCompletely) {
    const auto [complete, v] = readWith({});
    ASSERT_TRUE(complete);
    EXPECT_EQ(v.serialNo[0], "A0001");
    EXPECT_EQ(v.slaveAddress[3], 4);
    EXPECT_EQ(v.ModbusCommSettings, "38400,E,8,1");
    EXPECT_EQ(v.ValueFormat, "##0.00");
    EXPECT_EQ(v.PollIntervalMs, "2000");
    EXPECT_EQ(v.list[1], "/data/old/");
    EXPECT_EQ(v.tab3.txtAddr, (std::array<std::int32_t, 4>{1, 10, 100, 40001}));
    EXPECT_EQ(v.MemoryAreaNames[2], "Input register");
    EXPECT_EQ(v.TestCommSettings, "19200,O,7,2");
    EXPECT_EQ(v.TestTerminator, "\r");
    EXPECT_EQ(v.commands.command[0], QString(QChar(0x12)));
    EXPECT_EQ(v.commands.command[1], "MSV?");
    EXPECT_EQ(v.commands.response[0], "\r\n");
    EXPECT_EQ(v.commands.response[2], "\r"); // the last single digit is dropped
    EXPECT_EQ(v.commands.response[3], "0");  // missing response, default "0"
}

using Field = std::function<QString(const ProgramValues&)>;

QString n(std::int64_t x) {
    return QString::number(x);
}
QString on(bool b) {
    return b ? "on" : "off";
}

TEST(SettingsFile, ReadRulesOfEveryForm) {
    const Field baudrate = [](const ProgramValues& v) { return n(v.setting.Baudrate); };
    const Field comm = [](const ProgramValues& v) { return v.ModbusCommSettings; };
    const Field bps300 = [](const ProgramValues& v) { return on(v.setting.BPS300); };
    const Field fileName = [](const ProgramValues& v) { return v.setting.FileName; };
    const Field format = [](const ProgramValues& v) { return v.ValueFormat; };
    const Field poll = [](const ProgramValues& v) { return v.PollIntervalMs; };
    const Field cmbNo = [](const ProgramValues& v) { return n(v.tab2.cmbNo); };
    const Field baud4 = [](const ProgramValues& v) { return n(v.tab4.BaudRate); };
    const Field length4 = [](const ProgramValues& v) { return n(v.tab4.Length); };
    const Field stop4 = [](const ProgramValues& v) { return n(v.tab4.StopBit); };
    const Field parity4 = [](const ProgramValues& v) { return v.tab4.Parity; };
    const Field terminator = [](const ProgramValues& v) { return v.TestTerminator; };
    const Field cc = [](const ProgramValues& v) {
        return n(static_cast<std::int64_t>(v.tab4.txtCC * 1000));
    };
    const Field command0 = [](const ProgramValues& v) { return v.commands.command[0]; };
    const Field response0 = [](const ProgramValues& v) { return v.commands.response[0]; };
    const QString longFolder = QString(120, u'x');

    const struct {
        Change change;
        Field field;
        QString expected;
    } cases[] = {
        // Integers; Baudrate has its own floor and default.
        {{"SETTINGS", "Baudrate", "0"}, comm, "1,E,8,1"},
        {{"SETTINGS", "Baudrate", std::nullopt}, baudrate, "128"},
        {{"SETTINGS", "Baudrate", "-5"}, baudrate, "1"},
        {{"SETTINGS", "Baudrate", "9600.5"}, baudrate, "9600"},          // half to even
        {{"SETTINGS", "Baudrate", "1234567890"}, baudrate, "123456789"}, // 9 characters
        {{"SETTINGS", "Databit", "7x"}, comm, "38400,E,7,1"},            // first character only
        {{"SETTINGS", "Stopbit", "2"}, comm, "38400,E,8,2"},
        {{"SETTINGS", "Parity", "odd"}, comm, "38400,o,8,1"},
        {{"SETTINGS", "Parity", std::nullopt}, comm, "38400,E,8,1"},
        {{"SLAVEADDRESS", "1", "1234"},
         [](const ProgramValues& v) { return n(v.slaveAddress[0]); },
         "123"},
        // Flags: on only when the text begins with "True".
        {{"SETTINGS", "BPS300", "true"}, bps300, "off"},
        {{"SETTINGS", "BPS300", "Truely"}, bps300, "on"},
        {{"SETTINGS", "BPS300", std::nullopt}, bps300, "on"},
        {{"TAB1", "9", std::nullopt},
         [](const ProgramValues& v) { return on(v.tab1.chkRead[0]); },
         "off"},
        // Four load cells: TAB1 key 5 is kept for the eight-cell program that wrote it.
        {{"TAB1", "5", "True"},
         [](const ProgramValues& v) { return on(v.tab1.chkSelect[4]); },
         "on"},
        // Texts: size, control characters, spaces.
        {{"SETTINGS", "FileName", "ABCDEFGHIJKL"}, fileName, "ABCDEFGHI"},
        {{"SETTINGS", "FileName", "AB\tCD"}, fileName, "AB"},
        {{"SETTINGS", "FileName", "\"  X  \""}, fileName, "X"},
        {{"SERIALNO", "1", "ABCDEFGHIJKLMN"},
         [](const ProgramValues& v) { return v.serialNo[0]; },
         "ABCDEFGHIJKL"},
        {{"SETTINGS", "DirName", std::nullopt},
         [](const ProgramValues& v) { return v.setting.DirName; },
         "/opt/torvik/Data/"},
        {{"LIST", "1", longFolder},
         [](const ProgramValues& v) { return n(v.list[0].size()); },
         "99"},
        // Derived values.
        {{"SETTINGS", "DP", "0"}, format, "##0"},
        {{"SETTINGS", "DP", "3"}, format, "##0.000"},
        {{"SETTINGS", "DP", "2x"}, format, "##0.00"},
        {{"SETTINGS", "CommDataUnit", "M"}, poll, "2"},
        {{"SETTINGS", "CommDataUnit", "s"}, poll, "2"},
        {{"SETTINGS", "CommDataUnit", "Sec"}, poll, "2000"},
        {{"SETTINGS", "CommData", "2147483"}, poll, "2147483000"},
        // TAB2 key 0: numeric and one of the list's load cells (1 to MaxDlcIndex + 1), else 1.
        {{"TAB2", "0", "3"}, cmbNo, "3"},
        {{"TAB2", "0", "4"}, cmbNo, "4"},
        {{"TAB2", "0", "5"}, cmbNo, "1"},
        {{"TAB2", "0", "abc"}, cmbNo, "1"},
        {{"TAB2", "0", "-1"}, cmbNo, "1"},
        {{"TAB2", "0", "0"}, cmbNo, "0"},
        {{"TAB2", "0", std::nullopt}, cmbNo, "1"},
        // TAB3.
        {{"TAB3", "27", "12"}, [](const ProgramValues& v) { return n(v.tab3.reserved[0]); }, "1"},
        {{"TAB3", "21", "Hex"}, [](const ProgramValues& v) { return v.tab3.optFormat[0]; }, "H"},
        // TAB4 link keys.
        {{"TAB4", "BaudRate", "38400"}, baud4, "9600"},
        {{"TAB4", "BaudRate", "300"}, baud4, "300"},
        {{"TAB4", "BaudRate", "abc"}, baud4, "9600"},
        {{"TAB4", "Length", "9"}, length4, "8"},
        {{"TAB4", "StopBit", "0"}, stop4, "1"},
        {{"TAB4", "StopBit", std::nullopt}, stop4, "1"},
        {{"TAB4", "Parity", "e"}, parity4, "N"},
        {{"TAB4", "Parity", "Odd"}, parity4, "O"},
        {{"TAB4", "Parity", std::nullopt}, parity4, "E"},
        {{"TAB4", "Terminator", "crlf"}, terminator, "\r\n"},
        {{"TAB4", "Terminator", "CRLF"}, terminator, "\r\n"},
        {{"TAB4", "Terminator", "LF"}, terminator, "\n"},
        {{"TAB4", "Terminator", "LFCR"}, terminator, "\n"},
        {{"TAB4", "Terminator", "X"}, terminator, "\r\n"},
        {{"TAB4", "0", "-5"}, [](const ProgramValues& v) { return n(v.tab4.cmbNoTest); }, "0"},
        {{"TAB4", "SendDataInt", std::nullopt},
         [](const ProgramValues& v) { return n(v.tab4.cmbInt); },
         "0"},
        {{"TAB4", "1", std::nullopt},
         [](const ProgramValues& v) { return n(v.tab4.txtWaitTime); },
         "30"},
        {{"TAB4", "2", "False"},
         [](const ProgramValues& v) { return n(v.tab4.registerCount); },
         "2"},
        {{"TAB4", "4", "abc"}, cc, "1000"},
        {{"TAB4", "4", "  2.5  "}, cc, "2500"},
        {{"TAB4", "4", std::nullopt}, cc, "1000"},
        {{"TAB4", "4", "0.1234567"}, cc, "123"}, // 8 characters
        // Command table.
        {{"COMMAND", "1", "ff"}, command0, QString(QChar(0xFF))},
        {{"COMMAND", "1", "0012"}, command0, QString(QChar(0x12))},
        {{"CTRL", "1", "true"}, command0, "12"}, // not a hexadecimal entry
        {{"CTRL", "1", "true"}, response0, "0D0A"},
    };
    for (const auto& c : cases) {
        const auto [complete, v] = readWith({c.change});
        const std::string what = std::string(c.change.section) + "/" + c.change.key + "=" +
                                 c.change.value.value_or("(missing)").toStdString();
        EXPECT_TRUE(complete) << what;
        EXPECT_EQ(c.field(v).toStdString(), c.expected.toStdString()) << what;
    }
}

// A value that does not convert takes its key's default and the read reports it (false), but
// goes on: every key after it has the file's value, so the exit write puts back what is stored.
TEST(SettingsFile, ValueThatDoesNotConvertTakesTheDefaultAndTheReadGoesOn) {
    const auto [whole, complete] = readWith({});
    ASSERT_TRUE(whole);
    const struct {
        Change change;
        std::function<void(const ProgramValues&)> check;
    } cases[] = {
        {{"SLAVEADDRESS", "2", ""},
         [](const ProgramValues& v) {
             EXPECT_EQ(v.slaveAddress[1], 0);
             EXPECT_EQ(v.slaveAddress[2], 3);
         }},
        {{"SETTINGS", "Baudrate", "fast"},
         [](const ProgramValues& v) {
             EXPECT_EQ(v.setting.Baudrate, 128);
             EXPECT_EQ(v.ModbusCommSettings, "128,E,8,1");
         }},
        {{"SETTINGS", "Databit", ""},
         [](const ProgramValues& v) { EXPECT_EQ(v.setting.Databit, 8); }},
        {{"SETTINGS", "DP", "x"},
         [](const ProgramValues& v) {
             EXPECT_EQ(v.setting.DP, 2);
             EXPECT_EQ(v.ValueFormat, "##0.00");
         }},
        {{"SETTINGS", "TimeOut", "5OO"},
         [](const ProgramValues& v) { EXPECT_EQ(v.setting.TimeOut, 500); }},
        {{"TAB3", "13", "abc"}, [](const ProgramValues& v) { EXPECT_EQ(v.tab3.txtAddr[0], 1); }},
        {{"TAB4", "4", "1e39"}, // numeric, but beyond single precision
         [](const ProgramValues& v) { EXPECT_EQ(v.tab4.txtCC, 1.0f); }},
        {{"COMMAND", "3", "100"}, // above FF
         [](const ProgramValues& v) { EXPECT_EQ(v.commands.command[2], ""); }},
        {{"RESPONSE", "1", "41 42"}, // " 4" is no hexadecimal pair
         [](const ProgramValues& v) { EXPECT_EQ(v.commands.response[0], ""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.change.section) + "/" + c.change.key);
        auto [read, v] = readWith({c.change});
        EXPECT_FALSE(read);
        c.check(v);
        // Apart from the key that did not convert (checked above), everything is as in the
        // whole file: the keys before it and, above all, every key after it.
        v.slaveAddress = complete.slaveAddress;
        v.setting = complete.setting;
        v.ModbusCommSettings = complete.ModbusCommSettings;
        v.ValueFormat = complete.ValueFormat;
        v.tab3.txtAddr = complete.tab3.txtAddr;
        v.tab4.txtCC = complete.tab4.txtCC;
        v.commands = complete.commands;
        EXPECT_EQ(v, complete);
    }
}

TEST(SettingsFile, DuplicatesLongLinesTruncatedAndBinaryFiles) {
    // Duplicate keys and sections: the first one counts.
    QByteArray dup = render(validFile(), {}) + "[SETTINGS]\nBaudrate=1200\n";
    dup.replace("Baudrate=38400\n", "Baudrate=38400\nbaudrate=2400\n");
    ProgramValues v = fourCells();
    EXPECT_TRUE(ReadIniFile(v, ProfileDocument::fromBytes(dup), ProfileDocument(), kFolder));
    EXPECT_EQ(v.setting.Baudrate, 38400);

    // A megabyte-long line is cut to the key's size.
    const QByteArray longLine = render(validFile(), {{"LIST", "3", QString(1 << 20, u'y')}});
    v = fourCells();
    EXPECT_TRUE(ReadIniFile(v, ProfileDocument::fromBytes(longLine), ProfileDocument(), kFolder));
    EXPECT_EQ(v.list[2], QString(99, u'y'));

    // Cut off in the middle of a value: the rest of the file is missing, so defaults apply.
    const QByteArray full = render(validFile(), {});
    const QByteArray truncated = full.left(full.indexOf("Baudrate=38400") + 11);
    v = fourCells();
    EXPECT_TRUE(ReadIniFile(v, ProfileDocument::fromBytes(truncated), ProfileDocument(), kFolder));
    EXPECT_EQ(v.setting.Baudrate, 38);
    EXPECT_EQ(v.setting.TimeOut, 500);
    EXPECT_EQ(v.MemoryAreaNames[0], "*****"); // no label file
    EXPECT_EQ(v.TestCommSettings, "9600,E,8,1");

    // Binary data has no sections: the same as no file at all.
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 251);
    ProgramValues fromBinary = fourCells();
    ProgramValues fromNothing = fourCells();
    EXPECT_TRUE(
        ReadIniFile(fromBinary, ProfileDocument::fromBytes(binary), ProfileDocument(), kFolder));
    EXPECT_TRUE(ReadIniFile(fromNothing, ProfileDocument(), ProfileDocument(), kFolder));
    EXPECT_EQ(fromBinary, fromNothing);
    EXPECT_EQ(fromNothing.setting, initialSettings(kFolder));
}

class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString folder() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath("TorvikSetting.ini"); }
    QByteArray contents() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
    }
    void write(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // What the closing screen does: the three writers in order.
    void writeAtExit(const ProgramValues& v) const {
        RegistrationTexts boxes;
        for (std::size_t i = 0; i < kDlcSlots; ++i) {
            boxes.serialNo[i] = v.serialNo[i];
            boxes.slaveAddress[i] = v.slaveAddress[i] ? QString::number(v.slaveAddress[i]) : "";
        }
        EXPECT_TRUE(WriteIniFile(v, boxes, folder()));
        EXPECT_TRUE(WriteIniFile2(v, folder()));
        EXPECT_TRUE(WriteIniFile3(v, folder()));
    }

private:
    QTemporaryDir m_dir;
};

// A fresh install has no settings file: the settings screen's initial values (38400 baud,
// 100 ms polls, the program's own data folder) and empty load-cell rows that the registration
// screen lets the operator leave; at exit the file is created with every key.
TEST_F(SettingsFolder, AbsentFileStartsWithTheInitialValuesAndIsCreatedWithThemAtExit) {
    ProgramValues v = fourCells();
    EXPECT_TRUE(ReadIniFile(v, folder()));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(v.serialNo[static_cast<std::size_t>(k)], "0");
        EXPECT_EQ(v.slaveAddress[static_cast<std::size_t>(k)], k + 1);
    }
    EXPECT_EQ(v.setting, initialSettings(folder()));
    EXPECT_EQ(v.setting.DirName, folder() + "/Data/");
    EXPECT_EQ(v.list[0], folder() + "/Data/");
    EXPECT_EQ(v.ModbusCommSettings, "38400,E,8,1");
    EXPECT_EQ(v.PollIntervalMs, "100");
    EXPECT_EQ(v.TestTerminator, "\r\n");
    EXPECT_EQ(v.tab2.cmbNo, 1);
    writeAtExit(v);
    const std::string written = contents().toStdString();
    EXPECT_NE(written.find("[SERIALNO]\n1=0\n2=0\n3=0\n4=0\n"), std::string::npos) << written;
    EXPECT_NE(written.find("[SETTINGS]\nBPS300=False\nBaudrate=38400\nDatabit=8\nStopbit=1\n"
                           "Parity=E\nComport=1\nErrCond1=True\nCommData=100\nCommDataUnit=M\n"
                           "CommSync=50\nFileName=DLC_\nSerialLen=4\nStartNo=1\n"),
              std::string::npos)
        << written;
    ProgramValues back = fourCells();
    EXPECT_TRUE(ReadIniFile(back, folder()));
    EXPECT_EQ(back, v);
}

// A present file keeps its own rules: the keys it lacks take the table's defaults, and an
// address the eight-cell rows of a four-cell file lack does not end the read.
TEST_F(SettingsFolder, PresentFileLackingKeysTakesTheirDefaults) {
    write("[SERIALNO]\n1=1001\n[SLAVEADDRESS]\n1=7\n[TAB1]\n1=True\n");
    ProgramValues v = fourCells();
    v.ProgramVariant = 2;
    v.MaxDlcIndex = 7;
    EXPECT_TRUE(ReadIniFile(v, folder()));
    EXPECT_EQ(v.serialNo[0], "1001");
    EXPECT_EQ(v.slaveAddress[0], 7);
    EXPECT_EQ(v.serialNo[7], "0"); // a row the file does not know holds no load cell
    EXPECT_EQ(v.slaveAddress[7], 8);
    EXPECT_EQ(v.setting.Baudrate, 128);
    EXPECT_EQ(v.setting.CommData, 50);
    EXPECT_EQ(v.setting.TimeOut, 500);
    EXPECT_TRUE(v.tab1.chkSelect[0]);
}

// Read, write at exit, read again: the same values, in every variant; keys only read (TAB4
// link keys, the command table) and keys of other variants stay in the file untouched.
TEST_F(SettingsFolder, WrittenFileReadsBackTheSame) {
    for (const int variant : {0, 1, 2}) {
        SCOPED_TRACE(variant);
        const QByteArray original = render(validFile(), {{"SERIALNO", "5", "A0005"},
                                                         {"SLAVEADDRESS", "5", "5"},
                                                         {"SLAVEADDRESS", "6", "6"},
                                                         {"SLAVEADDRESS", "7", "7"},
                                                         {"SLAVEADDRESS", "8", "8"}});
        write(original);
        ProgramValues first;
        first.ProgramVariant = static_cast<std::int16_t>(variant);
        first.MaxDlcIndex = static_cast<std::int16_t>(variant == 2 ? 7 : 3);
        ASSERT_TRUE(ReadIniFile(first, folder()));
        writeAtExit(first);
        ProgramValues second;
        second.ProgramVariant = first.ProgramVariant;
        second.MaxDlcIndex = first.MaxDlcIndex;
        ASSERT_TRUE(ReadIniFile(second, folder()));
        EXPECT_EQ(first, second);
        const QByteArray written = contents();
        EXPECT_TRUE(written.contains("[COMMAND]\n1=12\n2= MSV? \n3=01\n"));
        EXPECT_TRUE(written.contains("Terminator=CR\n"));
        EXPECT_TRUE(written.contains("\n4=1.5\nCOM=3\n"));
        EXPECT_EQ(written.contains("14=10\n"), variant == 2); // TAB3 address "0010" -> "10"
        EXPECT_EQ(written.contains("14=0010\n"), variant != 2);
    }
}

// Every key of a file as (SECTION, KEY) -> value, names in upper case as the reader sees them.
std::map<std::pair<QString, QString>, QString> keysOf(const QByteArray& bytes) {
    std::map<std::pair<QString, QString>, QString> out;
    QString section;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).toUpper();
        } else if (const auto eq = line.indexOf(u'='); eq > 0) {
            out.try_emplace({section, line.left(eq).trimmed().toUpper()}, line.mid(eq + 1));
        }
    }
    return out;
}

ProgramValues ofVariant(int variant) {
    ProgramValues v;
    v.ProgramVariant = static_cast<std::int16_t>(variant);
    v.MaxDlcIndex = static_cast<std::int16_t>(variant == 2 ? 7 : 3);
    return v;
}

// A file written by one variant, then read and written back at exit by another: every key the
// first wrote has its value still (the second may add keys of its own). The eight-cell rows,
// their selections and the eight-cell program's information-tab choice survive the four-cell
// programs; the test tab's keys survive the others.
TEST_F(SettingsFolder, EveryVariantKeepsTheKeysOfTheOthers) {
    const QByteArray seed = render(validFile(), {{"SERIALNO", "5", "A0005"},
                                                 {"SERIALNO", "8", "A0008"},
                                                 {"SLAVEADDRESS", "5", "15"},
                                                 {"SLAVEADDRESS", "6", "16"},
                                                 {"SLAVEADDRESS", "7", "17"},
                                                 {"SLAVEADDRESS", "8", "18"},
                                                 {"TAB1", "6", "True"},
                                                 {"TAB1", "7", "False"},
                                                 {"TAB1", "8", "True"},
                                                 {"TAB2", "0", "7"},
                                                 // as the custom tab writes its addresses
                                                 {"TAB3", "13", "1"},
                                                 {"TAB3", "14", "10"}});
    for (const int writer : {0, 1, 2}) {
        for (const int reader : {0, 1, 2}) {
            SCOPED_TRACE(std::to_string(writer) + " then " + std::to_string(reader));
            write(seed);
            ProgramValues first = ofVariant(writer);
            ASSERT_TRUE(ReadIniFile(first, folder()));
            writeAtExit(first);
            const auto written = keysOf(contents());
            ProgramValues second = ofVariant(reader);
            ASSERT_TRUE(ReadIniFile(second, folder()));
            writeAtExit(second);
            const auto after = keysOf(contents());
            for (const auto& [key, value] : written) {
                const auto found = after.find(key);
                ASSERT_NE(found, after.end())
                    << key.first.toStdString() << "/" << key.second.toStdString();
                EXPECT_EQ(found->second.toStdString(), value.toStdString())
                    << key.first.toStdString() << "/" << key.second.toStdString();
            }
            // The eight-cell program's choices: load cell 7 on the information tab, row 8 ticked.
            EXPECT_EQ(after.at({"TAB2", "0"}), "7");
            EXPECT_EQ(after.at({"TAB1", "8"}), "True");
        }
    }
}

// A bad value in the middle of SETTINGS, then the exit write: the key takes its default, every
// other key of the file (those after it above all) keeps what the file held.
TEST_F(SettingsFolder, BadValueThenExitKeepsEveryOtherStoredValue) {
    write(render(validFile(), {{"SETTINGS", "CommSync", "fifty"}}));
    const auto before = keysOf(contents());
    ProgramValues v = fourCells();
    EXPECT_FALSE(ReadIniFile(v, folder()));
    writeAtExit(v);
    const auto after = keysOf(contents());
    for (const auto& [key, value] : before) {
        if (key == std::pair<QString, QString>{"SETTINGS", "COMMSYNC"}) {
            EXPECT_EQ(after.at(key), "50");
            continue;
        }
        ASSERT_TRUE(after.count(key)) << key.first.toStdString() << "/" << key.second.toStdString();
        EXPECT_EQ(after.at(key).toStdString(), value.toStdString())
            << key.first.toStdString() << "/" << key.second.toStdString();
    }
}

TEST_F(SettingsFolder, WritersWriteWhatTheyHold) {
    ProgramValues v = fourCells();
    v.ProgramVariant = 1;
    v.setting.FileName = "MEASUREMENT_"; // longer than the 9 characters read back
    v.tab1.chkSelect[6] = true;          // written although four-cell variants do not read it
    v.tab4.txtCC = 1.0f;
    v.tab4.Length = 7; // only read, never written
    RegistrationTexts boxes;
    boxes.serialNo[0] = "S-1";
    boxes.slaveAddress = {"007", "2", "3", "4"};
    boxes.serialNo[5] = "beyond the four rows";
    EXPECT_TRUE(WriteIniFile(v, boxes, folder()));
    EXPECT_TRUE(WriteIniFile2(v, folder()));
    EXPECT_TRUE(WriteIniFile3(v, folder()));
    const QByteArray written = contents();
    EXPECT_TRUE(written.contains("[SERIALNO]\n1=S-1\n2=\n3=\n4=\n\n"));
    EXPECT_TRUE(written.contains("[SLAVEADDRESS]\n1=007\n2=2\n"));
    EXPECT_TRUE(written.contains("FileName=MEASUREMENT_\n"));
    EXPECT_TRUE(written.contains("7=True\n"));
    EXPECT_TRUE(written.contains("[TAB4]\n0=0\n1=0\n2=False\n3=False\n4=1\nCOM=0\nSendDataInt=0\n"
                                 "SendDataDec=0\nSendDataPolarity=0\n"));
    EXPECT_FALSE(written.contains("Length"));
    EXPECT_FALSE(written.contains("[TAB3]"));

    ProgramValues back = fourCells();
    back.ProgramVariant = 1;
    EXPECT_TRUE(ReadIniFile(back, folder()));
    EXPECT_EQ(back.setting.FileName, "MEASUREME");
    EXPECT_EQ(back.slaveAddress[0], 7);
}

TEST_F(SettingsFolder, ShiftJisFileKeepsItsEncoding) {
    QStringEncoder sjis("Shift_JIS");
    const QByteArray original = render(
        validFile(), {{"LIST", "1", u"/データ/測定"_qs}, {"SETTINGS", "FileName", u"測定_"_qs}});
    write(QByteArray(sjis.encode(QString::fromUtf8(original))));
    ProgramValues v = fourCells();
    ASSERT_TRUE(ReadIniFile(v, folder()));
    EXPECT_EQ(v.list[0], u"/データ/測定"_qs);
    v.list[1] = u"/結果"_qs;
    EXPECT_TRUE(WriteIniFile2(v, folder()));
    const QByteArray written = contents();
    EXPECT_TRUE(written.contains(QByteArray(sjis.encode(u"1=/データ/測定\n2=/結果\n"_qs))));
    EXPECT_TRUE(written.contains(QByteArray(sjis.encode(u"FileName=測定_\n"_qs))));
}

TEST_F(SettingsFolder, UnreadableFileIsNotReplaced) {
    ASSERT_TRUE(QDir().mkdir(path())); // a folder where the file should be
    ProgramValues v = fourCells();
    EXPECT_FALSE(ReadIniFile(v, folder()));
    EXPECT_FALSE(WriteIniFile2(v, folder()));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

} // namespace
