// The label catalogue loaders and the built-in command table. Key-to-control pairs and
// message slots below are taken from the catalogue's section lists, one or two per list
// position where an off-by-one would show (first, last, after a skipped key).
#include "config/LabelCatalogue.h"

#include "config/CommandTable.h"
#include "config/Notices.h"

#include <gtest/gtest.h>

using namespace torvik::mdlFileMgr;
using torvik::config::ProfileDocument;

namespace {

const ScreenText* find(const ScreenTexts& texts, const QString& objectName, TextTarget target,
                       int index = 0) {
    for (const ScreenText& t : texts)
        if (t.objectName == objectName && t.target == target && t.index == index)
            return &t;
    return nullptr;
}

struct Loaded {
    ProgramValues values;
    ScreenTexts frmMain;
    ScreenTexts frmComm;
    ScreenTexts frmSetting;
};

Loaded loadAll(const ProfileDocument& catalogue) {
    Loaded l;
    EXPECT_TRUE(LabelSet(l.values, catalogue, l.frmMain));
    EXPECT_TRUE(LabelSet2(l.values, catalogue, l.frmComm));
    EXPECT_TRUE(LabelSet3(l.values, catalogue, l.frmSetting));
    return l;
}

TEST(LabelCatalogue, MissingCatalogueShowsStarsEverywhere) {
    const Loaded l = loadAll(ProfileDocument());
    for (const ScreenTexts* screen : {&l.frmMain, &l.frmComm, &l.frmSetting}) {
        EXPECT_FALSE(screen->empty());
        for (const ScreenText& t : *screen)
            EXPECT_EQ(t.text, "*****") << t.objectName.toStdString();
    }
    for (const QString& message : l.values.messages)
        EXPECT_EQ(message, "*****"); // the three loaders together fill all 14 slots
    EXPECT_EQ(l.values.kept.cmdSaveAlternate, "*****");
    EXPECT_EQ(l.values.kept.testLinkState[5], "*****");
    // Only frmMain's title comes from the catalogue.
    EXPECT_EQ(find(l.frmComm, "frmComm", TextTarget::WindowTitle), nullptr);
    EXPECT_EQ(find(l.frmSetting, "frmSetting", TextTarget::WindowTitle), nullptr);
}

TEST(LabelCatalogue, KeysGoToTheirControlsAndSlots) {
    const ProfileDocument catalogue = ProfileDocument::fromBytes(
        "[MESSAGE]\n1=m1\n2=m2\n3=m3\n4=m4\n5=m5\n6=m6\n7=m7\n81=m81\n82=m82\n91=m91\n92=m92\n"
        "10=m10\n11=m11\n12=m12\n"
        "[SERIALNO]\n1=Serial\n3=To comm\n4=Settings\n13=Version\n14=Registration\n"
        "[TAB1]\n0=Measure\n9=Start\n10=Save\n14=Clear\n15=Stop saving\n16=Stop\n"
        "[TAB2]\n0=Info\n1=Capacity\n8=Rated output\n9=Received\n23=Stop info\n"
        "[TAB3]\n0=Custom\n15=Clear custom\n16=Coils\n"
        "[TAB4]\n0=Test\n13=Label six\n14=kept 14\n16=kept 16\n17=Wait\n22=Coefficient\n"
        "23=Port open\n28=Port error\n"
        "[SETTINGS]\n1=Header\n19=Browse\n31=To comm from settings\n");
    const Loaded l = loadAll(catalogue);

    const struct {
        const ScreenTexts& screen;
        const char* objectName;
        TextTarget target;
        int index;
        const char* text;
    } cases[] = {
        {l.frmMain, "lblSerialNo", TextTarget::Caption, 0, "Serial"},
        {l.frmMain, "cmdComm", TextTarget::Caption, 0, "To comm"},
        {l.frmMain, "mnu_set1", TextTarget::Caption, 0, "Settings"},
        {l.frmMain, "mnu_v1", TextTarget::Caption, 0, "Version"},
        {l.frmMain, "frmMain", TextTarget::WindowTitle, 0, "Registration"},
        {l.frmComm, "mnu_v1", TextTarget::Caption, 0, "Version"},
        {l.frmComm, "SSTab1", TextTarget::TabCaption, 0, "Measure"},
        {l.frmComm, "SSTab1", TextTarget::TabCaption, 3, "Test"},
        {l.frmComm, "cmdStart", TextTarget::Caption, 0, "Start"},
        {l.frmComm, "cmdClear", TextTarget::Caption, 0, "Clear"},
        {l.frmComm, "cmdStop", TextTarget::Caption, 0, "Stop"}, // key 15 is kept only
        {l.frmComm, "lblFunc_0", TextTarget::Caption, 0, "Capacity"},
        {l.frmComm, "lblFunc_7", TextTarget::Caption, 0, "Rated output"},
        {l.frmComm, "lblRecvData", TextTarget::Caption, 0, "Received"},
        {l.frmComm, "cmdStopInfo", TextTarget::Caption, 0, "Stop info"},
        {l.frmComm, "cmdClearCustom", TextTarget::Caption, 0, "Clear custom"},
        {l.frmComm, "Label6", TextTarget::Caption, 0, "Label six"},
        {l.frmComm, "lblWaitTime", TextTarget::Caption, 0, "Wait"},
        {l.frmComm, "lblCC", TextTarget::Caption, 0, "Coefficient"},
        {l.frmSetting, "mnu_set1", TextTarget::Caption, 0, "Settings"},
        {l.frmSetting, "lblHeader1", TextTarget::Caption, 0, "Header"},
        {l.frmSetting, "cmdDlg", TextTarget::Caption, 0, "Browse"},
        {l.frmSetting, "cmdComm", TextTarget::Caption, 0, "To comm from settings"},
    };
    for (const auto& c : cases) {
        const ScreenText* t = find(c.screen, c.objectName, c.target, c.index);
        ASSERT_NE(t, nullptr) << c.objectName;
        EXPECT_EQ(t->text, c.text) << c.objectName;
    }
    EXPECT_EQ(find(l.frmComm, "Frame1", TextTarget::Caption)->text, "*****");

    const std::array<QString, kMessageSlots> expectedSlots = {
        "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m81", "m82", "m91", "m92", "m10", "m11", "m12"};
    EXPECT_EQ(l.values.messages, expectedSlots);

    const KeptCaptions& kept = l.values.kept;
    EXPECT_EQ(kept.cmdStart, "Start");
    EXPECT_EQ(kept.cmdSave, "Save");
    EXPECT_EQ(kept.cmdSaveAlternate, "Stop saving");
    EXPECT_EQ(kept.cmdStop, "Stop");
    EXPECT_EQ(kept.testTab, (std::array<QString, 3>{"kept 14", "*****", "kept 16"}));
    EXPECT_EQ(kept.testLinkState[0], "Port open");
    EXPECT_EQ(kept.testLinkState[5], "Port error");
}

TEST(LabelCatalogue, LongAndControlCharacterValuesAreCut) {
    const QByteArray longMessage(150, 'm');
    const ProfileDocument catalogue = ProfileDocument::fromBytes(
        "[MESSAGE]\n3=" + longMessage + "\n4=before\tafter\n[SERIALNO]\n1=  spaced  \n");
    ProgramValues v;
    ScreenTexts texts;
    LabelSet(v, catalogue, texts);
    EXPECT_EQ(v.messages[2], QString(99, u'm'));
    EXPECT_EQ(v.messages[3], "before");
    EXPECT_EQ(find(texts, "lblSerialNo", TextTarget::Caption)->text, "spaced");
}

// The program's own notices: the catalogue's text, or, for a catalogue made before them, the
// built-in one; never "*****", since they explain a fault.
TEST(LabelCatalogue, NoticesFallBackToTheBuiltInTexts) {
    using torvik::config::Notice;
    using torvik::config::noticeText;
    const auto english = ProfileDocument::fromBytes("[NOTICE]\n2=No error log: %1\n4=\n");
    EXPECT_EQ(noticeText(english, Notice::ErrorLogNotWritten), "No error log: %1");
    EXPECT_EQ(noticeText(english, Notice::DataFolderMissing),
              QStringLiteral("保存場所のフォルダ %1 がありません")); // empty value
    EXPECT_EQ(noticeText(ProfileDocument(), Notice::ControlsMissing),
              QStringLiteral("通信コントロールを読み込めません (%1): %2"));
    EXPECT_EQ(noticeText(ProfileDocument(), Notice::CommScreenTitle), QStringLiteral("通信"));
}

TEST(CommandTable, InitRestoresTheBuiltInTableButKeepsEntry11) {
    ProgramValues v;
    for (std::size_t k = 0; k < 12; ++k) {
        v.commands.command[k] = "file command";
        v.commands.response[k] = "file response";
        v.commands.hex[k] = true;
    }
    CommandInit(v);
    const CommandTable& t = v.commands;
    const struct {
        const char* command;
        const char* response;
        bool hex;
    } expected[] = {
        {"MSV?33,1,0", "%,1,0", false},
        {"SRB1", "0", false},
        {"CHS1", "0", false},
        {"CHM1", "0", false},
        {"ASS2", "0", false},
        {"TAR0", "0", false},
        {"\x12", "", true},
        {"\x01", "", true},
        {"", "", false},
        {"", "", false},
        {"", "", false},
    };
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        EXPECT_EQ(t.command[k], expected[k].command) << k;
        EXPECT_EQ(t.response[k], expected[k].response) << k;
        EXPECT_EQ(t.hex[k], expected[k].hex) << k;
    }
    EXPECT_EQ(t.command[11], "file command");
    EXPECT_EQ(t.response[11], "file response");
    EXPECT_TRUE(t.hex[11]);
}

TEST(CommandTable, HexadecimalForms) {
    EXPECT_EQ(hexCommand(u"12"), QString(QChar(0x12)));
    EXPECT_EQ(hexCommand(u"FF"), QString(QChar(0xFF)));
    EXPECT_EQ(hexCommand(u"100"), std::nullopt);
    EXPECT_EQ(hexCommand(u""), std::nullopt);
    EXPECT_EQ(hexCommand(u"1G"), std::nullopt);
    EXPECT_EQ(hexResponse(u"0D0A"), "\r\n");
    EXPECT_EQ(hexResponse(u"0D0"), "\r");
    EXPECT_EQ(hexResponse(u""), "");
    EXPECT_EQ(hexResponse(u"0X"), std::nullopt);
}

} // namespace
