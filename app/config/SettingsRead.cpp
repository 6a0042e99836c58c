#include "config/CommandTable.h"
#include "config/ProfileForms.h"
#include "config/ProgramFolder.h"
#include "config/SettingsFile.h"
#include "runtime/NumericText.h"

#include <algorithm>

namespace torvik::mdlFileMgr {
namespace {

using config::ProfileDocument;
using runtime::toInt16;
using runtime::toInt32;

QString keyOf(int n) {
    return QString::number(n);
}

// The keyed reads of one section, in the forms the settings file uses. A present value that
// does not convert counts as missing: the key's default is taken and the read is marked
// incomplete, but it goes on.
class SectionReader {
public:
    SectionReader(const ProfileDocument& doc, QStringView section, bool& complete)
        : m_doc(doc), m_section(section), m_complete(complete) {}

    QString raw(QStringView key, QStringView def, qsizetype chars) const {
        return m_doc.getString(m_section, key, def, chars);
    }
    QString text(QStringView key, QStringView def, qsizetype chars) const {
        return readText(m_doc, m_section, key, def, chars);
    }
    bool flag(QStringView key, QStringView def, qsizetype chars) const {
        return readFlag(m_doc, m_section, key, def, chars);
    }
    QString letter(QStringView key, QStringView def, qsizetype chars) const {
        return firstCharacter(raw(key, def, chars));
    }
    std::int32_t integer(QStringView key, QStringView def, qsizetype chars) const {
        return converted(toInt32(raw(key, def, chars)), toInt32(def));
    }
    std::int32_t firstDigit(QStringView key, QStringView def, qsizetype chars) const {
        return converted(toInt32(letter(key, def, chars)), toInt32(firstCharacter(def)));
    }
    std::int32_t profileInt(QStringView key, std::int32_t def) const {
        return m_doc.getInt(m_section, key, def);
    }
    bool has(QStringView key) const { return m_doc.hasKey(m_section, key); }

    // The value, or when it did not convert the default's value (zero when none).
    template <typename T>
    T converted(const std::optional<T>& value, const std::optional<T>& fallback) const {
        if (value)
            return *value;
        m_complete = false;
        return fallback.value_or(T{});
    }

private:
    const ProfileDocument& m_doc;
    QStringView m_section;
    bool& m_complete;
};

// Keys "1" to MaxDlcIndex + 1; the tables hold nine entries whatever the variant says.
int dlcCount(const ProgramValues& v) {
    return std::clamp(static_cast<int>(v.MaxDlcIndex) + 1, 0, static_cast<int>(kDlcSlots));
}

// A row that holds no load cell, as "initialise everything" leaves it.
void emptyRow(ProgramValues& v, int n) {
    v.serialNo[static_cast<std::size_t>(n - 1)] = QStringLiteral("0");
    v.slaveAddress[static_cast<std::size_t>(n - 1)] = static_cast<std::int16_t>(n);
}

void readRegistration(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    const SectionReader serial(doc, u"SERIALNO", complete);
    const SectionReader address(doc, u"SLAVEADDRESS", complete);
    for (int n = 1; n <= dlcCount(v); ++n) {
        if (!serial.has(keyOf(n)) && !address.has(keyOf(n))) {
            emptyRow(v, n);
            continue;
        }
        const auto i = static_cast<std::size_t>(n - 1);
        v.serialNo[i] = serial.text(keyOf(n), u"", 12);
        if (address.has(keyOf(n)))
            v.slaveAddress[i] = address.converted(toInt16(address.raw(keyOf(n), u"", 3)), {});
    }
}

void readSettings(ProgramValues& v, const ProfileDocument& doc, const QString& folder,
                  bool& complete) {
    SettingsSection& s = v.setting;
    const SectionReader r(doc, u"SETTINGS", complete);
    s.BPS300 = r.flag(u"BPS300", u"True", 9);
    s.Baudrate =
        std::max(r.converted(toInt32(trimSpaces(r.raw(u"Baudrate", u"128", 9))), {128}), 1);
    s.Databit = r.firstDigit(u"Databit", u"8", 9);
    s.Stopbit = r.firstDigit(u"Stopbit", u"1", 9);
    s.Parity = r.letter(u"Parity", u"E", 9);
    s.Comport = r.integer(u"Comport", u"1", 9);
    s.ErrCond1 = r.flag(u"ErrCond1", u"True", 9);
    s.CommData = r.integer(u"CommData", u"50", 9);
    s.CommDataUnit = r.letter(u"CommDataUnit", u"S", 9);
    s.CommSync = r.integer(u"CommSync", u"50", 9);
    s.FileName = r.text(u"FileName", u"DLC_", 9);
    s.SerialLen = r.integer(u"SerialLen", u"1", 9);
    s.StartNo = r.integer(u"StartNo", u"1", 9);
    s.DirName = r.text(u"DirName", QString(folder + QStringLiteral("/Data/")), 99);
    s.DataFormat1 = r.flag(u"DataFormat1", u"True", 9);
    s.DataFormat2 = r.flag(u"DataFormat2", u"True", 9);
    s.DP = r.converted(toInt16(r.letter(u"DP", u"2", 9)), toInt16(u"2"));
    s.DataKind = r.letter(u"DataKind", u"R", 9);
    s.DataUnit = r.flag(u"DataUnit", u"True", 9);
    s.WaitTime = r.integer(u"WaitTime", u"50", 9);
    s.TimeOut = r.integer(u"TimeOut", u"500", 9);
}

void readList(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    const SectionReader r(doc, u"LIST", complete);
    for (int n = 1; n <= 10; ++n)
        v.list[static_cast<std::size_t>(n - 1)] = r.text(keyOf(n), u"", 99);
}

// All eight selections are read, whatever the variant, so that a program with fewer rows
// writes the others back as they were.
void readTab1(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    const SectionReader r(doc, u"TAB1", complete);
    for (int n = 1; n <= 8; ++n)
        v.tab1.chkSelect[static_cast<std::size_t>(n - 1)] = r.flag(keyOf(n), u"False", 5);
    v.tab1.chkRead[0] = r.flag(u"9", u"0", 5);
    for (int n = 10; n <= 12; ++n)
        v.tab1.chkRead[static_cast<std::size_t>(n - 9)] = r.flag(keyOf(n), u"False", 5);
}

void readTab2(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    const SectionReader r(doc, u"TAB2", complete);
    // The list's entries are load cells 1 to MaxDlcIndex + 1; 0 is "nothing chosen", a number
    // below it would point before the start of the list.
    const QString no = r.raw(u"0", u"1", 5);
    const auto n = runtime::isNumeric(no) ? toInt32(no) : std::nullopt;
    v.tab2.cmbNo = n && *n >= 0 && *n <= v.MaxDlcIndex + 1 ? *n : 1;
    v.tab2.cmbNoInFile = n && *n > v.MaxDlcIndex + 1 && *n <= 8 ? *n : 0;
    for (int k = 1; k <= 8; ++k)
        v.tab2.chkSelectInfo[static_cast<std::size_t>(k - 1)] = r.flag(keyOf(k), u"True", 5);
    v.tab2.optInput0 = r.flag(u"9", u"False", 5);
    v.tab2.chkReadInfo[0] = r.flag(u"10", u"False", 5);
    v.tab2.chkReadInfo[1] = r.flag(u"11", u"False", 5);
}

void readTab3(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    Tab3State& t = v.tab3;
    const SectionReader r(doc, u"TAB3", complete);
    for (std::size_t row = 0; row < 4; ++row) {
        const int k = static_cast<int>(row);
        t.cmbNoCustom[row] = r.integer(keyOf(1 + k), u"1", 9);
        t.chkSelectCustom[row] = r.flag(keyOf(5 + k), u"True", 9);
        t.cmbMem[row] = r.integer(keyOf(9 + k), u"1", 19);
        t.txtAddr[row] = r.integer(keyOf(13 + k), u"0001", 9);
        t.cmbLen[row] = r.integer(keyOf(17 + k), u"2", 9);
        t.optFormat[row] = r.letter(keyOf(21 + k), u"F", 5);
        t.reserved[row] = r.integer(keyOf(27 + k), u"1", 1);
    }
    t.chkReadCustom[0] = r.flag(u"25", u"False", 5);
    t.chkReadCustom[1] = r.flag(u"26", u"False", 5);
}

void readMemoryAreaNames(ProgramValues& v, const ProfileDocument& labels) {
    for (int k = 0; k < 4; ++k)
        v.MemoryAreaNames[static_cast<std::size_t>(k)] =
            readText(labels, u"TAB3", keyOf(16 + k), u"*****", 19);
}

std::int32_t oneOf(std::int32_t value, std::initializer_list<std::int32_t> accepted,
                   std::int32_t otherwise) {
    return std::find(accepted.begin(), accepted.end(), value) != accepted.end() ? value : otherwise;
}

void readTab4(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    Tab4State& t = v.tab4;
    const SectionReader r(doc, u"TAB4", complete);
    t.cmbNoTest = std::max(r.profileInt(u"0", -1), 0);
    t.txtWaitTime = r.profileInt(u"1", 30);
    t.chkStatus = r.flag(u"2", u"True", 4);
    t.registerCount = t.chkStatus ? 3 : 2;
    t.chkSync = r.flag(u"3", u"True", 4);
    const QString cc = trimSpaces(r.raw(u"4", u"1.0", 8));
    t.txtCC = runtime::isNumeric(cc) ? r.converted(runtime::toSingle(cc), {1.0f}) : 1.0f;
    t.cmbCom = r.profileInt(u"COM", 3);
    t.BaudRate =
        oneOf(r.profileInt(u"BaudRate", 9600), {300, 600, 1200, 2400, 4800, 9600, 19200}, 9600);
    t.Length = oneOf(r.profileInt(u"Length", 8), {7, 8}, 8);
    const QString parity = r.letter(u"Parity", u"E", 1);
    t.Parity = parity == u"O" || parity == u"E" ? parity : QStringLiteral("N");
    const QString terminator = r.text(u"Terminator", u"CRLF", 4);
    if (terminator.startsWith(u"CRLF"))
        v.TestTerminator = QStringLiteral("\r\n");
    else if (terminator.first(std::min<qsizetype>(2, terminator.size())) == u"CR")
        v.TestTerminator = QStringLiteral("\r");
    else if (terminator.first(std::min<qsizetype>(2, terminator.size())) == u"LF")
        v.TestTerminator = QStringLiteral("\n");
    else
        v.TestTerminator = QStringLiteral("\r\n");
    t.StopBit = oneOf(r.profileInt(u"StopBit", 0), {1, 2}, 1);
    t.cmbInt = std::max(r.profileInt(u"SendDataInt", -1), 0);
    t.cmbDec = std::max(r.profileInt(u"SendDataDec", -1), 0);
    t.cmbPolarity = std::max(r.profileInt(u"SendDataPolarity", -1), 0);
    t.DisplayPolarity = r.flag(u"DisplayPolarity", u"True", 7);
    v.TestCommSettings =
        QStringLiteral("%1,%2,%3,%4").arg(t.BaudRate).arg(t.Parity).arg(t.Length).arg(t.StopBit);
}

// An entry whose hexadecimal text does not convert is left empty.
void readCommandTable(ProgramValues& v, const ProfileDocument& doc, bool& complete) {
    CommandTable& t = v.commands;
    const SectionReader ctrl(doc, u"CTRL", complete);
    for (int k = 0; k < 12; ++k)
        t.hex[static_cast<std::size_t>(k)] = ctrl.flag(keyOf(k + 1), u"", 4);
    const SectionReader command(doc, u"COMMAND", complete);
    for (int k = 0; k < 12; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString text = command.text(keyOf(k + 1), u"", 31);
        t.command[i] = t.hex[i] ? command.converted(hexCommand(text), {QString()}) : text;
    }
    const SectionReader response(doc, u"RESPONSE", complete);
    for (int k = 0; k < 12; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString text = response.text(keyOf(k + 1), u"0", 31);
        t.response[i] = t.hex[i] ? response.converted(hexResponse(text), {QString()}) : text;
    }
}

} // namespace

void deriveSettingsValues(ProgramValues& v) {
    const SettingsSection& s = v.setting;
    v.ModbusCommSettings =
        QStringLiteral("%1,%2,%3,%4").arg(s.Baudrate).arg(s.Parity).arg(s.Databit).arg(s.Stopbit);
    v.ValueFormat =
        s.DP <= 0 ? QStringLiteral("##0") : QStringLiteral("##0.") + QString(s.DP, u'0');
    // 64-bit product: a 32-bit interval in seconds cannot overflow it.
    const qint64 interval = s.CommDataUnit == u"S" ? qint64{s.CommData} * 1000 : s.CommData;
    v.PollIntervalMs = QString::number(interval);
}

SettingsSection initialSettings(const QString& programFolder) {
    SettingsSection s;
    s.BPS300 = false;
    s.Baudrate = 38400;
    s.Databit = 8;
    s.Stopbit = 1;
    s.Parity = QStringLiteral("E");
    s.Comport = 1;
    s.ErrCond1 = true;
    s.CommData = 100;
    s.CommDataUnit = QStringLiteral("M");
    s.CommSync = 50;
    s.FileName = QStringLiteral("DLC_");
    s.SerialLen = 4;
    s.StartNo = 1;
    s.DirName = programFolder + QStringLiteral("/Data/");
    s.DataFormat1 = true;
    s.DataFormat2 = true;
    s.DP = 2;
    s.DataKind = QStringLiteral("R");
    s.DataUnit = true;
    s.WaitTime = 100;
    s.TimeOut = 500;
    return s;
}

bool ReadIniFile(ProgramValues& v, const ProfileDocument& settingsFile,
                 const ProfileDocument& labelFile, const QString& programFolder) {
    // A file that is there but cannot be read is no first start: it stays as it is (the
    // writers refuse to replace it), and the program works with the initial values meanwhile.
    bool complete = settingsFile.source() != ProfileDocument::Source::Unreadable;
    readRegistration(v, settingsFile, complete);
    if (settingsFile.hasSections()) {
        readSettings(v, settingsFile, programFolder, complete);
        readList(v, settingsFile, complete);
    } else {
        v.setting = initialSettings(programFolder);
        v.list = {};
        v.list[0] = v.setting.DirName;
    }
    deriveSettingsValues(v);
    readTab1(v, settingsFile, complete);
    readTab2(v, settingsFile, complete);
    readTab3(v, settingsFile, complete);
    readMemoryAreaNames(v, labelFile);
    readTab4(v, settingsFile, complete);
    readCommandTable(v, settingsFile, complete);
    return complete;
}

bool ReadIniFile(ProgramValues& values, const QString& programFolder) {
    return ReadIniFile(values, ProfileDocument::load(config::settingsFilePath(programFolder)),
                       ProfileDocument::load(config::labelFilePath(programFolder)), programFolder);
}

bool ReadIniFile() {
    return ReadIniFile(programValues(), config::programFolder());
}

} // namespace torvik::mdlFileMgr
