// The button's programming interface as forms and scripts see it: member and event numbers
// by name, the published constants, the defaults of a new button, and the errors a bad call
// raises with the button left as it was. The expected tables are copied from the interface
// definition by hand, not from the library's own tables.
#include "PlinthTestSupport.h"
#include "ctrl/PlinthControl.h"
#include "model/Enumerations.h"
#include "plinth/PlinthBtn.h"
#include "plinth/PlinthEnums.h"

#include <QMetaEnum>
#include <QTest>

using plinth::PlinthControl;
using plinth::automation::DispId;
using plinth::automation::InvokeKind;
using plinth::automation::Variant;
using plinth::automation::VarType;

Q_DECLARE_METATYPE(Variant)

namespace {

struct Member {
    const char* name;
    DispId id;
};

// _DPlinth.
constexpr Member kMembers[] = {
    {"Show", 1},
    {"Thru", 2},
    {"CaptionStd", 3},
    {"CaptionAlt", 4},
    {"CaptionAltC", 5},
    {"CaptionAltCS", 6},
    {"CaptionAltS", 7},
    {"CaptionCtrl", 8},
    {"CaptionCtrlS", 9},
    {"CaptionShift", 10},
    {"FocusColor", 11},
    {"HintText", 12},
    {"VKeyName", 13},
    {"VKeyNo", 14},
    {"AlwaysActive", 15},
    {"CaptionMode", 16},
    {"FocusBorder", 17},
    {"Picture", 18},
    {"ButtonStyle", 19},
    {"Alignment", 20},
    {"AlignPict", 21},
    {"MouseIcon", 22},
    {"MousePointer", 23},
    {"BorderColor", 24},
    {"LightColor", 25},
    {"ShadowColor", 26},
    {"VKeyEx", 27},
    {"VKeyAlt", 28},
    {"VKeyCtrl", 29},
    {"VKeyShift", 30},
    {"ClickAtEnterKey", 31},
    {"ClickAtSpaceKey", 32},
    {"BorderWidth", 33},
    {"InnerBorderWidth", 34},
    {"OuterBorderWidth", 35},
    {"Outline", 36},
    {"RoundedCorners", 37},
    {"Font3D", 38},
    {"Toggle", 39},
    {"DisabledColor", 40},
    {"Value", 41},
    {"_Value", 0},
    {"CaptionPointedColor", 42},
    {"LostFocusAtHorzArrow", 43},
    {"LostFocusAtVertArrow", 44},
    {"LostFocusCause", 45},
    {"VKeyList", 46},
    {"CaptionPosition", 47},
    {"CaptionAlignmentH", 48},
    {"CaptionAlignmentV", 49},
    {"CaptionRatio", 50},
    {"CaptionSize", 51},
    {"CaptionFocusBorder", 52},
    {"CaptionFocusColor", 53},
    {"AlignmentH", 54},
    {"AlignmentV", 55},
    {"HalfToneColor", 56},
    {"DownPicture", 57},
    {"DisabledPicture", 58},
    {"CaptionAccelerator", 59},
    {"CausesFocusMovement", 60},
    {"OnPicture", 61},
    {"DownColor", 62},
    {"OnColor", 63},
    {"KillClickFocus", 64},
    {"OLEDropMode", 65},
    {"CaptionMultiLine", 66},
    {"CaptionDirection", 67},
    {"TreatEnterAsTab", 68},
    {"GetPpgStatus", 69},
    {"SetMenuItem", 70},
    {"GetMenuItem", 71},
    {"MenuCaption", 72},
    {"MenuEnabled", 73},
    {"MenuHidden", 74},
    {"MenuSeparator", 75},
    {"BackColor", -501},
    {"Enabled", -514},
    {"Font", -512},
    {"ForeColor", -513},
    {"hWnd", -515},
    {"AboutBox", -552},
};

// _DPlinthEvents.
constexpr Member kEvents[] = {
    {"Click", -600},     {"DblClick", -601},     {"KeyDown", -602},   {"KeyPress", -603},
    {"KeyUp", -604},     {"MouseDown", -605},    {"MouseMove", -606}, {"MouseUp", -607},
    {"VKeyDown", 1},     {"VKeyUp", 2},          {"FocusMove", 3},    {"OLECompleteDrag", 4},
    {"OLEStartDrag", 5}, {"OLEGiveFeedback", 6}, {"OLEDragOver", 7},  {"OLEDragDrop", 8},
    {"MenuClicked", 9},  {"BeforePopup", 10},
};

struct Constant {
    const char* enumName;
    const char* name;
    int value;
};

// Every published constant, by enumeration in declaration order.
const Constant kConstants[] = {
    {"AlignmentConstants", "kxa_中央", 0},
    {"AlignmentConstants", "kxa_上", 1},
    {"AlignmentConstants", "kxa_下", 2},
    {"AlignmentConstants", "kxa_左", 3},
    {"AlignmentConstants", "kxa_右", 4},
    {"AlignmentHConstants", "kxah_左揃え", 0},
    {"AlignmentHConstants", "kxah_右揃え", 1},
    {"AlignmentHConstants", "kxah_中央揃え", 2},
    {"AlignmentVConstants", "kxav_上揃え", 0},
    {"AlignmentVConstants", "kxav_中央揃え", 1},
    {"AlignmentVConstants", "kxav_下揃え", 2},
    {"AlignPictConstants", "kxap_中央", 0},
    {"AlignPictConstants", "kxap_端側", 1},
    {"AlignPictConstants", "kxap_文字側", 2},
    {"ButtonStyleConstants", "kxbs_Win31風", 0},
    {"ButtonStyleConstants", "kxbs_Win95風", 1},
    {"ButtonStyleConstants", "kxbs_二重枠", 2},
    {"ButtonStyleConstants", "kxbs_非表示", 3},
    {"CaptionAlignmentHConstants", "kxcah_左揃え", 0},
    {"CaptionAlignmentHConstants", "kxcah_右揃え", 1},
    {"CaptionAlignmentHConstants", "kxcah_中央揃え", 2},
    {"CaptionAlignmentHConstants", "kxcah_均等割付", 3},
    {"CaptionAlignmentVConstants", "kxcav_上揃え", 0},
    {"CaptionAlignmentVConstants", "kxcav_中央揃え", 1},
    {"CaptionAlignmentVConstants", "kxcav_下揃え", 2},
    {"CaptionAlignmentVConstants", "kxcav_均等割付", 3},
    {"CaptionDirectionConstants", "kxcd_横書き", 0},
    {"CaptionDirectionConstants", "kxcd_縦書き", 1},
    {"CaptionDirectionConstants", "kxcd_縦書き_縦ﾌｫﾝﾄ用", 2},
    {"CaptionFocusBorderConstants", "kxcfb_なし", 0},
    {"CaptionFocusBorderConstants", "kxcfb_標準", 1},
    {"CaptionFocusBorderConstants", "kxcfb_細線", 2},
    {"CaptionFocusBorderConstants", "kxcfb_太線", 3},
    {"CaptionFocusBorderConstants", "kxcfb_細破線", 4},
    {"CaptionFocusBorderConstants", "kxcfb_太破線", 5},
    {"CaptionFocusBorderConstants", "kxcfb_浅凹", 6},
    {"CaptionFocusBorderConstants", "kxcfb_深凹", 7},
    {"CaptionModeConstants", "kxcm_不変", 0},
    {"CaptionModeConstants", "kxcm_択一", 1},
    {"CaptionModeConstants", "kxcm_組合せ", 2},
    {"FocusBorderConstants", "kxfb_なし", 0},
    {"FocusBorderConstants", "kxfb_標準", 1},
    {"FocusBorderConstants", "kxfb_細線", 2},
    {"FocusBorderConstants", "kxfb_太線", 3},
    {"FocusBorderConstants", "kxfb_細破線", 4},
    {"FocusBorderConstants", "kxfb_太破線", 5},
    {"Font3DConstants", "kxf3d_なし", 0},
    {"Font3DConstants", "kxf3d_凸型", 1},
    {"Font3DConstants", "kxf3d_凸型影付き", 2},
    {"Font3DConstants", "kxf3d_凹型", 3},
    {"Font3DConstants", "kxf3d_凹型影付き", 4},
    {"Font3DConstants", "kxf3d_影付き", 5},
    {"Font3DConstants", "kxf3d_縁取り", 6},
    {"LostFocusAtArrowConstants", "kxlf_オフ", 0},
    {"LostFocusAtArrowConstants", "kxlf_オン", 1},
    {"LostFocusCauseConstants", "kxlfc_通常", 0},
    {"LostFocusCauseConstants", "kxlfc_左矢印", 1},
    {"LostFocusCauseConstants", "kxlfc_右矢印", 2},
    {"LostFocusCauseConstants", "kxlfc_上矢印", 3},
    {"LostFocusCauseConstants", "kxlfc_下矢印", 4},
    {"LostFocusCauseConstants", "kxlfc_リターン", 5},
    {"LostFocusCauseConstants", "kxlfc_入力完了", 6},
    {"MousePointerConstants", "kxmp_既定値", 0},
    {"MousePointerConstants", "kxmp_矢印", 1},
    {"MousePointerConstants", "kxmp_クロス", 2},
    {"MousePointerConstants", "kxmp_Iビーム", 3},
    {"MousePointerConstants", "kxmp_アイコン", 4},
    {"MousePointerConstants", "kxmp_サイズ_上下左右", 5},
    {"MousePointerConstants", "kxmp_サイズ_右上_左下", 6},
    {"MousePointerConstants", "kxmp_サイズ_上下", 7},
    {"MousePointerConstants", "kxmp_サイズ_左上_右下", 8},
    {"MousePointerConstants", "kxmp_サイズ_左右", 9},
    {"MousePointerConstants", "kxmp_上矢印", 10},
    {"MousePointerConstants", "kxmp_砂時計", 11},
    {"MousePointerConstants", "kxmp_禁止", 12},
    {"MousePointerConstants", "kxmp_矢印と砂時計", 13},
    {"MousePointerConstants", "kxmp_矢印と疑問符", 14},
    {"MousePointerConstants", "kxmp_サイズ_全方向", 15},
    {"MousePointerConstants", "kxmp_ユーザー定義", 99},
    {"VKeyACSConstants", "kxvkacs_無視", 0},
    {"VKeyACSConstants", "kxvkacs_オフ", 1},
    {"VKeyACSConstants", "kxvkacs_オン", 2},
    {"VKeyExConstants", "kxvkex_全キー", 0},
    {"VKeyExConstants", "kxvkex_非拡張キー", 1},
    {"VKeyExConstants", "kxvkex_拡張キー", 2},
    {"ButtonCaptionConstants", "kxcp_左", 0},
    {"ButtonCaptionConstants", "kxcp_右", 1},
    {"ButtonCaptionConstants", "kxcp_上", 2},
    {"ButtonCaptionConstants", "kxcp_下", 3},
    {"ButtonCaptionConstants", "kxcp_中央", 4},
    {"OLEDropModeConstants", "kxodrop_なし", 0},
    {"OLEDropModeConstants", "kxodrop_手動", 1},
};

constexpr std::int32_t sys(int n) {
    return static_cast<std::int32_t>(0x80000000u | static_cast<std::uint32_t>(n));
}

Variant get(PlinthControl& c, DispId id, std::vector<Variant> args = {}) {
    Variant out;
    const auto s = c.invoke(id, InvokeKind::PropertyGet, args, out);
    if (!s) {
        qWarning("get %d failed: %d %s", id, s.error().number, s.error().message.c_str());
    }
    return out;
}

class Site final : public plinth::automation::ContainerSite {
public:
    bool user = true;
    std::string name;
    std::vector<DispId> changes;

    bool userMode() const override { return user; }
    std::string displayName() const override { return name; }
    void onPropertyChanged(DispId id) override { changes.push_back(id); }
};

} // namespace

class InterfaceTest : public QObject {
    Q_OBJECT

private slots:
    void membersByNameAndNumber() {
        PlinthControl c;
        for (const Member& m : kMembers) {
            QCOMPARE(c.idOfName(m.name).value_or(9999), m.id);
        }
        QCOMPARE(c.idOfName("captionstd").value_or(9999), 3); // hosts ignore case
        QVERIFY(!c.idOfName("Caption").has_value());
        QCOMPARE(std::size(kMembers), std::size_t{82});
    }

    void eventsByNameAndNumber() {
        PlinthControl c;
        for (const Member& e : kEvents) {
            QCOMPARE(c.eventIdOfName(e.name).value_or(9999), e.id);
        }
        QVERIFY(!c.eventIdOfName("Change").has_value());
    }

    // The C header, the run-time table and the Qt enumerations must agree on every constant.
    void constantsAgreeEverywhere() {
        for (const Constant& k : kConstants) {
            QCOMPARE(plinth::findConstant(k.name).value_or(-1), k.value);
            QVERIFY2(plinth::isEnumValue(k.enumName, k.value), k.name);
        }
        for (const plinth::EnumInfo& info : plinth::publishedEnums()) {
            const QByteArray name(info.name.data(), static_cast<qsizetype>(info.name.size()));
            const int index = PlinthBtn::staticMetaObject.indexOfEnumerator(name.constData());
            QVERIFY2(index >= 0, name.constData());
            const QMetaEnum qtEnum = PlinthBtn::staticMetaObject.enumerator(index);
            QCOMPARE(static_cast<std::size_t>(qtEnum.keyCount()), info.members.size());
            for (int k = 0; k < qtEnum.keyCount(); ++k) {
                QCOMPARE(qtEnum.value(k), info.members[static_cast<std::size_t>(k)].value);
            }
        }
        std::size_t published = 0;
        for (const plinth::EnumInfo& info : plinth::publishedEnums()) {
            published += info.members.size();
        }
        QCOMPARE(published, std::size(kConstants)); // none published beyond the list
        // Spot checks that the header compiles to the same numbers.
        QCOMPARE(int{kxcd_縦書き_縦ﾌｫﾝﾄ用}, 2);
        QCOMPARE(int{kxmp_ユーザー定義}, 99);
        QCOMPARE(int{kxcfb_深凹}, 7);
    }

    void defaults_data() {
        QTest::addColumn<int>("dispid");
        QTest::addColumn<Variant>("expected");
        const auto b = [](bool v) { return Variant::boolean(v); };
        const auto i2 = [](int v) { return Variant::i2(static_cast<std::int16_t>(v)); };
        const auto i4 = [](std::int32_t v) { return Variant::i4(v); };
        const auto s = [](const char* v) { return Variant::bstr(v); };
        QTest::newRow("MouseIcon") << 22 << s("");
        QTest::newRow("MousePointer") << 23 << i4(0);
        QTest::newRow("Show") << 1 << b(true);
        QTest::newRow("Thru") << 2 << b(true);
        QTest::newRow("AlwaysActive") << 15 << b(false);
        for (int id = 4; id <= 10; ++id) {
            QTest::addRow("alternative caption %d", id) << id << s("");
        }
        QTest::newRow("FocusColor") << 11 << i4(8421504);
        QTest::newRow("HintText") << 12 << s("");
        QTest::newRow("VKeyName") << 13 << s("none");
        QTest::newRow("VKeyNo") << 14 << i2(0);
        QTest::newRow("CaptionMode") << 16 << i4(0);
        QTest::newRow("ButtonStyle") << 19 << i4(1);
        QTest::newRow("FocusBorder") << 17 << i4(1);
        QTest::newRow("Alignment") << 20 << i4(0);
        QTest::newRow("AlignPict") << 21 << i4(0);
        QTest::newRow("Picture") << 18 << s("");
        QTest::newRow("BackColor") << -501 << i4(sys(15));
        QTest::newRow("ForeColor") << -513 << i4(sys(18));
        QTest::newRow("DisabledColor") << 40 << i4(sys(17));
        QTest::newRow("CaptionPointedColor") << 42 << i4(sys(18));
        QTest::newRow("BorderColor") << 24 << i4(sys(6));
        QTest::newRow("LightColor") << 25 << i4(sys(20));
        QTest::newRow("ShadowColor") << 26 << i4(sys(16));
        QTest::newRow("BorderWidth") << 33 << i2(1);
        QTest::newRow("InnerBorderWidth") << 34 << i2(1);
        QTest::newRow("OuterBorderWidth") << 35 << i2(1);
        QTest::newRow("Outline") << 36 << b(true);
        QTest::newRow("RoundedCorners") << 37 << b(false);
        QTest::newRow("VKeyEx") << 27 << i4(0);
        QTest::newRow("VKeyAlt") << 28 << i4(0);
        QTest::newRow("VKeyCtrl") << 29 << i4(0);
        QTest::newRow("VKeyShift") << 30 << i4(0);
        QTest::newRow("ClickAtEnterKey") << 31 << b(true);
        QTest::newRow("ClickAtSpaceKey") << 32 << b(true);
        QTest::newRow("LostFocusAtHorzArrow") << 43 << i4(1);
        QTest::newRow("LostFocusAtVertArrow") << 44 << i4(1);
        QTest::newRow("Font3D") << 38 << i4(0);
        QTest::newRow("Toggle") << 39 << b(false);
        QTest::newRow("Value") << 41 << b(false);
        QTest::newRow("_Value") << 0 << b(false);
        QTest::newRow("CaptionAlignmentH") << 48 << i4(2);
        QTest::newRow("CaptionAlignmentV") << 49 << i4(1);
        QTest::newRow("CaptionDirection") << 67 << i4(0);
        QTest::newRow("CaptionFocusBorder") << 52 << i4(0);
        QTest::newRow("CaptionPosition") << 47 << i4(4);
        QTest::newRow("CaptionRatio") << 50 << i2(100);
        QTest::newRow("CaptionSize") << 51 << i2(0);
        QTest::newRow("AlignmentH") << 54 << i4(2);
        QTest::newRow("AlignmentV") << 55 << i4(1);
        QTest::newRow("CaptionFocusColor") << 53 << i4(sys(8));
        QTest::newRow("HalfToneColor") << 56 << b(false);
        QTest::newRow("CaptionAccelerator") << 59 << b(false);
        QTest::newRow("CaptionMultiLine") << 66 << b(false);
        QTest::newRow("CausesFocusMovement") << 60 << b(false);
        QTest::newRow("KillClickFocus") << 64 << b(false);
        QTest::newRow("TreatEnterAsTab") << 68 << b(false);
        QTest::newRow("DownPicture") << 57 << s("");
        QTest::newRow("DisabledPicture") << 58 << s("");
        QTest::newRow("OnPicture") << 61 << s("");
        QTest::newRow("DownColor") << 62 << i4(sys(15));
        QTest::newRow("OnColor") << 63 << i4(sys(15));
        QTest::newRow("OLEDropMode") << 65 << i4(0);
        QTest::newRow("Enabled") << -514 << b(true);
        QTest::newRow("LostFocusCause") << 45 << i4(0);
    }

    void defaults() {
        QFETCH(int, dispid);
        QFETCH(Variant, expected);
        PlinthControl c;
        QCOMPARE(get(c, dispid), expected);
    }

    void defaultMenuItems() {
        PlinthControl c;
        for (std::int16_t i = 0; i < 20; ++i) {
            QCOMPARE(get(c, 72, {Variant::i2(i)}), Variant::bstr(""));
            QCOMPARE(get(c, 73, {Variant::i2(i)}), Variant::boolean(true));
            QCOMPARE(get(c, 74, {Variant::i2(i)}), Variant::boolean(false));
            QCOMPARE(get(c, 75, {Variant::i2(i)}), Variant::boolean(false));
        }
    }

    // A new button takes the form's name for it; a caption set first stays.
    void captionFromContainerName() {
        Site site;
        site.name = "PlinthBtn1";
        PlinthControl fresh;
        fresh.setSite(&site);
        QCOMPARE(get(fresh, 3), Variant::bstr("PlinthBtn1"));
        QCOMPARE(fresh.widget()->text(), QStringLiteral("PlinthBtn1"));

        PlinthControl named;
        std::vector<Variant> args{Variant::bstr("OK")};
        Variant out;
        QVERIFY(named.invoke(3, InvokeKind::PropertyPut, args, out));
        named.setSite(&site);
        QCOMPARE(get(named, 3), Variant::bstr("OK"));
        fresh.setSite(nullptr);
        named.setSite(nullptr);
    }

    void badCalls_data() {
        QTest::addColumn<int>("dispid");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<Variant>>("args");
        QTest::addColumn<int>("error");
        const int put = static_cast<int>(InvokeKind::PropertyPut);
        const int getK = static_cast<int>(InvokeKind::PropertyGet);
        const int call = static_cast<int>(InvokeKind::Method);
        const auto i2 = [](int v) { return Variant::i2(static_cast<std::int16_t>(v)); };
        const auto i4 = [](std::int64_t v) { return Variant::i4(static_cast<std::int32_t>(v)); };
        const auto s = [](const char* v) { return Variant::bstr(v); };
        const auto b = [](bool v) { return Variant::boolean(v); };
        QTest::newRow("no such member") << 999 << getK << QList<Variant>{} << 438;
        QTest::newRow("ButtonStyle 4") << 19 << put << QList<Variant>{i4(4)} << 380;
        QTest::newRow("ButtonStyle -1") << 19 << put << QList<Variant>{i4(-1)} << 380;
        QTest::newRow("ButtonStyle text") << 19 << put << QList<Variant>{s("double")} << 13;
        QTest::newRow("MousePointer 16") << 23 << put << QList<Variant>{i4(16)} << 380;
        QTest::newRow("CaptionFocusBorder 8") << 52 << put << QList<Variant>{i4(8)} << 380;
        QTest::newRow("FocusBorder 6") << 17 << put << QList<Variant>{i4(6)} << 380;
        QTest::newRow("VKeyNo 256") << 14 << put << QList<Variant>{i2(256)} << 380;
        QTest::newRow("VKeyNo 70000") << 14 << put << QList<Variant>{i4(70000)} << 6;
        QTest::newRow("VKeyName unknown") << 13 << put << QList<Variant>{s("F99")} << 380;
        QTest::newRow("BackColor palette") << -501 << put << QList<Variant>{i4(0x01000000)} << 380;
        QTest::newRow("BackColor system 31")
            << -501 << put << QList<Variant>{i4(0x8000001F)} << 380;
        QTest::newRow("CaptionRatio 0") << 50 << put << QList<Variant>{i2(0)} << 380;
        QTest::newRow("BorderWidth -1") << 33 << put << QList<Variant>{i2(-1)} << 380;
        QTest::newRow("Picture not a picture")
            << 18 << put << QList<Variant>{s("GIF89a but not really")} << 481;
        QTest::newRow("LostFocusCause is read-only") << 45 << put << QList<Variant>{i4(1)} << 383;
        QTest::newRow("hWnd is read-only") << -515 << put << QList<Variant>{i4(1)} << 383;
        QTest::newRow("VKeyList is read-only") << 46 << put << QList<Variant>{i2(0), i2(8)} << 383;
        QTest::newRow("VKeyList -1") << 46 << getK << QList<Variant>{i2(-1)} << 381;
        QTest::newRow("VKeyList past the end")
            << 46 << getK
            << QList<Variant>{i2(static_cast<std::int16_t>(PlinthBtn::vKeyListCount()))} << 381;
        QTest::newRow("MenuCaption 20") << 72 << put << QList<Variant>{i2(20), s("x")} << 381;
        QTest::newRow("MenuCaption -1") << 72 << getK << QList<Variant>{i2(-1)} << 381;
        QTest::newRow("MenuEnabled 20") << 73 << getK << QList<Variant>{i2(20)} << 381;
        QTest::newRow("MenuHidden 32767") << 74 << put << QList<Variant>{i2(32767), b(true)} << 381;
        QTest::newRow("MenuSeparator no index") << 75 << getK << QList<Variant>{} << 450;
        QTest::newRow("SetMenuItem 20")
            << 70 << call << QList<Variant>{i2(20), s("x"), b(true), b(false), b(false)} << 381;
        QTest::newRow("SetMenuItem short") << 70 << call << QList<Variant>{i2(0), s("x")} << 450;
        QTest::newRow("GetMenuItem -1")
            << 71 << call << QList<Variant>{i2(-1), {}, {}, {}, {}} << 381;
        QTest::newRow("put with two values") << 3 << put << QList<Variant>{s("a"), s("b")} << 450;
        QTest::newRow("get with an argument") << 3 << getK << QList<Variant>{i2(1)} << 450;
        QTest::newRow("put to a method") << 70 << put << QList<Variant>{i2(0)} << 438;
        QTest::newRow("Font from nonsense") << -512 << put << QList<Variant>{i4(5)} << 13;
    }

    // Each refused call leaves the stored form as it was.
    void badCalls() {
        QFETCH(int, dispid);
        QFETCH(int, kind);
        QFETCH(QList<Variant>, args);
        QFETCH(int, error);
        PlinthControl c;
        c.widget()->setCaptionStd(QStringLiteral("Keep"));
        c.widget()->SetMenuItem(0, QStringLiteral("Item"), true, false, false);
        const QByteArray before = c.widget()->saveProperties();
        std::vector<Variant> a(args.begin(), args.end());
        Variant out;
        const auto s = c.invoke(dispid, static_cast<InvokeKind>(kind), a, out);
        QVERIFY(!s);
        QCOMPARE(s.error().number, error);
        QVERIFY(!s.error().message.empty());
        QCOMPARE(c.widget()->saveProperties(), before);
        QVERIFY(!c.isModified());
    }

    void writesAreAnnouncedAndSavingClearsTheFlag() {
        Site site;
        PlinthControl c;
        c.setSite(&site);
        std::vector<Variant> args{Variant::i4(3)};
        Variant out;
        QVERIFY(c.invoke(19, InvokeKind::PropertyPut, args, out));
        QCOMPARE(get(c, 19), Variant::i4(3));
        QCOMPARE(c.widget()->ButtonStyle(), PlinthBtn::kxbs_NoFrame);
        QVERIFY(c.isModified());
        QCOMPARE(site.changes, (std::vector<DispId>{19}));
        plinth::automation::PropertyWriter w;
        c.save(w);
        QVERIFY(!c.isModified());
        c.setSite(nullptr);
    }

    // Numbers and texts reach a property as the platform coerces them.
    void coercions() {
        PlinthControl c;
        Variant out;
        std::vector<Variant> text{Variant::bstr(" 2 ")};
        QVERIFY(c.invoke(19, InvokeKind::PropertyPut, text, out));
        QCOMPARE(get(c, 19), Variant::i4(2));
        std::vector<Variant> truth{Variant::bstr("True")};
        QVERIFY(c.invoke(37, InvokeKind::PropertyPut, truth, out));
        QCOMPARE(get(c, 37), Variant::boolean(true));
        std::vector<Variant> number{Variant::i4(116)};
        QVERIFY(c.invoke(14, InvokeKind::PropertyPut, number, out));
        QCOMPARE(get(c, 13), Variant::bstr("F5")); // the name follows the number
        std::vector<Variant> name{Variant::bstr("enter")};
        QVERIFY(c.invoke(13, InvokeKind::PropertyPut, name, out));
        QCOMPARE(get(c, 14), Variant::i2(13));
        QCOMPARE(get(c, 13), Variant::bstr("Enter"));
        // A property can be read with a method call, as late-bound hosts do.
        QVERIFY(c.invoke(14, InvokeKind::Method, {}, out));
        QCOMPARE(out, Variant::i2(13));
    }

    void menuMethodsPassByReference() {
        PlinthControl c;
        Variant out;
        std::vector<Variant> set{Variant::i2(19), Variant::bstr("&Last"), Variant::boolean(false),
                                 Variant::boolean(true), Variant::boolean(false)};
        QVERIFY(c.invoke(70, InvokeKind::Method, set, out));
        std::vector<Variant> args{Variant::i2(19), {}, {}, {}, {}};
        QVERIFY(c.invoke(71, InvokeKind::Method, args, out));
        QCOMPARE(args[1], Variant::bstr("&Last"));
        QCOMPARE(args[2], Variant::boolean(false));
        QCOMPARE(args[3], Variant::boolean(true));
        QCOMPARE(args[4], Variant::boolean(false));
        QCOMPARE(get(c, 74, {Variant::i2(19)}), Variant::boolean(true));

        std::vector<Variant> status{Variant::i4(-7)};
        QVERIFY(c.invoke(69, InvokeKind::Method, status, out));
        QCOMPARE(status[0], Variant::i4(0));
    }

    void keyListMatchesNames() {
        PlinthControl c;
        QCOMPARE(get(c, 46, {Variant::i2(0)}), Variant::i2(0)); // "none" first
        Variant out;
        for (std::int16_t i = 0; i < PlinthBtn::vKeyListCount(); ++i) {
            const Variant code = get(c, 46, {Variant::i2(i)});
            std::vector<Variant> put{code};
            QVERIFY(c.invoke(14, InvokeKind::PropertyPut, put, out));
            const Variant name = get(c, 13);
            std::vector<Variant> byName{name};
            QVERIFY(c.invoke(13, InvokeKind::PropertyPut, byName, out));
            QCOMPARE(get(c, 14), code); // each listed key has a name that leads back to it
        }
    }

    void runTimeOnlyReadsInDesignMode() {
        Site site;
        site.user = false;
        PlinthControl c;
        c.setSite(&site);
        Variant out;
        const auto s = c.invoke(45, InvokeKind::PropertyGet, {}, out);
        QVERIFY(!s);
        QCOMPARE(s.error().number, 394);
        QVERIFY(c.widget()->designMode());
        c.setSite(nullptr);
    }

    // The About box opens without holding the host's call.
    void aboutBoxReturnsAtOnce() {
        PlinthControl c;
        Variant out;
        QVERIFY(c.invoke(-552, InvokeKind::Method, {}, out));
        auto* box = c.widget()->findChild<QWidget*>(QStringLiteral("plinthAboutBox"));
        QVERIFY(box != nullptr);
        QVERIFY(box->isVisible());
        box->close();
    }

    void fontObjectIsLive() {
        PlinthControl c;
        Variant font = get(c, -512);
        QCOMPARE(font.type(), VarType::Dispatch);
        auto& object = *font.asObject();
        QCOMPARE(object.typeName(), std::string("StdFont"));
        Variant out;
        std::vector<Variant> size{Variant::r8(15)};
        QVERIFY(object.invoke(*object.idOfName("Size"), InvokeKind::PropertyPut, size, out));
        std::vector<Variant> bold{Variant::boolean(true)};
        QVERIFY(object.invoke(*object.idOfName("bold"), InvokeKind::PropertyPut, bold, out));
        QCOMPARE(c.widget()->font().pointSizeF(), 15.0);
        QVERIFY(c.widget()->font().bold());
        // Another button takes the first one's font from its object.
        PlinthControl other;
        std::vector<Variant> assign{font};
        QVERIFY(other.invoke(-512, InvokeKind::PropertyPut, assign, out));
        QCOMPARE(other.widget()->font().pointSizeF(), 15.0);
        QVERIFY(other.widget()->font().bold());
    }
};

QTEST_MAIN(InterfaceTest)
#include "InterfaceTest.moc"
