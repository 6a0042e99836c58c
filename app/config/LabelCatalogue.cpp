#include "config/LabelCatalogue.h"

#include "config/ProfileForms.h"
#include "config/ProgramFolder.h"

namespace torvik::mdlFileMgr {
namespace {

using config::ProfileDocument;

constexpr QStringView kMissing = u"*****";
constexpr qsizetype kLabelChars = 99;

// One catalogue key and the control it sets (key n of a section is entry n - 1 of its table).
struct KeyedControl {
    int key;
    const char* objectName;
};

// Keys "4".."13" of SERIALNO: the menu all three screens carry.
constexpr KeyedControl kMenu[] = {
    {4, "mnu_set1"}, {5, "mnu_tx1"},    {6, "mnu_help1"},  {7, "mnu_no1"}, {8, "mnu_sif1"},
    {9, "mnu_i1"},   {10, "mnu_i1_11"}, {11, "mnu_i1_12"}, {12, "mnu_h1"}, {13, "mnu_v1"},
};

constexpr KeyedControl kFrmMain[] = {
    {1, "lblSerialNo"},
    {2, "lblSlaveAddress"},
    {3, "cmdComm"},
};

constexpr KeyedControl kTab1[] = {
    {1, "lblData"},  {2, "lblStatus"}, {3, "lblCount"},  {4, "lblRead1"},  {5, "lblRead2"},
    {6, "lblRead3"}, {7, "lblRead4"},  {8, "cmdManual"}, {9, "cmdStart"},  {10, "cmdSave"},
    {11, "lblSave"}, {12, "lblOK"},    {13, "lblError"}, {14, "cmdClear"}, {16, "cmdStop"},
};

constexpr KeyedControl kTab2[] = {
    {1, "lblFunc_0"},     {2, "lblFunc_1"},     {3, "lblFunc_2"},     {4, "lblFunc_3"},
    {5, "lblFunc_4"},     {6, "lblFunc_5"},     {7, "lblFunc_6"},     {8, "lblFunc_7"},
    {9, "lblRecvData"},   {10, "lblCountInfo"}, {11, "lblSerial"},    {12, "lblInput"},
    {13, "lblHold"},      {14, "lblReadInfo1"}, {15, "lblReadInfo2"}, {16, "cmdManualInfo"},
    {17, "cmdStartInfo"}, {18, "cmdSaveInfo"},  {19, "lblSaveInfo"},  {20, "lblOKInfo"},
    {21, "lblErrorInfo"}, {22, "cmdClearInfo"}, {23, "cmdStopInfo"},
};

constexpr KeyedControl kTab3[] = {
    {1, "lblMem"},         {2, "lblAddress"},      {3, "lblDataLen"},      {4, "Frame1"},
    {5, "lblReadCuntom1"}, {6, "lblReadCuntom2"},  {7, "cmdManualCustom"}, {8, "lblRecvDataCustom"},
    {9, "lblCountCustom"}, {10, "cmdStartCustom"}, {11, "cmdSaveCustom"},  {12, "lblSaveCustom"},
    {13, "lblOKCustom"},   {14, "lblErrorCustom"}, {15, "cmdClearCustom"},
};

constexpr KeyedControl kTab4[] = {
    {1, "lblRecvDataTest"}, {2, "lblErrorTest"}, {3, "lblOKTest"},    {4, "lblRecvCommand"},
    {5, "lblSendData"},     {6, "cmdClearTest"}, {7, "cmdStartTest"}, {8, "cmdStopTest"},
    {9, "lblCCUnit"},       {10, "Frame7"},      {11, "Label4"},      {12, "Label5"},
    {13, "Label6"},         {17, "lblWaitTime"}, {18, "lblWaitUnit"}, {19, "lblCom"},
    {20, "chkStatus"},      {21, "chkSync"},     {22, "lblCC"},
};

constexpr KeyedControl kFrmSetting[] = {
    {1, "lblHeader1"},  {2, "lblBpsCap"},   {3, "lblHeader5"},  {4, "lblHeader4"},
    {5, "lblComm1"},    {6, "lblComm3"},    {7, "lblComm4"},    {8, "lblComm2"},
    {9, "lblComm5"},    {10, "lblHeader9"}, {11, "lblWait1"},   {12, "lblHeader10"},
    {13, "lblWait2"},   {14, "lblHeader6"}, {15, "lblData1"},   {16, "lblData2"},
    {17, "lblData3"},   {18, "lblData5"},   {19, "cmdDlg"},     {20, "lblData6"},
    {21, "lblData7"},   {22, "lblData8"},   {23, "lblHeader7"}, {24, "lblDp1"},
    {25, "lblHeader8"}, {26, "lblDp2"},     {27, "lblDp3"},     {28, "lblDp4"},
    {29, "lblHeader2"}, {30, "lblError1"},  {31, "cmdComm"},
};

// MESSAGE key -> message-table slot.
struct MessageSlot {
    const char16_t* key;
    std::size_t slot;
};

constexpr MessageSlot kFrmMainMessages[] = {{u"3", 2}, {u"4", 3}, {u"5", 4}, {u"11", 12}};
constexpr MessageSlot kFrmCommMessages[] = {{u"1", 0}, {u"2", 1}, {u"12", 13}};
constexpr MessageSlot kFrmSettingMessages[] = {{u"6", 5},  {u"7", 6},   {u"81", 7}, {u"82", 8},
                                               {u"91", 9}, {u"92", 10}, {u"10", 11}};

class CatalogueReader {
public:
    explicit CatalogueReader(const ProfileDocument& doc) : m_doc(doc) {}

    QString text(QStringView section, int key) const {
        return readText(m_doc, section, QString::number(key), kMissing, kLabelChars);
    }
    QString text(QStringView section, QStringView key) const {
        return readText(m_doc, section, key, kMissing, kLabelChars);
    }

    template <std::size_t N>
    void controls(QStringView section, const KeyedControl (&table)[N], ScreenTexts& out) const {
        for (const KeyedControl& c : table)
            out.push_back(
                {QString::fromLatin1(c.objectName), TextTarget::Caption, 0, text(section, c.key)});
    }

    // Key "0" of TAB1..TAB4 names tab 0..3 of SSTab1.
    void tabCaption(int tab, ScreenTexts& out) const {
        out.push_back({QStringLiteral("SSTab1"), TextTarget::TabCaption, tab,
                       text(QStringLiteral("TAB%1").arg(tab + 1), 0)});
    }

    template <std::size_t N>
    void messages(const MessageSlot (&table)[N], ProgramValues& v) const {
        for (const MessageSlot& m : table)
            v.messages[m.slot] = text(u"MESSAGE", m.key);
    }

private:
    const ProfileDocument& m_doc;
};

ProfileDocument catalogue() {
    return ProfileDocument::load(config::labelFilePath(config::programFolder()));
}

} // namespace

bool LabelSet(ProgramValues& v, const ProfileDocument& doc, ScreenTexts& out) {
    const CatalogueReader r(doc);
    r.messages(kFrmMainMessages, v);
    r.controls(u"SERIALNO", kFrmMain, out);
    r.controls(u"SERIALNO", kMenu, out);
    out.push_back({QStringLiteral("frmMain"), TextTarget::WindowTitle, 0, r.text(u"SERIALNO", 14)});
    return true;
}

bool LabelSet2(ProgramValues& v, const ProfileDocument& doc, ScreenTexts& out) {
    const CatalogueReader r(doc);
    r.messages(kFrmCommMessages, v);
    r.controls(u"SERIALNO", kMenu, out);
    for (int tab = 0; tab < 4; ++tab)
        r.tabCaption(tab, out);
    r.controls(u"TAB1", kTab1, out);
    r.controls(u"TAB2", kTab2, out);
    r.controls(u"TAB3", kTab3, out);
    r.controls(u"TAB4", kTab4, out);
    KeptCaptions& kept = v.kept;
    kept.cmdStart = r.text(u"TAB1", 9);
    kept.cmdSave = r.text(u"TAB1", 10);
    kept.cmdSaveAlternate = r.text(u"TAB1", 15);
    kept.cmdStop = r.text(u"TAB1", 16);
    for (std::size_t k = 0; k < kept.testTab.size(); ++k)
        kept.testTab[k] = r.text(u"TAB4", static_cast<int>(14 + k));
    for (std::size_t k = 0; k < kept.testLinkState.size(); ++k)
        kept.testLinkState[k] = r.text(u"TAB4", static_cast<int>(23 + k));
    return true;
}

bool LabelSet3(ProgramValues& v, const ProfileDocument& doc, ScreenTexts& out) {
    const CatalogueReader r(doc);
    r.messages(kFrmSettingMessages, v);
    r.controls(u"SERIALNO", kMenu, out);
    r.controls(u"SETTINGS", kFrmSetting, out);
    return true;
}

bool LabelSet(ScreenTexts& out) {
    return LabelSet(programValues(), catalogue(), out);
}
bool LabelSet2(ScreenTexts& out) {
    return LabelSet2(programValues(), catalogue(), out);
}
bool LabelSet3(ScreenTexts& out) {
    return LabelSet3(programValues(), catalogue(), out);
}

} // namespace torvik::mdlFileMgr
