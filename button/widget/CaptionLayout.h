// The caption as laid out on the face: horizontal, stacked vertically, or turned a quarter
// for fonts made for vertical text; aligned or justified in its area, optionally wrapped,
// with an underlined accelerator letter, and stretched sideways by the character ratio.
#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <optional>
#include <vector>

namespace plinth {

struct CaptionOptions {
    int alignH = 2;    // CaptionAlignmentHConstants
    int alignV = 1;    // CaptionAlignmentVConstants
    int direction = 0; // CaptionDirectionConstants
    bool multiLine = false;
    bool accelerator = false;
    double ratio = 1.0; // character width, 1.0 = the font's
};

struct CaptionRun {
    QString text;
    QPointF baseline; // in layout coordinates
};

struct PlacedCaption {
    std::vector<CaptionRun> runs;
    std::optional<QRectF> underline; // the accelerator's mark, layout coordinates
    QTransform toScreen;             // layout coordinates -> widget coordinates
    QRectF bounds;                   // what the text covers, widget coordinates
};

class CaptionLayout {
public:
    CaptionLayout(const QString& caption, const QFont& font, const CaptionOptions& options);

    // The caption as displayed (accelerator marks removed) and the accelerator letter.
    const QString& displayText() const { return m_text; }
    std::optional<QChar> acceleratorKey() const;

    // The space the caption needs on screen when it may use at most `limit` (for wrapping).
    QSizeF naturalSize(const QSizeF& limit) const;
    PlacedCaption place(const QRectF& area) const;

private:
    struct Line {
        QString text;
        int firstIndex; // index of its first character in m_text
    };
    std::vector<Line> lines(double extent) const;
    bool turned() const { return m_options.direction == 2; }
    bool stacked() const { return m_options.direction == 1; }

    QString m_text;
    int m_acceleratorIndex = -1;
    QFont m_font;
    CaptionOptions m_options;
};

} // namespace plinth
