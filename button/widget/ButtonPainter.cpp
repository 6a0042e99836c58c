#include "widget/ButtonPainter.h"

#include "plinth/PlinthEnums.h"
#include "widget/CaptionLayout.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace plinth {

namespace {

constexpr int kPadding = 3;      // between the frame and the content
constexpr int kPictureGap = 4;   // between a picture and a caption beside it
constexpr int kCornerRadius = 5; // of RoundedCorners

struct Colours {
    QColor face, text, light, shadow, border, disabled, pointed, focus, captionFocus;
};

Colours coloursOf(const ButtonProperties& p, const QPalette& pal, const FaceState& s) {
    Colours c;
    OleColor face = p.BackColor;
    if (s.enabled && s.pressed) {
        face = p.DownColor;
    } else if (s.enabled && s.on) {
        face = p.OnColor;
    }
    c.face = resolveOleColor(face, pal);
    c.text = resolveOleColor(p.ForeColor, pal);
    c.light = resolveOleColor(p.LightColor, pal);
    c.shadow = resolveOleColor(p.ShadowColor, pal);
    c.border = resolveOleColor(p.BorderColor, pal);
    c.disabled = resolveOleColor(p.DisabledColor, pal);
    c.pointed = resolveOleColor(p.CaptionPointedColor, pal);
    c.focus = resolveOleColor(p.FocusColor, pal);
    c.captionFocus = resolveOleColor(p.CaptionFocusColor, pal);
    return c;
}

// `width` one-pixel rings inside `r`: top and left in `topLeft`, bottom and right in
// `bottomRight`. Returns the rectangle inside them.
QRect bevel(QPainter& g, QRect r, int width, const QColor& topLeft, const QColor& bottomRight) {
    for (int i = 0; i < width && r.width() > 1 && r.height() > 1; ++i) {
        g.setPen(topLeft);
        g.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        g.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
        g.setPen(bottomRight);
        g.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        g.drawLine(r.right(), r.top(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
    return r;
}

int bevelWidth(const ButtonProperties& p) {
    switch (p.ButtonStyle) {
    case kxbs_二重枠:
        return p.OuterBorderWidth + 1 + p.InnerBorderWidth;
    case kxbs_非表示:
        return p.OuterBorderWidth;
    default:
        return p.OuterBorderWidth + p.InnerBorderWidth;
    }
}

// The frame of the style in its state; returns the rectangle inside it.
QRect drawFrame(QPainter& g, QRect r, const ButtonProperties& p, const Colours& c,
                const FaceState& s) {
    const bool down = s.pressed || s.on;
    const int outer = p.OuterBorderWidth;
    const int inner = p.InnerBorderWidth;
    switch (p.ButtonStyle) {
    case kxbs_Win31風:
        // Raised: light above and left, shadow below and right, twice. Down: a shadow
        // along the top and left only, as the old buttons sank.
        if (down) {
            r = bevel(g, r, outer, c.shadow, c.face);
            return bevel(g, r, inner, c.face, c.face);
        }
        r = bevel(g, r, outer, c.light, c.shadow);
        return bevel(g, r, inner, c.light, c.shadow);
    case kxbs_Win95風:
        if (down) {
            r = bevel(g, r, outer, c.shadow, c.light);
            return bevel(g, r, inner, c.border, c.face);
        }
        r = bevel(g, r, outer, c.light, c.border);
        return bevel(g, r, inner, c.face, c.shadow);
    case kxbs_二重枠:
        // A raised outer ring and a sunken inner one with the face between; down swaps them.
        r = down ? bevel(g, r, outer, c.shadow, c.light) : bevel(g, r, outer, c.light, c.shadow);
        r.adjust(1, 1, -1, -1);
        return down ? bevel(g, r, inner, c.light, c.shadow) : bevel(g, r, inner, c.shadow, c.light);
    default:
        // No frame: flat until pointed at (raised) or pressed (sunken), as tool buttons.
        if (down) {
            return bevel(g, r, outer, c.shadow, c.light);
        }
        if (s.hot && s.enabled) {
            return bevel(g, r, outer, c.light, c.shadow);
        }
        return r.adjusted(outer, outer, -outer, -outer);
    }
}

QPen focusPen(int style, const QColor& colour) {
    QPen pen(colour);
    pen.setCosmetic(true);
    switch (style) {
    case kxfb_標準:
        pen.setStyle(Qt::DotLine);
        break;
    case kxfb_太線:
        pen.setWidth(2);
        break;
    case kxfb_細破線:
        pen.setStyle(Qt::DashLine);
        break;
    case kxfb_太破線:
        pen.setStyle(Qt::DashLine);
        pen.setWidth(2);
        break;
    default:
        break;
    }
    return pen;
}

void drawFocusBorder(QPainter& g, const QRect& r, int style, const QColor& colour,
                     const Colours& c) {
    if (style == kxcfb_なし || r.width() < 3 || r.height() < 3) {
        return;
    }
    if (style == kxcfb_浅凹) {
        bevel(g, r, 1, c.shadow, c.light);
        return;
    }
    if (style == kxcfb_深凹) {
        const QRect in = bevel(g, r, 1, c.shadow, c.light);
        bevel(g, in, 1, c.border, c.face);
        return;
    }
    g.setPen(focusPen(style, colour));
    g.setBrush(Qt::NoBrush);
    const int w = g.pen().width();
    g.drawRect(r.adjusted(w / 2, w / 2, -(w + 1) / 2, -(w + 1) / 2));
}

QImage disabledImage(const QImage& image, bool halfTone, const QColor& face) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = line[x];
            if (halfTone) {
                // Half way to the face: the picture fades but keeps its colours.
                line[x] = qRgba((qRed(px) + face.red()) / 2, (qGreen(px) + face.green()) / 2,
                                (qBlue(px) + face.blue()) / 2, qAlpha(px));
            } else {
                // Grey and lighter, as the platform greys a disabled picture.
                const int grey = 128 + qGray(px) / 2;
                line[x] = qRgba(grey, grey, grey, qAlpha(px));
            }
        }
    }
    return out;
}

// Offsets and colours of the copies drawn under the caption for its lettering.
struct Copy {
    int dx, dy;
    QColor colour;
};

std::vector<Copy> letteringCopies(int font3d, const Colours& c) {
    switch (font3d) {
    case kxf3d_凸型:
        return {{-1, -1, c.light}, {1, 1, c.shadow}};
    case kxf3d_凸型影付き:
        return {{2, 2, c.shadow.darker(150)}, {-1, -1, c.light}, {1, 1, c.shadow}};
    case kxf3d_凹型:
        return {{-1, -1, c.shadow}, {1, 1, c.light}};
    case kxf3d_凹型影付き:
        return {{2, 2, c.shadow.darker(150)}, {-1, -1, c.shadow}, {1, 1, c.light}};
    case kxf3d_影付き:
        return {{2, 2, c.shadow}};
    case kxf3d_縁取り:
        return {{-1, -1, c.light}, {0, -1, c.light}, {1, -1, c.light}, {-1, 0, c.light},
                {1, 0, c.light},   {-1, 1, c.light}, {0, 1, c.light},  {1, 1, c.light}};
    default:
        return {};
    }
}

void drawRuns(QPainter& g, const PlacedCaption& placed, const QFont& font, QPointF offset,
              const QColor& colour) {
    g.save();
    QTransform t = placed.toScreen;
    t *= QTransform::fromTranslate(offset.x(), offset.y());
    g.setTransform(t, true);
    g.setFont(font);
    g.setPen(colour);
    for (const CaptionRun& run : placed.runs) {
        g.drawText(run.baseline, run.text);
    }
    if (placed.underline) {
        g.fillRect(*placed.underline, colour);
    }
    g.restore();
}

CaptionOptions captionOptions(const ButtonProperties& p) {
    CaptionOptions o;
    o.alignH = p.layout.CaptionAlignmentH;
    o.alignV = p.layout.CaptionAlignmentV;
    o.direction = p.CaptionDirection;
    o.multiLine = p.CaptionMultiLine;
    o.accelerator = p.CaptionAccelerator;
    o.ratio = p.CaptionRatio / 100.0;
    return o;
}

QSize pictureSize(const QImage& image, const QSize& room) {
    if (image.isNull()) {
        return {};
    }
    QSize size = image.size();
    if (size.width() > room.width() || size.height() > room.height()) {
        size.scale(room, Qt::KeepAspectRatio); // never enlarged, only fitted
    }
    return size;
}

// Splits the content into the caption's strip on its side and the picture's rest.
void splitContent(const QRect& content, int position, const QSize& captionSize, QRect& caption,
                  QRect& picture, bool hasPicture) {
    caption = content;
    picture = content;
    if (position == kxcp_中央 || !hasPicture) {
        return;
    }
    const int w = std::min(captionSize.width(), content.width());
    const int h = std::min(captionSize.height(), content.height());
    switch (position) {
    case kxcp_左:
        caption.setWidth(w);
        picture.setLeft(caption.right() + 1 + kPictureGap);
        break;
    case kxcp_右:
        caption.setLeft(content.right() + 1 - w);
        picture.setRight(caption.left() - 1 - kPictureGap);
        break;
    case kxcp_上:
        caption.setHeight(h);
        picture.setTop(caption.bottom() + 1 + kPictureGap);
        break;
    case kxcp_下:
        caption.setTop(content.bottom() + 1 - h);
        picture.setBottom(caption.top() - 1 - kPictureGap);
        break;
    default:
        break;
    }
}

int alignedStart(int where, int start, int extent, int size) {
    switch (where) {
    case 0:
        return start;
    case 1:
        return start + extent - size;
    default:
        return start + (extent - size) / 2;
    }
}

} // namespace

int frameWidth(const ButtonProperties& p) {
    return (p.Outline ? p.BorderWidth : 0) + bevelWidth(p);
}

QFont captionFont(const ButtonProperties& p, const QFont& font) {
    QFont f = font;
    if (p.CaptionSize > 0) {
        f.setPointSize(p.CaptionSize);
    }
    return f;
}

const QImage& pictureForState(const ButtonProperties& p, const FaceState& s) {
    const PictureData* chosen = &p.Picture;
    if (!s.enabled) {
        chosen = &p.DisabledPicture;
    } else if (s.pressed) {
        chosen = &p.DownPicture;
    } else if (s.on) {
        chosen = &p.OnPicture;
    }
    return chosen->isNull() ? p.Picture.image() : chosen->image();
}

void paintFace(QPainter& g, const QRect& rect, const FaceInput& in) {
    const ButtonProperties& p = *in.props;
    const FaceState& s = in.state;
    if (!p.Show) {
        if (s.designMode) {
            // Invisible at run time: a dashed outline lets the form's designer find it.
            QPen pen(in.palette.color(QPalette::WindowText), 1, Qt::DashLine);
            pen.setCosmetic(true);
            g.setPen(pen);
            g.setBrush(Qt::NoBrush);
            g.drawRect(rect.adjusted(0, 0, -1, -1));
        }
        return;
    }
    const Colours c = coloursOf(p, in.palette, s);

    if (!p.Thru) {
        g.fillRect(rect, in.containerBackground);
    }
    g.save();
    if (p.RoundedCorners) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect), kCornerRadius, kCornerRadius);
        g.setClipPath(shape);
    }
    g.fillRect(rect, c.face);
    if (s.enabled && s.on && !s.pressed && p.OnColor == p.BackColor) {
        // The platform's checked look where no colour of its own was given.
        g.fillRect(rect, QBrush(c.light, Qt::Dense4Pattern));
    }

    QRect inside = rect;
    if (p.Outline && p.BorderWidth > 0) {
        inside = bevel(g, inside, p.BorderWidth, c.border, c.border);
    }
    inside = drawFrame(g, inside, p, c, s);
    g.restore();
    if (p.RoundedCorners && p.Outline && p.BorderWidth > 0) {
        // The clip cut the straight outline at the corners; draw it round.
        g.save();
        g.setRenderHint(QPainter::Antialiasing);
        QPen pen(c.border, p.BorderWidth);
        g.setPen(pen);
        g.setBrush(Qt::NoBrush);
        const double half = p.BorderWidth / 2.0;
        g.drawRoundedRect(QRectF(rect).adjusted(half, half, -half, -half), kCornerRadius,
                          kCornerRadius);
        g.restore();
    }

    // Content, one pixel down and right while the button is down.
    QRect content = inside.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    if (s.pressed || s.on) {
        content.translate(1, 1);
    }
    const QFont font = captionFont(p, in.font);
    const CaptionLayout caption(in.caption, font, captionOptions(p));
    const QImage& picture = pictureForState(p, s);

    QRect captionArea;
    QRect pictureArea;
    const QSizeF natural = caption.naturalSize(QSizeF(content.size()));
    splitContent(content, p.layout.CaptionPosition, natural.toSize() + QSize(1, 1), captionArea,
                 pictureArea, !picture.isNull());

    if (!picture.isNull() && !pictureArea.isEmpty()) {
        const QSize size = pictureSize(picture, pictureArea.size());
        const QRect target(alignedStart(p.layout.AlignmentH, pictureArea.left(),
                                        pictureArea.width(), size.width()),
                           alignedStart(p.layout.AlignmentV == 0   ? 0
                                        : p.layout.AlignmentV == 2 ? 1
                                                                   : 2,
                                        pictureArea.top(), pictureArea.height(), size.height()),
                           size.width(), size.height());
        const bool ownDisabledPicture = !p.DisabledPicture.isNull();
        g.drawImage(target, s.enabled || ownDisabledPicture
                                ? picture
                                : disabledImage(picture, p.HalfToneColor, c.face));
    }

    const PlacedCaption placed = caption.place(QRectF(captionArea));
    if (!placed.runs.empty()) {
        if (!s.enabled) {
            if (p.HalfToneColor) {
                QColor half = c.text;
                half.setRgb((c.text.red() + c.face.red()) / 2,
                            (c.text.green() + c.face.green()) / 2,
                            (c.text.blue() + c.face.blue()) / 2);
                drawRuns(g, placed, font, {}, half);
            } else {
                // Etched: a light copy below and right of the grey caption.
                drawRuns(g, placed, font, {1, 1}, c.light);
                drawRuns(g, placed, font, {}, c.disabled);
            }
        } else {
            for (const Copy& copy : letteringCopies(p.Font3D, c)) {
                drawRuns(g, placed, font, QPointF(copy.dx, copy.dy), copy.colour);
            }
            drawRuns(g, placed, font, {}, s.hot ? c.pointed : c.text);
        }
        if (s.focused && s.enabled) {
            drawFocusBorder(g, placed.bounds.toAlignedRect().adjusted(-2, -1, 2, 1),
                            p.CaptionFocusBorder, c.captionFocus, c);
        }
    }
    if (s.focused && s.enabled && p.FocusBorder != kxfb_なし) {
        drawFocusBorder(g, inside.adjusted(1, 1, -1, -1), p.FocusBorder, c.focus, c);
    }
}

QSize faceSizeHint(const ButtonProperties& p, const QString& captionText, const QFont& font) {
    const CaptionLayout caption(captionText, captionFont(p, font), captionOptions(p));
    const QSize text = caption.naturalSize(QSizeF(4000, 4000)).toSize();
    const QSize pic = p.Picture.image().size();
    QSize content;
    switch (p.layout.CaptionPosition) {
    case kxcp_左:
    case kxcp_右:
        content = {text.width() + (pic.isEmpty() ? 0 : pic.width() + kPictureGap),
                   std::max(text.height(), pic.height())};
        break;
    case kxcp_上:
    case kxcp_下:
        content = {std::max(text.width(), pic.width()),
                   text.height() + (pic.isEmpty() ? 0 : pic.height() + kPictureGap)};
        break;
    default:
        content = text.expandedTo(pic);
        break;
    }
    const int frame = 2 * (frameWidth(p) + kPadding) + 2;
    return content + QSize(frame + 8, frame);
}

} // namespace plinth
