#include "config/ProfileForms.h"
#include "config/ProgramFolder.h"
#include "config/SettingsFile.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace torvik::mdlFileMgr {
namespace {

using config::ProfileDocument;

QString keyOf(int n) {
    return QString::number(n);
}

// The shortest decimal text that reads back as the same single-precision number ("1", "0.1",
// "1e-05"), so a value survives a save and the next start unchanged.
QString singleText(float value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc{} ? QString::fromLatin1(buf, end - buf) : QStringLiteral("0");
}

// Loads the file, lets `write` set its keys, and replaces the file with the result.
bool updateFile(const QString& programFolder, const std::function<void(ProfileDocument&)>& write) {
    const QString path = config::settingsFilePath(programFolder);
    ProfileDocument doc = ProfileDocument::load(path);
    if (doc.source() == ProfileDocument::Source::Unreadable)
        return false;
    write(doc);
    return doc.save(path);
}

void writeTab1(const ProgramValues& v, ProfileDocument& doc) {
    for (int n = 1; n <= 8; ++n)
        doc.writeString(u"TAB1", keyOf(n),
                        flagText(v.tab1.chkSelect[static_cast<std::size_t>(n - 1)]));
    for (int n = 9; n <= 12; ++n)
        doc.writeString(u"TAB1", keyOf(n),
                        flagText(v.tab1.chkRead[static_cast<std::size_t>(n - 9)]));
}

void writeTab2(const ProgramValues& v, ProfileDocument& doc) {
    // A load cell of the eight-cell program that this one showed as cell 1 stays chosen there.
    const bool keepFileChoice = v.tab2.cmbNoInFile != 0 && v.tab2.cmbNo == 1;
    doc.writeString(u"TAB2", u"0",
                    QString::number(keepFileChoice ? v.tab2.cmbNoInFile : v.tab2.cmbNo));
    for (int n = 1; n <= 8; ++n)
        doc.writeString(u"TAB2", keyOf(n),
                        flagText(v.tab2.chkSelectInfo[static_cast<std::size_t>(n - 1)]));
    doc.writeString(u"TAB2", u"9", flagText(v.tab2.optInput0));
    doc.writeString(u"TAB2", u"10", flagText(v.tab2.chkReadInfo[0]));
    doc.writeString(u"TAB2", u"11", flagText(v.tab2.chkReadInfo[1]));
}

void writeTab3(const ProgramValues& v, ProfileDocument& doc) {
    const Tab3State& t = v.tab3;
    auto rows = [&doc](int base, const std::function<QString(std::size_t)>& text) {
        for (int row = 0; row < 4; ++row)
            doc.writeString(u"TAB3", keyOf(base + row), text(static_cast<std::size_t>(row)));
    };
    rows(1, [&t](std::size_t r) { return QString::number(t.cmbNoCustom[r]); });
    rows(5, [&t](std::size_t r) { return flagText(t.chkSelectCustom[r]); });
    rows(9, [&t](std::size_t r) { return QString::number(t.cmbMem[r]); });
    rows(13, [&t](std::size_t r) { return QString::number(t.txtAddr[r]); });
    rows(17, [&t](std::size_t r) { return QString::number(t.cmbLen[r]); });
    rows(21, [&t](std::size_t r) { return t.optFormat[r]; });
    doc.writeString(u"TAB3", u"25", flagText(t.chkReadCustom[0]));
    doc.writeString(u"TAB3", u"26", flagText(t.chkReadCustom[1]));
    rows(27, [&t](std::size_t r) { return QString::number(t.reserved[r]); });
}

// The link keys (BaudRate, Length, Parity, Terminator, StopBit, DisplayPolarity) are only
// changed by editing the file.
void writeTab4(const ProgramValues& v, ProfileDocument& doc) {
    const Tab4State& t = v.tab4;
    doc.writeString(u"TAB4", u"0", QString::number(t.cmbNoTest));
    doc.writeString(u"TAB4", u"1", QString::number(t.txtWaitTime));
    doc.writeString(u"TAB4", u"2", flagText(t.chkStatus));
    doc.writeString(u"TAB4", u"3", flagText(t.chkSync));
    doc.writeString(u"TAB4", u"4", singleText(t.txtCC));
    doc.writeString(u"TAB4", u"COM", QString::number(t.cmbCom));
    doc.writeString(u"TAB4", u"SendDataInt", QString::number(t.cmbInt));
    doc.writeString(u"TAB4", u"SendDataDec", QString::number(t.cmbDec));
    doc.writeString(u"TAB4", u"SendDataPolarity", QString::number(t.cmbPolarity));
}

} // namespace

bool WriteIniFile(const ProgramValues& v, const RegistrationTexts& boxes,
                  const QString& programFolder) {
    const int count = std::clamp(v.MaxDlcIndex + 1, 0, static_cast<int>(kDlcSlots));
    return updateFile(programFolder, [&](ProfileDocument& doc) {
        for (int n = 1; n <= count; ++n)
            doc.writeString(u"SERIALNO", keyOf(n), boxes.serialNo[static_cast<std::size_t>(n - 1)]);
        for (int n = 1; n <= count; ++n)
            doc.writeString(u"SLAVEADDRESS", keyOf(n),
                            boxes.slaveAddress[static_cast<std::size_t>(n - 1)]);
    });
}

bool WriteIniFile(const RegistrationTexts& boxes) {
    return WriteIniFile(programValues(), boxes, config::programFolder());
}

bool WriteIniFile2(const ProgramValues& v, const QString& programFolder) {
    const SettingsSection& s = v.setting;
    return updateFile(programFolder, [&](ProfileDocument& doc) {
        auto put = [&doc](QStringView key, const QString& value) {
            doc.writeString(u"SETTINGS", key, value);
        };
        put(u"BPS300", flagText(s.BPS300));
        put(u"Baudrate", QString::number(s.Baudrate));
        put(u"Databit", QString::number(s.Databit));
        put(u"Stopbit", QString::number(s.Stopbit));
        put(u"Parity", s.Parity);
        put(u"Comport", QString::number(s.Comport));
        put(u"ErrCond1", flagText(s.ErrCond1));
        put(u"CommData", QString::number(s.CommData));
        put(u"CommDataUnit", s.CommDataUnit);
        put(u"CommSync", QString::number(s.CommSync));
        put(u"FileName", s.FileName);
        put(u"SerialLen", QString::number(s.SerialLen));
        put(u"StartNo", QString::number(s.StartNo));
        put(u"DirName", s.DirName);
        put(u"DataFormat1", flagText(s.DataFormat1));
        put(u"DataFormat2", flagText(s.DataFormat2));
        put(u"DP", QString::number(s.DP));
        put(u"DataKind", s.DataKind);
        put(u"DataUnit", flagText(s.DataUnit));
        put(u"WaitTime", QString::number(s.WaitTime));
        put(u"TimeOut", QString::number(s.TimeOut));
        for (int n = 1; n <= 10; ++n)
            doc.writeString(u"LIST", keyOf(n), v.list[static_cast<std::size_t>(n - 1)]);
    });
}

bool WriteIniFile2() {
    return WriteIniFile2(programValues(), config::programFolder());
}

bool WriteIniFile3(const ProgramValues& v, const QString& programFolder) {
    return updateFile(programFolder, [&](ProfileDocument& doc) {
        writeTab1(v, doc);
        writeTab2(v, doc);
        if (v.ProgramVariant == 1)
            writeTab4(v, doc);
        else if (v.ProgramVariant == 2)
            writeTab3(v, doc);
    });
}

bool WriteIniFile3() {
    return WriteIniFile3(programValues(), config::programFolder());
}

} // namespace torvik::mdlFileMgr
