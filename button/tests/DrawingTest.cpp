// The drawing of the face: every state changes what is drawn in every frame style, system
// colours follow the palette, the caption is placed as its alignment and direction say,
// and odd values draw without harm.
#include "plinth/PlinthBtn.h"
#include "widget/ButtonPainter.h"
#include "widget/CaptionLayout.h"

#include <QPainter>
#include <QTest>

using plinth::ButtonProperties;
using plinth::CaptionLayout;
using plinth::CaptionOptions;
using plinth::FaceInput;
using plinth::FaceState;

namespace {

QImage render(const ButtonProperties& p, const FaceState& s, QSize size = {100, 32},
              const QString& caption = QStringLiteral("Caption"),
              const QPalette& palette = QPalette()) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter g(&image);
    FaceInput in;
    in.props = &p;
    in.caption = caption;
    in.font = QFont();
    in.palette = palette;
    in.containerBackground = QColor(10, 200, 10);
    in.state = s;
    plinth::paintFace(g, QRect(QPoint(), size), in);
    return image;
}

plinth::PictureData solid(QRgb colour) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    return plinth::PictureData::fromImage(image);
}

} // namespace

class DrawingTest : public QObject {
    Q_OBJECT

private slots:
    void everyStateShows_data() {
        QTest::addColumn<int>("style");
        QTest::newRow("Win31風") << 0;
        QTest::newRow("Win95風") << 1;
        QTest::newRow("二重枠") << 2;
        QTest::newRow("非表示") << 3;
    }

    // Each state looks different from the normal button, and from each other.
    void everyStateShows() {
        QFETCH(int, style);
        ButtonProperties p;
        p.ButtonStyle = style;
        p.CaptionPointedColor = plinth::rgbColour(0, 0, 255);
        std::vector<std::pair<const char*, FaceState>> states;
        states.push_back({"normal", {}});
        FaceState pressed;
        pressed.pressed = true;
        states.push_back({"pressed", pressed});
        FaceState on;
        on.on = true;
        states.push_back({"on", on});
        FaceState disabled;
        disabled.enabled = false;
        states.push_back({"disabled", disabled});
        FaceState focused;
        focused.focused = true;
        states.push_back({"focused", focused});
        FaceState hot;
        hot.hot = true;
        states.push_back({"mouse over", hot});
        std::vector<QImage> images;
        for (const auto& [name, state] : states) {
            images.push_back(render(p, state));
        }
        for (std::size_t a = 0; a < images.size(); ++a) {
            for (std::size_t b = a + 1; b < images.size(); ++b) {
                QVERIFY2(
                    images[a] != images[b],
                    qPrintable(
                        QStringLiteral("%1 looks like %2").arg(states[a].first, states[b].first)));
            }
        }
    }

    void systemColoursFollowThePalette() {
        ButtonProperties p;
        p.Outline = false;
        QPalette palette;
        palette.setColor(QPalette::Button, QColor(200, 100, 50));
        const QImage image = render(p, {}, {60, 30}, QString(), palette);
        QCOMPARE(image.pixelColor(30, 15), QColor(200, 100, 50)); // the face, system colour 15
        p.BackColor = plinth::rgbColour(1, 2, 3);
        QCOMPARE(render(p, {}, {60, 30}, QString(), palette).pixelColor(30, 15), QColor(1, 2, 3));
        // The pressed and on faces.
        p.DownColor = plinth::rgbColour(9, 9, 9);
        FaceState pressed;
        pressed.pressed = true;
        QCOMPARE(render(p, pressed, {60, 30}, QString(), palette).pixelColor(30, 15),
                 QColor(9, 9, 9));
    }

    void outsideTheRoundedFace() {
        ButtonProperties p;
        p.RoundedCorners = true;
        QCOMPARE(qAlpha(render(p, {}).pixel(0, 0)), 0); // the container shows through
        p.Thru = false;
        QCOMPARE(render(p, {}).pixelColor(0, 0), QColor(10, 200, 10));
    }

    void hiddenButtonDrawsNothingAtRunTime() {
        ButtonProperties p;
        p.Show = false;
        QImage empty(100, 32, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        QCOMPARE(render(p, {}), empty);
        FaceState design;
        design.designMode = true;
        QVERIFY(render(p, design) != empty); // outlined for the form's designer
    }

    void pictureOfEachState_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("ownPictures"); // Down, Disabled and On pictures given
        QTest::addColumn<QRgb>("expected");
        const QRgb normal = qRgb(255, 0, 0), down = qRgb(0, 255, 0), off = qRgb(0, 0, 255),
                   on = qRgb(255, 255, 0);
        QTest::newRow("normal") << true << false << false << true << normal;
        QTest::newRow("pressed") << true << true << false << true << down;
        QTest::newRow("pressed while on") << true << true << true << true << down;
        QTest::newRow("on") << true << false << true << true << on;
        QTest::newRow("disabled") << false << false << false << true << off;
        QTest::newRow("disabled while on") << false << false << true << true << off;
        QTest::newRow("pressed, none of its own") << true << true << false << false << normal;
        QTest::newRow("on, none of its own") << true << false << true << false << normal;
    }

    void pictureOfEachState() {
        QFETCH(bool, enabled);
        QFETCH(bool, pressed);
        QFETCH(bool, on);
        QFETCH(bool, ownPictures);
        QFETCH(QRgb, expected);
        ButtonProperties p;
        p.Picture = solid(qRgb(255, 0, 0));
        if (ownPictures) {
            p.DownPicture = solid(qRgb(0, 255, 0));
            p.DisabledPicture = solid(qRgb(0, 0, 255));
            p.OnPicture = solid(qRgb(255, 255, 0));
        }
        FaceState s;
        s.enabled = enabled;
        s.pressed = pressed;
        s.on = on;
        QCOMPARE(plinth::pictureForState(p, s).pixel(0, 0), expected);
    }

    // Without a picture of its own, a disabled button greys its picture.
    void disabledPictureIsGreyed() {
        ButtonProperties p;
        p.Picture = solid(qRgb(255, 0, 0));
        p.CaptionStd.clear();
        FaceState disabled;
        disabled.enabled = false;
        const QColor centre = render(p, disabled, {40, 30}, QString()).pixelColor(20, 15);
        QCOMPARE(centre.red(), centre.green());
        QCOMPARE(centre.green(), centre.blue());
        p.HalfToneColor = true; // half way to the face instead, keeping its hue
        const QColor half = render(p, disabled, {40, 30}, QString()).pixelColor(20, 15);
        QVERIFY(half.red() > half.green());
    }

    void justifiedCaptionReachesBothEdges() {
        CaptionOptions o;
        o.alignH = 3;
        const CaptionLayout layout(QStringLiteral("ABCD"), QFont(), o);
        const auto placed = layout.place(QRectF(0, 0, 200, 30));
        QCOMPARE(placed.runs.size(), std::size_t{4});
        QCOMPARE(placed.runs.front().baseline.x(), 0.0);
        QVERIFY(placed.bounds.right() > 195);
    }

    void verticalCaptionStacks() {
        CaptionOptions o;
        o.direction = 1;
        const CaptionLayout layout(QStringLiteral("縦書き"), QFont(), o);
        const auto placed = layout.place(QRectF(0, 0, 40, 120));
        QCOMPARE(placed.runs.size(), std::size_t{3});
        QVERIFY(placed.runs[0].baseline.y() < placed.runs[1].baseline.y());
        QVERIFY(placed.runs[1].baseline.y() < placed.runs[2].baseline.y());
        QVERIFY(placed.bounds.height() > placed.bounds.width());
        o.direction = 2; // turned a quarter: a long horizontal run becomes tall
        const CaptionLayout turned(QStringLiteral("Turned caption"), QFont(), o);
        const auto turnedPlaced = turned.place(QRectF(0, 0, 40, 200));
        QVERIFY(turnedPlaced.bounds.height() > 2 * turnedPlaced.bounds.width());
    }

    void alignmentPlacesTheCaption_data() {
        QTest::addColumn<int>("alignH");
        QTest::addColumn<int>("alignV");
        QTest::addColumn<QString>("where"); // l/c/r then t/m/b
        QTest::newRow("left top") << 0 << 0 << "lt";
        QTest::newRow("right bottom") << 1 << 2 << "rb";
        QTest::newRow("centre middle") << 2 << 1 << "cm";
    }

    void alignmentPlacesTheCaption() {
        QFETCH(int, alignH);
        QFETCH(int, alignV);
        QFETCH(QString, where);
        CaptionOptions o;
        o.alignH = alignH;
        o.alignV = alignV;
        const QRectF area(0, 0, 300, 100);
        const QRectF b = CaptionLayout(QStringLiteral("x"), QFont(), o).place(area).bounds;
        const auto near = [](double x, double y) { return std::abs(x - y) < 2.0; };
        const QChar h = where[0], v = where[1];
        QVERIFY(h == u'l'   ? near(b.left(), 0)
                : h == u'r' ? near(b.right(), 300)
                            : near(b.center().x(), 150));
        QVERIFY(v == u't'   ? near(b.top(), 0)
                : v == u'b' ? near(b.bottom(), 100)
                            : near(b.center().y(), 50));
    }

    void acceleratorMarks() {
        CaptionOptions o;
        o.accelerator = true;
        const CaptionLayout save(QStringLiteral("&Save && close"), QFont(), o);
        QCOMPARE(save.displayText(), QStringLiteral("Save & close"));
        QCOMPARE(save.acceleratorKey().value_or(u'?'), u'S');
        QVERIFY(save.place(QRectF(0, 0, 200, 30)).underline.has_value());
        o.accelerator = false;
        QCOMPARE(CaptionLayout(QStringLiteral("&Save"), QFont(), o).displayText(),
                 QStringLiteral("&Save"));
    }

    void ratioStretchesTheCaption() {
        CaptionOptions o;
        const QSizeF normal =
            CaptionLayout(QStringLiteral("Caption"), QFont(), o).naturalSize({1000, 1000});
        o.ratio = 2.0;
        const QSizeF wide =
            CaptionLayout(QStringLiteral("Caption"), QFont(), o).naturalSize({1000, 1000});
        QCOMPARE(wide.height(), normal.height());
        QVERIFY(std::abs(wide.width() - 2 * normal.width()) < 1.0);
    }

    // Extreme but allowed values, tiny faces, every direction and wrapping: drawn at all.
    void oddValuesDraw() {
        for (int style = 0; style < 4; ++style) {
            for (const QSize size : {QSize(1, 1), QSize(7, 5), QSize(300, 90)}) {
                for (int direction = 0; direction < 3; ++direction) {
                    ButtonProperties p;
                    p.ButtonStyle = style;
                    p.BorderWidth = 200;
                    p.OuterBorderWidth = 0;
                    p.InnerBorderWidth = 32767;
                    p.CaptionRatio = direction == 1 ? 1 : 32767;
                    p.CaptionSize = 200;
                    p.CaptionDirection = direction;
                    p.CaptionMultiLine = true;
                    p.layout.CaptionAlignmentH = 3;
                    p.layout.CaptionAlignmentV = 3;
                    p.layout.CaptionPosition = direction + 1;
                    p.RoundedCorners = true;
                    p.Picture = solid(qRgb(1, 2, 3));
                    FaceState s;
                    s.focused = true;
                    p.CaptionFocusBorder = 7;
                    (void)render(p, s, size, QStringLiteral("a b\nc d e f g h i j k"));
                    (void)render(p, s, size, QString());
                }
            }
        }
        PlinthBtn b;
        b.resize(1, 1);
        (void)b.grab(); // and the widget itself at a size nothing fits in
        QVERIFY(true);
    }
};

QTEST_MAIN(DrawingTest)
#include "DrawingTest.moc"
