// The stored form: version 4 written and read back, forms of versions 2 and 3 (built here
// from the exchange order) loading with the fixed values for what they lack, and damaged
// forms refused with the button left as it was.
#include "PlinthTestSupport.h"
#include "ctrl/PlinthControl.h"
#include "plinth/PlinthBtn.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

using plinth::PlinthControl;
using plinth::automation::DispId;
using plinth::automation::InvokeKind;
using plinth::automation::Variant;
using plinth::testing::FormBuilder;

namespace {

constexpr std::uint32_t sys(std::uint32_t n) {
    return 0x80000000u | n;
}

QByteArray encoded(const char* format, QRgb colour) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The fields of the oldest block, with values unlike the defaults.
struct Version2 {
    std::int32_t buttonStyle = 2;
    std::int32_t alignment = 3;
    std::int32_t alignPict = 1;
    QByteArray picture;
};

void version2Block(FormBuilder& f, const Version2& v,
                   const QString& vKeyName = QStringLiteral("F5"), std::int16_t vKeyNo = 116) {
    f.bytes({})                        // MouseIcon
        .i4(11)                        // MousePointer
        .boolean(false)                // Show
        .boolean(false)                // Thru
        .boolean(true)                 // AlwaysActive
        .text(QStringLiteral("標準"))  // CaptionStd
        .text(QStringLiteral("alt"))   // CaptionAlt
        .text(QStringLiteral("altc"))  // CaptionAltC
        .text(QStringLiteral("altcs")) // CaptionAltCS
        .text(QStringLiteral("alts"))  // CaptionAltS
        .text(QStringLiteral("ctrl"))  // CaptionCtrl
        .text(QStringLiteral("ctrls")) // CaptionCtrlS
        .text(QStringLiteral("shift")) // CaptionShift
        .u32(0x00112233)               // FocusColor
        .text(QStringLiteral("hint"))  // HintText
        .text(vKeyName)                // VKeyName
        .i2(vKeyNo)                    // VKeyNo
        .i4(2)                         // CaptionMode
        .i4(v.buttonStyle)             // ButtonStyle
        .i4(4)                         // FocusBorder
        .i4(v.alignment)               // Alignment
        .i4(v.alignPict)               // AlignPict
        .bytes(v.picture);             // Picture
}

void version3Block(FormBuilder& f) {
    f.u32(0x000000FF)    // BackColor
        .u32(0x0000FF00) // ForeColor
        .u32(0x00FF0000) // DisabledColor
        .u32(0x00010203) // CaptionPointedColor
        .u32(0x00040506) // BorderColor
        .u32(0x00070809) // LightColor
        .u32(sys(21))    // ShadowColor
        .i2(3)           // BorderWidth
        .i2(4)           // InnerBorderWidth
        .i2(5)           // OuterBorderWidth
        .boolean(false)  // Outline
        .boolean(true)   // RoundedCorners
        .i4(2)           // VKeyEx
        .i4(1)           // VKeyAlt
        .i4(2)           // VKeyCtrl
        .i4(1)           // VKeyShift
        .boolean(false)  // ClickAtEnterKey
        .boolean(false)  // ClickAtSpaceKey
        .i4(0)           // LostFocusAtHorzArrow
        .i4(0)           // LostFocusAtVertArrow
        .i4(6)           // Font3D
        .boolean(true)   // Toggle
        .boolean(true);  // Value
}

void version4Block(FormBuilder& f, const QByteArray& picture) {
    f.i4(3)              // CaptionAlignmentH
        .i4(3)           // CaptionAlignmentV
        .i4(2)           // CaptionDirection
        .i4(7)           // CaptionFocusBorder
        .i4(0)           // CaptionPosition
        .i2(150)         // CaptionRatio
        .i2(14)          // CaptionSize
        .i4(1)           // AlignmentH
        .i4(2)           // AlignmentV
        .u32(0x00ABCDEF) // CaptionFocusColor
        .boolean(true)   // HalfToneColor
        .boolean(true)   // CaptionAccelerator
        .boolean(true)   // CaptionMultiLine
        .boolean(true)   // CausesFocusMovement
        .boolean(true)   // KillClickFocus
        .boolean(true)   // TreatEnterAsTab
        .bytes(picture)  // DownPicture
        .bytes({})       // DisabledPicture
        .bytes(picture)  // OnPicture
        .u32(0x00000080) // DownColor
        .u32(0x00008000) // OnColor
        .i4(1);          // OLEDropMode
    for (int i = 0; i < 20; ++i) {
        f.text(QStringLiteral("item %1").arg(i)) // "PMenuCaption" + i
            .boolean(i % 2 == 0)                 // "PEnabled" + i
            .boolean(i % 3 == 0)                 // "PHidden" + i
            .boolean(i == 7);                    // "PSeparator" + i
    }
}

QByteArray version4Form(const QByteArray& picture) {
    FormBuilder f;
    f.u32(0x40000).stock(false);
    version2Block(f, {2, 3, 1, picture});
    version3Block(f);
    version4Block(f, picture);
    return f.data();
}

Variant get(PlinthControl& c, DispId id, std::vector<Variant> args = {}) {
    Variant out;
    if (!c.invoke(id, InvokeKind::PropertyGet, args, out)) {
        qWarning("get %d failed", id);
    }
    return out;
}

int load(PlinthControl& c, const QByteArray& form) {
    plinth::automation::PropertyReader reader(
        std::span(reinterpret_cast<const std::uint8_t*>(form.constData()),
                  static_cast<std::size_t>(form.size())));
    const auto s = c.load(reader);
    return s ? 0 : s.error().number;
}

Variant colour(std::uint32_t v) {
    return Variant::i4(static_cast<std::int32_t>(v));
}

} // namespace

class PersistTest : public QObject {
    Q_OBJECT

private slots:
    // Every value of a form built field by field lands in its own property.
    void version4FormLoadsEveryValue() {
        const QByteArray png = encoded("PNG", qRgb(10, 20, 30));
        PlinthControl c;
        QCOMPARE(load(c, version4Form(png)), 0);
        const auto b = [](bool v) { return Variant::boolean(v); };
        const auto i2 = [](int v) { return Variant::i2(static_cast<std::int16_t>(v)); };
        const auto i4 = [](int v) { return Variant::i4(v); };
        const auto s = [](const QString& v) { return Variant::bstr(v.toStdString()); };
        const std::vector<std::pair<DispId, Variant>> expected{
            {-514, b(false)},
            {23, i4(11)},
            {1, b(false)},
            {2, b(false)},
            {15, b(true)},
            {3, s(QStringLiteral("標準"))},
            {4, s("alt")},
            {5, s("altc")},
            {6, s("altcs")},
            {7, s("alts")},
            {8, s("ctrl")},
            {9, s("ctrls")},
            {10, s("shift")},
            {11, colour(0x00112233)},
            {12, s("hint")},
            {13, s("F5")},
            {14, i2(116)},
            {16, i4(2)},
            {19, i4(2)},
            {17, i4(4)},
            {20, i4(3)},
            {21, i4(1)},
            {18, Variant::bstr(png.toStdString())},
            {-501, colour(0xFF)},
            {-513, colour(0xFF00)},
            {40, colour(0xFF0000)},
            {42, colour(0x010203)},
            {24, colour(0x040506)},
            {25, colour(0x070809)},
            {26, colour(sys(21))},
            {33, i2(3)},
            {34, i2(4)},
            {35, i2(5)},
            {36, b(false)},
            {37, b(true)},
            {27, i4(2)},
            {28, i4(1)},
            {29, i4(2)},
            {30, i4(1)},
            {31, b(false)},
            {32, b(false)},
            {43, i4(0)},
            {44, i4(0)},
            {38, i4(6)},
            {39, b(true)},
            {41, b(true)},
            {48, i4(3)},
            {49, i4(3)},
            {67, i4(2)},
            {52, i4(7)},
            {47, i4(0)},
            {50, i2(150)},
            {51, i2(14)},
            {54, i4(1)},
            {55, i4(2)},
            {53, colour(0xABCDEF)},
            {56, b(true)},
            {59, b(true)},
            {66, b(true)},
            {60, b(true)},
            {64, b(true)},
            {68, b(true)},
            {57, Variant::bstr(png.toStdString())},
            {58, Variant::bstr("")},
            {61, Variant::bstr(png.toStdString())},
            {62, colour(0x80)},
            {63, colour(0x8000)},
            {65, i4(1)},
        };
        for (const auto& [id, value] : expected) {
            QCOMPARE(get(c, id), value);
        }
        QCOMPARE(c.widget()->font().family(), QStringLiteral("Sans Serif"));
        QCOMPARE(c.widget()->font().pointSizeF(), 9.0);
        for (std::int16_t i = 0; i < 20; ++i) {
            QCOMPARE(get(c, 72, {Variant::i2(i)}), s(QStringLiteral("item %1").arg(i)));
            QCOMPARE(get(c, 73, {Variant::i2(i)}), b(i % 2 == 0));
            QCOMPARE(get(c, 74, {Variant::i2(i)}), b(i % 3 == 0));
            QCOMPARE(get(c, 75, {Variant::i2(i)}), b(i == 7));
        }
    }

    // What a button writes, a new button reads back to the same form, byte for byte.
    void writtenFormReadsBack() {
        const QByteArray bmp = encoded("BMP", qRgb(200, 0, 0));
        PlinthControl a;
        QCOMPARE(load(a, version4Form(bmp)), 0);
        plinth::automation::PropertyWriter w;
        a.save(w);
        const QByteArray saved(reinterpret_cast<const char*>(w.bytes().data()),
                               static_cast<qsizetype>(w.bytes().size()));
        QCOMPARE(saved.left(4), QByteArray("\x00\x00\x04\x00", 4)); // version 0x40000
        PlinthControl b;
        QCOMPARE(load(b, saved), 0);
        plinth::automation::PropertyWriter w2;
        b.save(w2);
        QVERIFY(w.bytes() == w2.bytes());
        // The picture comes back in the format it was given in.
        QCOMPARE(b.widget()->pictureData("Picture"), bmp);
    }

    void version2FixedValues_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("alignPict");
        QTest::addColumn<bool>("outline");
        QTest::addColumn<bool>("rounded");
        // CaptionPosition, CaptionAlignmentH, CaptionAlignmentV, AlignmentH, AlignmentV:
        // the caption at its Alignment side, the picture centred, at the far edge or beside.
        QTest::addColumn<QList<int>>("places");
        QTest::newRow("Win31, centre") << 0 << 0 << 0 << true << true << QList<int>{4, 2, 1, 2, 1};
        QTest::newRow("Win95, top, edge")
            << 1 << 1 << 1 << true << false << QList<int>{2, 2, 0, 2, 2};
        QTest::newRow("double, left, edge")
            << 2 << 3 << 1 << false << false << QList<int>{0, 0, 1, 1, 1};
        QTest::newRow("none, right, beside")
            << 3 << 4 << 2 << true << false << QList<int>{1, 1, 1, 1, 1};
        QTest::newRow("Win31, bottom, beside")
            << 0 << 2 << 2 << true << true << QList<int>{3, 2, 2, 2, 2};
        QTest::newRow("Win95, bottom, centre")
            << 1 << 2 << 0 << true << false << QList<int>{3, 2, 2, 2, 1};
    }

    void version2FixedValues() {
        QFETCH(int, style);
        QFETCH(int, alignment);
        QFETCH(int, alignPict);
        QFETCH(bool, outline);
        QFETCH(bool, rounded);
        QFETCH(QList<int>, places);
        FormBuilder f;
        f.u32(0x20000).stock();
        version2Block(f, {style, alignment, alignPict, {}});
        PlinthControl c;
        QCOMPARE(load(c, f.data()), 0);
        // What the form holds.
        QCOMPARE(get(c, 19), Variant::i4(style));
        QCOMPARE(get(c, 3), Variant::bstr("標準"));
        QCOMPARE(get(c, 14), Variant::i2(116));
        // The fixed values of the older button.
        QCOMPARE(get(c, 24), colour(0));        // BorderColor black
        QCOMPARE(get(c, 25), colour(0xFFFFFF)); // LightColor white
        QCOMPARE(get(c, 26), colour(0x808080)); // ShadowColor grey
        QCOMPARE(get(c, 36), Variant::boolean(outline));
        QCOMPARE(get(c, 37), Variant::boolean(rounded));
        QCOMPARE(get(c, -501), colour(sys(15)));
        QCOMPARE(get(c, -513), colour(sys(18)));
        QCOMPARE(get(c, 31), Variant::boolean(true));
        QCOMPARE(get(c, 39), Variant::boolean(false));
        QCOMPARE(get(c, 62), colour(sys(15)));
        QCOMPARE(get(c, 63), colour(sys(15)));
        const DispId placeIds[] = {47, 48, 49, 54, 55};
        for (int k = 0; k < 5; ++k) {
            QCOMPARE(get(c, placeIds[k]), Variant::i4(places[k]));
        }
    }

    void version3KeepsItsBlockAndFillsTheNewest() {
        FormBuilder f;
        f.u32(0x30000).stock();
        version2Block(f, {0, 4, 1, {}}); // caption right, picture at the far (left) edge
        version3Block(f);
        PlinthControl c;
        QCOMPARE(load(c, f.data()), 0);
        QCOMPARE(get(c, -501), colour(0xFF));
        QCOMPARE(get(c, 24), colour(0x040506));
        QCOMPARE(get(c, 36), Variant::boolean(false));
        QCOMPARE(get(c, 37), Variant::boolean(true));
        QCOMPARE(get(c, 38), Variant::i4(6));
        QCOMPARE(get(c, 41), Variant::boolean(true));
        QVERIFY(c.widget()->isChecked());
        // Faces of the pressed and on states from the system's button face.
        QCOMPARE(get(c, 62), colour(sys(15)));
        QCOMPARE(get(c, 63), colour(sys(15)));
        const DispId placeIds[] = {47, 48, 49, 54, 55};
        const int places[] = {1, 1, 1, 0, 1};
        for (int k = 0; k < 5; ++k) {
            QCOMPARE(get(c, placeIds[k]), Variant::i4(places[k]));
        }
        QCOMPARE(get(c, 50), Variant::i2(100));
        QCOMPARE(get(c, 53), colour(sys(8)));
        QCOMPARE(get(c, 72, {Variant::i2(0)}), Variant::bstr(""));
        QCOMPARE(get(c, 73, {Variant::i2(0)}), Variant::boolean(true));
    }

    // A later minor revision of the current layout, with data appended, still loads.
    void laterMinorRevisionLoads() {
        QByteArray form = version4Form({});
        form[0] = 1; // 0x40001
        form.append("appended by a later revision");
        PlinthControl c;
        QCOMPARE(load(c, form), 0);
        QCOMPARE(get(c, 3), Variant::bstr("標準"));
    }

    // The key is the stored number; its name follows it whatever the form spelled, so the
    // name always reads as one the property takes.
    void keyNameFollowsTheStoredNumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("no such name") << QStringLiteral("xyz") << 116 << QStringLiteral("F5");
        QTest::newRow("another key's name") << QStringLiteral("F6") << 116 << QStringLiteral("F5");
        QTest::newRow("other case") << QStringLiteral("f5") << 116 << QStringLiteral("F5");
        QTest::newRow("empty name, no key") << QString() << 0 << QStringLiteral("none");
        QTest::newRow("a key the list does not name")
            << QStringLiteral("変換") << 0x1C << QStringLiteral("0x1C");
    }

    void keyNameFollowsTheStoredNumber() {
        QFETCH(QString, stored);
        QFETCH(int, number);
        QFETCH(QString, name);
        FormBuilder f;
        f.u32(0x40000).stock();
        version2Block(f, {}, stored, static_cast<std::int16_t>(number));
        version3Block(f);
        version4Block(f, {});
        PlinthControl c;
        QCOMPARE(load(c, f.data()), 0);
        QCOMPARE(get(c, 14), Variant::i2(static_cast<std::int16_t>(number)));
        QCOMPARE(get(c, 13), Variant::bstr(name.toStdString()));
        std::vector<Variant> put{get(c, 13)};
        Variant out;
        QVERIFY(c.invoke(13, InvokeKind::PropertyPut, put, out));
        QCOMPARE(get(c, 14), Variant::i2(static_cast<std::int16_t>(number)));
    }

    // A size given in pixels (Qt then has no point size) is stored in points at the
    // screen's DPI, so the button's own form loads again, and the font object tells the same.
    void pixelSizedFontIsStoredInPoints_data() {
        QTest::addColumn<QString>("styleSheet");
        QTest::addColumn<int>("pixels");
        QTest::newRow("font in pixels") << QString() << 16;
        QTest::newRow("style sheet in pixels") << QStringLiteral("font-size: 12px") << 12;
    }

    void pixelSizedFontIsStoredInPoints() {
        QFETCH(QString, styleSheet);
        QFETCH(int, pixels);
        PlinthControl a;
        PlinthBtn& w = *a.widget();
        if (styleSheet.isEmpty()) {
            QFont font = w.font();
            font.setPixelSize(pixels);
            w.setFont(font);
        } else {
            w.setStyleSheet(styleSheet);
            w.ensurePolished();
        }
        QCOMPARE(w.font().pixelSize(), pixels);
        const double points = pixels * 72.0 / w.logicalDpiY();
        Variant font = get(a, -512);
        auto& object = *font.asObject();
        Variant size;
        QVERIFY(object.invoke(*object.idOfName("Size"), InvokeKind::PropertyGet, {}, size));
        QCOMPARE(size, Variant::r8(points));
        PlinthBtn b;
        QCOMPARE(b.loadProperties(w.saveProperties()), 0);
        QCOMPARE(b.font().pointSizeF(), points);
    }

    // Enabled is the button's own setting: a disabled container leaves it out of the form.
    void enabledIsTheButtonsOwn_data() {
        QTest::addColumn<bool>("container");
        QTest::addColumn<bool>("own");
        QTest::newRow("both enabled") << true << true;
        QTest::newRow("container disabled") << false << true;
        QTest::newRow("button disabled") << true << false;
        QTest::newRow("both disabled") << false << false;
    }

    void enabledIsTheButtonsOwn() {
        QFETCH(bool, container);
        QFETCH(bool, own);
        QWidget parent;
        auto* button = new PlinthBtn(&parent);
        PlinthControl c(button);
        button->setEnabled(own);
        parent.setEnabled(container);
        QCOMPARE(button->isEnabled(), container && own);
        QCOMPARE(get(c, -514), Variant::boolean(own));
        PlinthBtn loaded;
        QCOMPARE(loaded.loadProperties(button->saveProperties()), 0);
        QCOMPARE(loaded.isEnabled(), own);
    }

    void refusedForms_data() {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<int>("error");
        const QByteArray good = version4Form({});
        QTest::newRow("empty") << QByteArray() << 321;
        QTest::newRow("version only") << QByteArray("\x00\x00\x04\x00", 4) << 321;
        FormBuilder v1;
        v1.u32(0x10000).stock();
        version2Block(v1, {});
        QTest::newRow("version 1") << v1.data() << 321;
        QByteArray v5 = good;
        v5[2] = 5;
        QTest::newRow("version 5") << v5 << 321;
        QByteArray v0 = good;
        v0[2] = 0;
        QTest::newRow("version 0") << v0 << 321;

        FormBuilder badStyle;
        badStyle.u32(0x40000).stock();
        version2Block(badStyle, {9, 0, 0, {}});
        version3Block(badStyle);
        version4Block(badStyle, {});
        QTest::newRow("ButtonStyle 9") << badStyle.data() << 321;

        FormBuilder badAlignment;
        badAlignment.u32(0x20000).stock();
        version2Block(badAlignment, {0, 5, 0, {}});
        QTest::newRow("Alignment 5") << badAlignment.data() << 321;

        FormBuilder badPicture;
        badPicture.u32(0x20000).stock();
        version2Block(badPicture, {0, 0, 0, QByteArray("\x89PNG not really", 15)});
        QTest::newRow("picture that is not one") << badPicture.data() << 481;

        QByteArray longString = good;
        // The font name's byte count (after version and Enabled) far past the end.
        longString[6] = '\xFF';
        longString[7] = '\xFF';
        longString[8] = '\xFF';
        longString[9] = '\x7F';
        QTest::newRow("string longer than the form") << longString << 321;
    }

    void refusedForms() {
        QFETCH(QByteArray, form);
        QFETCH(int, error);
        PlinthControl c;
        c.widget()->setCaptionStd(QStringLiteral("before"));
        c.widget()->setButtonStyle(PlinthBtn::kxbs_DoubleFrame);
        const QByteArray before = c.widget()->saveProperties();
        QCOMPARE(load(c, form), error);
        QCOMPARE(c.widget()->saveProperties(), before);
        QCOMPARE(c.widget()->loadProperties(form), error); // the widget's own call agrees
        QCOMPARE(c.widget()->CaptionStd(), QStringLiteral("before"));
    }

    // A form cut short anywhere is refused, never read past its end.
    void everyShortenedFormIsRefused() {
        const QByteArray form = version4Form(encoded("PNG", qRgb(1, 2, 3)));
        PlinthBtn button;
        button.setCaptionStd(QStringLiteral("before"));
        const QByteArray before = button.saveProperties();
        for (qsizetype cut = 0; cut < form.size(); ++cut) {
            QCOMPARE(button.loadProperties(form.left(cut)), 321);
        }
        QCOMPARE(button.saveProperties(), before);
        QCOMPARE(button.loadProperties(form), 0);
    }
};

QTEST_MAIN(PersistTest)
#include "PersistTest.moc"
