#include "widget/CaptionLayout.h"

#include "plinth/PlinthEnums.h"

#include <QFontMetricsF>
#include <algorithm>

namespace plinth {

namespace {

// "&x" marks x (the first one counts), "&&" is a literal "&".
QString stripAccelerator(const QString& caption, int& index) {
    QString out;
    index = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != u'&' && index < 0) {
                index = static_cast<int>(out.size());
            }
        }
        out.append(caption[i]);
    }
    return out;
}

// Places along one axis, numbered as the horizontal caption alignment is.
enum Place : int { Start = 0, End = 1, Centre = 2, Justify = 3 };

Place fromVertical(int alignV) {
    switch (alignV) {
    case 0:
        return Start;
    case 2:
        return End;
    case 3:
        return Justify;
    default:
        return Centre;
    }
}

Place fromHorizontal(int alignH) {
    return alignH >= Start && alignH <= Justify ? static_cast<Place>(alignH) : Centre;
}

// Where content of `size` starts in `extent`; justified content that is not spread out
// stands in the middle.
double aligned(Place where, double start, double extent, double size) {
    switch (where) {
    case Start:
        return start;
    case End:
        return start + extent - size;
    default:
        return start + (extent - size) / 2;
    }
}

} // namespace

CaptionLayout::CaptionLayout(const QString& caption, const QFont& font,
                             const CaptionOptions& options)
    : m_font(font), m_options(options) {
    QString text = caption;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!options.multiLine) {
        text.replace(u'\n', u' ');
    }
    if (options.accelerator) {
        m_text = stripAccelerator(text, m_acceleratorIndex);
    } else {
        m_text = text;
    }
    m_options.ratio = std::clamp(options.ratio, 0.01, 100.0);
}

std::optional<QChar> CaptionLayout::acceleratorKey() const {
    if (m_acceleratorIndex < 0) {
        return std::nullopt;
    }
    return m_text[m_acceleratorIndex];
}

std::vector<CaptionLayout::Line> CaptionLayout::lines(double extent) const {
    const QFontMetricsF fm(m_font);
    // Characters of a stacked column all take one line height.
    const auto advance = [&](const QString& s) {
        return stacked() ? fm.height() * static_cast<double>(s.size()) : fm.horizontalAdvance(s);
    };
    std::vector<Line> out;
    int paragraphStart = 0;
    const QStringList paragraphs = m_text.split(u'\n');
    for (const QString& paragraph : paragraphs) {
        if (!m_options.multiLine || paragraph.isEmpty()) {
            out.push_back({paragraph, paragraphStart});
        } else {
            // Greedy wrapping: break after the last blank that fits, else between any two
            // characters (captions in Japanese have no blanks).
            qsizetype start = 0;
            while (start < paragraph.size()) {
                qsizetype end = start + 1;
                qsizetype lastBlank = -1;
                while (end < paragraph.size() &&
                       advance(paragraph.mid(start, end - start + 1)) <= extent) {
                    if (paragraph[end] == u' ') {
                        lastBlank = end;
                    }
                    ++end;
                }
                if (end < paragraph.size() && lastBlank > start) {
                    end = lastBlank + 1;
                }
                out.push_back({paragraph.mid(start, end - start).trimmed(),
                               paragraphStart + static_cast<int>(start)});
                start = end;
            }
        }
        paragraphStart += static_cast<int>(paragraph.size()) + 1;
    }
    return out;
}

QSizeF CaptionLayout::naturalSize(const QSizeF& limit) const {
    if (m_text.isEmpty()) {
        return {};
    }
    const QFontMetricsF fm(m_font);
    const double r = m_options.ratio;
    // The run direction and its limit in layout units.
    const double runLimit = turned()    ? limit.height() / r
                            : stacked() ? limit.height()
                                        : limit.width() / r;
    const auto ls = lines(runLimit);
    double run = 0;
    for (const Line& l : ls) {
        run = std::max(run, stacked() ? fm.height() * static_cast<double>(l.text.size())
                                      : fm.horizontalAdvance(l.text));
    }
    const double across =
        static_cast<double>(ls.size()) * (stacked() ? fm.maxWidth() : fm.lineSpacing());
    if (turned()) {
        return {across, run * r};
    }
    if (stacked()) {
        return {across * r, run};
    }
    return {run * r, across};
}

PlacedCaption CaptionLayout::place(const QRectF& area) const {
    PlacedCaption placed;
    if (m_text.isEmpty() || area.isEmpty()) {
        return placed;
    }
    const QFontMetricsF fm(m_font);
    const double r = m_options.ratio;

    QTransform t;
    QSizeF size; // the area in layout units
    Place along = fromHorizontal(m_options.alignH);
    Place across = fromVertical(m_options.alignV);
    if (turned()) {
        // A quarter turn clockwise: the run goes down the face, lines follow right to left.
        t.translate(area.right(), area.top());
        t.rotate(90);
        t.scale(r, 1);
        size = {area.height() / r, area.width()};
        // The first line stands at the right: "right" is the start across the lines.
        along = fromVertical(m_options.alignV);
        across = m_options.alignH == 1 ? Start : m_options.alignH == 0 ? End : Centre;
    } else {
        t.translate(area.left(), area.top());
        t.scale(r, 1);
        size = {area.width() / r, area.height()};
    }
    placed.toScreen = t;

    if (stacked()) {
        // Columns of characters from right to left; CaptionAlignmentH places the block of
        // columns, CaptionAlignmentV the characters in each column.
        const auto cols = lines(size.height());
        const double pitch = fm.maxWidth();
        const double block = pitch * static_cast<double>(cols.size());
        const double left = aligned(along, 0, size.width(), block);
        for (std::size_t c = 0; c < cols.size(); ++c) {
            const Line& col = cols[c];
            const double x = left + block - pitch * static_cast<double>(c + 1);
            const auto n = static_cast<double>(col.text.size());
            const double height = fm.height() * n;
            double y = aligned(across, 0, size.height(), height);
            double step = fm.height();
            if (across == Justify && n > 1 && height < size.height()) {
                y = 0;
                step = (size.height() - fm.height()) / (n - 1);
            }
            for (qsizetype k = 0; k < col.text.size(); ++k) {
                const QString ch = col.text.mid(k, 1);
                const double cx = x + (pitch - fm.horizontalAdvance(ch)) / 2;
                const double top = y + step * static_cast<double>(k);
                placed.runs.push_back({ch, {cx, top + fm.ascent()}});
                if (col.firstIndex + k == m_acceleratorIndex) {
                    placed.underline =
                        QRectF(cx, top + fm.ascent() + 1, fm.horizontalAdvance(ch), 1);
                }
            }
        }
    } else {
        const auto ls = lines(size.width());
        const double lineHeight = fm.lineSpacing();
        const auto n = static_cast<double>(ls.size());
        const double block = lineHeight * n;
        double top = aligned(across, 0, size.height(), block);
        double lineStep = lineHeight;
        if (across == Justify && n > 1 && block < size.height()) {
            top = 0;
            lineStep = (size.height() - lineHeight) / (n - 1);
        }
        for (std::size_t i = 0; i < ls.size(); ++i) {
            const Line& line = ls[i];
            const double baseline = top + lineStep * static_cast<double>(i) + fm.ascent();
            const double width = fm.horizontalAdvance(line.text);
            const auto count = line.text.size();
            if (along == Justify && count > 1 && width < size.width()) {
                // Justified: the spare room shared out between the characters.
                const double gap = (size.width() - width) / static_cast<double>(count - 1);
                double x = 0;
                for (qsizetype k = 0; k < count; ++k) {
                    const QString ch = line.text.mid(k, 1);
                    placed.runs.push_back({ch, {x, baseline}});
                    if (line.firstIndex + k == m_acceleratorIndex) {
                        placed.underline = QRectF(x, baseline + 1, fm.horizontalAdvance(ch), 1);
                    }
                    x += fm.horizontalAdvance(ch) + gap;
                }
                continue;
            }
            const double x = aligned(along, 0, size.width(), width);
            placed.runs.push_back({line.text, {x, baseline}});
            const int k = m_acceleratorIndex - line.firstIndex;
            if (m_acceleratorIndex >= 0 && k >= 0 && k < count) {
                placed.underline = QRectF(x + fm.horizontalAdvance(line.text.left(k)), baseline + 1,
                                          fm.horizontalAdvance(line.text.mid(k, 1)), 1);
            }
        }
    }

    QRectF bounds;
    for (const CaptionRun& run : placed.runs) {
        const QRectF box(run.baseline.x(), run.baseline.y() - fm.ascent(),
                         fm.horizontalAdvance(run.text), fm.height());
        bounds = bounds.united(box);
    }
    placed.bounds = t.mapRect(bounds);
    return placed;
}

} // namespace plinth
