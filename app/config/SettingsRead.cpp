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

// A failed conversion ends the read: `if (!take(...)) return false;` leaves `out` untouched.
template <typename T>
bool take(const std::optional<T>& converted, T& out) {
    if (!converted)
        return false;
    out = *converted;
    return true;
}

QString keyOf(int n) {
    return QString::number(n);
}

// The keyed reads of one section, in the forms the settings file uses.
class SectionReader {
public:
    SectionReader(const ProfileDocument& doc, QStringView section)
        : m_doc(doc), m_section(section) {}

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
    std::optional<std::int32_t> integer(QStringView key, QStringView def, qsizetype chars) const {
        return toInt32(raw(key, def, chars));
    }
    std::optional<std::int32_t> firstDigit(QStringView key, QStringView def,
                                           qsizetype chars) const {
        return toInt32(letter(key, def, chars));
    }
    std::int32_t profileInt(QStringView key, std::int32_t def) const {
        return m_doc.getInt(m_section, key, def);
    }

private:
    const ProfileDocument& m_doc;
    QStringView m_section;
};

// Keys "1" to MaxDlcIndex + 1; the tables hold nine entries whatever the variant says.
int dlcCount(const ProgramValues& v) {
    return std::clamp(static_cast<int>(v.MaxDlcIndex) + 1, 0, static_cast<int>(kDlcSlots));
}

bool readRegistration(ProgramValues& v, const ProfileDocument& doc) {
    const SectionReader serial(doc, u"SERIALNO");
    for (int n = 1; n <= dlcCount(v); ++n)
        v.serialNo[static_cast<std::size_t>(n - 1)] = serial.text(keyOf(n), u"", 12);
    // Without any settings file (a fresh install) no address is registered yet: the empty
    // address is not a bad value then, and every later key takes its default. Abandoning here
    // would leave the port settings empty and write them back that way at exit.
    const bool fresh = doc.source() == ProfileDocument::Source::Missing;
    const SectionReader address(doc, u"SLAVEADDRESS");
    for (int n = 1; n <= dlcCount(v); ++n) {
        const QString text = address.raw(keyOf(n), u"", 3);
        if (fresh && text.isEmpty())
            continue;
        if (!take(toInt16(text), v.slaveAddress[static_cast<std::size_t>(n - 1)]))
            return false;
    }
    return true;
}

bool readSettings(ProgramValues& v, const ProfileDocument& doc, const QString& folder) {
    SettingsSection& s = v.setting;
    const SectionReader r(doc, u"SETTINGS");
    s.BPS300 = r.flag(u"BPS300", u"True", 9);
    if (!take(toInt32(trimSpaces(r.raw(u"Baudrate", u"128", 9))), s.Baudrate))
        return false;
    s.Baudrate = std::max(s.Baudrate, 1);
    if (!take(r.firstDigit(u"Databit", u"8", 9), s.Databit) ||
        !take(r.firstDigit(u"Stopbit", u"1", 9), s.Stopbit))
        return false;
    s.Parity = r.letter(u"Parity", u"E", 9);
    if (!take(r.integer(u"Comport", u"1", 9), s.Comport))
        return false;
    s.ErrCond1 = r.flag(u"ErrCond1", u"True", 9);
    if (!take(r.integer(u"CommData", u"50", 9), s.CommData))
        return false;
    s.CommDataUnit = r.letter(u"CommDataUnit", u"S", 9);
    if (!take(r.integer(u"CommSync", u"50", 9), s.CommSync))
        return false;
    s.FileName = r.text(u"FileName", u"DLC_", 9);
    if (!take(r.integer(u"SerialLen", u"1", 9), s.SerialLen) ||
        !take(r.integer(u"StartNo", u"1", 9), s.StartNo))
        return false;
    s.DirName = r.text(u"DirName", QString(folder + QStringLiteral("/Data/")), 99);
    s.DataFormat1 = r.flag(u"DataFormat1", u"True", 9);
    s.DataFormat2 = r.flag(u"DataFormat2", u"True", 9);
    if (!take(toInt16(r.letter(u"DP", u"2", 9)), s.DP))
        return false;
    s.DataKind = r.letter(u"DataKind", u"R", 9);
    s.DataUnit = r.flag(u"DataUnit", u"True", 9);
    return take(r.integer(u"WaitTime", u"50", 9), s.WaitTime) &&
           take(r.integer(u"TimeOut", u"500", 9), s.TimeOut);
}

void readList(ProgramValues& v, const ProfileDocument& doc) {
    const SectionReader r(doc, u"LIST");
    for (int n = 1; n <= 10; ++n)
        v.list[static_cast<std::size_t>(n - 1)] = r.text(keyOf(n), u"", 99);
}

void readTab1(ProgramValues& v, const ProfileDocument& doc) {
    const SectionReader r(doc, u"TAB1");
    for (int n = 1; n <= dlcCount(v); ++n)
        v.tab1.chkSelect[static_cast<std::size_t>(n - 1)] = r.flag(keyOf(n), u"False", 5);
    v.tab1.chkRead[0] = r.flag(u"9", u"0", 5);
    for (int n = 10; n <= 12; ++n)
        v.tab1.chkRead[static_cast<std::size_t>(n - 9)] = r.flag(keyOf(n), u"False", 5);
}

void readTab2(ProgramValues& v, const ProfileDocument& doc) {
    const SectionReader r(doc, u"TAB2");
    // A number below 0 would point before the start of the list; 0 is "nothing chosen".
    const QString no = r.raw(u"0", u"1", 5);
    const auto n = runtime::isNumeric(no) ? toInt32(no) : std::nullopt;
    v.tab2.cmbNo = n && *n >= 0 && *n <= v.MaxDlcIndex ? *n : 1;
    for (int k = 1; k <= 8; ++k)
        v.tab2.chkSelectInfo[static_cast<std::size_t>(k - 1)] = r.flag(keyOf(k), u"True", 5);
    v.tab2.optInput0 = r.flag(u"9", u"False", 5);
    v.tab2.chkReadInfo[0] = r.flag(u"10", u"False", 5);
    v.tab2.chkReadInfo[1] = r.flag(u"11", u"False", 5);
}

bool readTab3(ProgramValues& v, const ProfileDocument& doc) {
    Tab3State& t = v.tab3;
    const SectionReader r(doc, u"TAB3");
    for (int row = 0; row < 4; ++row)
        if (!take(r.integer(keyOf(1 + row), u"1", 9), t.cmbNoCustom[static_cast<std::size_t>(row)]))
            return false;
    for (int row = 0; row < 4; ++row)
        t.chkSelectCustom[static_cast<std::size_t>(row)] = r.flag(keyOf(5 + row), u"True", 9);
    for (int row = 0; row < 4; ++row)
        if (!take(r.integer(keyOf(9 + row), u"1", 19), t.cmbMem[static_cast<std::size_t>(row)]))
            return false;
    for (int row = 0; row < 4; ++row)
        if (!take(r.integer(keyOf(13 + row), u"0001", 9), t.txtAddr[static_cast<std::size_t>(row)]))
            return false;
    for (int row = 0; row < 4; ++row)
        if (!take(r.integer(keyOf(17 + row), u"2", 9), t.cmbLen[static_cast<std::size_t>(row)]))
            return false;
    for (int row = 0; row < 4; ++row)
        t.optFormat[static_cast<std::size_t>(row)] = r.letter(keyOf(21 + row), u"F", 5);
    t.chkReadCustom[0] = r.flag(u"25", u"False", 5);
    t.chkReadCustom[1] = r.flag(u"26", u"False", 5);
    for (int row = 0; row < 4; ++row)
        if (!take(r.integer(keyOf(27 + row), u"1", 1), t.reserved[static_cast<std::size_t>(row)]))
            return false;
    return true;
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

bool readTab4(ProgramValues& v, const ProfileDocument& doc) {
    Tab4State& t = v.tab4;
    const SectionReader r(doc, u"TAB4");
    t.cmbNoTest = std::max(r.profileInt(u"0", -1), 0);
    t.txtWaitTime = r.profileInt(u"1", 30);
    t.chkStatus = r.flag(u"2", u"True", 4);
    t.registerCount = t.chkStatus ? 3 : 2;
    t.chkSync = r.flag(u"3", u"True", 4);
    const QString cc = trimSpaces(r.raw(u"4", u"1.0", 8));
    if (!runtime::isNumeric(cc))
        t.txtCC = 1.0f;
    else if (!take(runtime::toSingle(cc), t.txtCC))
        return false;
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
    return true;
}

bool readCommandTable(ProgramValues& v, const ProfileDocument& doc) {
    CommandTable& t = v.commands;
    const SectionReader ctrl(doc, u"CTRL");
    for (int k = 0; k < 12; ++k)
        t.hex[static_cast<std::size_t>(k)] = ctrl.flag(keyOf(k + 1), u"", 4);
    const SectionReader command(doc, u"COMMAND");
    for (int k = 0; k < 12; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString text = command.text(keyOf(k + 1), u"", 31);
        if (!t.hex[i])
            t.command[i] = text;
        else if (!take(hexCommand(text), t.command[i]))
            return false;
    }
    const SectionReader response(doc, u"RESPONSE");
    for (int k = 0; k < 12; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString text = response.text(keyOf(k + 1), u"0", 31);
        if (!t.hex[i])
            t.response[i] = text;
        else if (!take(hexResponse(text), t.response[i]))
            return false;
    }
    return true;
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

bool ReadIniFile(ProgramValues& v, const ProfileDocument& settingsFile,
                 const ProfileDocument& labelFile, const QString& programFolder) {
    if (!readRegistration(v, settingsFile) || !readSettings(v, settingsFile, programFolder))
        return false;
    deriveSettingsValues(v);
    readList(v, settingsFile);
    readTab1(v, settingsFile);
    readTab2(v, settingsFile);
    if (!readTab3(v, settingsFile))
        return false;
    readMemoryAreaNames(v, labelFile);
    return readTab4(v, settingsFile) && readCommandTable(v, settingsFile);
}

bool ReadIniFile(ProgramValues& values, const QString& programFolder) {
    return ReadIniFile(values, ProfileDocument::load(config::settingsFilePath(programFolder)),
                       ProfileDocument::load(config::labelFilePath(programFolder)), programFolder);
}

bool ReadIniFile() {
    return ReadIniFile(programValues(), config::programFolder());
}

} // namespace torvik::mdlFileMgr
