#include "views/TrendHistory.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace torvik::views {

TrendSeries::TrendSeries(std::size_t rawPoints, std::size_t seconds)
    : m_raw(rawPoints), m_buckets(seconds) {}

void TrendSeries::clear() {
    m_raw.clear();
    m_buckets.clear();
    m_rawDropped = false;
    m_count = 0;
    m_notFinite = 0;
}

void TrendSeries::add(double tMs, double value) {
    if (!std::isfinite(value) || !std::isfinite(tMs)) {
        ++m_notFinite;
        return;
    }
    ++m_count;
    const QPointF p(tMs, value);
    m_rawDropped = m_raw.push(p) || m_rawDropped;
    const double start = std::floor(tMs / kBucketMs) * kBucketMs;
    if (m_buckets.empty() || m_buckets.back().start != start) {
        m_buckets.push(Bucket{start, p, p});
        return;
    }
    Bucket& b = m_buckets.back();
    if (value < b.low.y())
        b.low = p;
    if (value > b.high.y())
        b.high = p;
}

std::vector<QPointF> TrendSeries::candidates(double fromMs, double toMs) const {
    std::vector<QPointF> out;
    const double rawFrom = m_raw.empty() ? toMs : m_raw[0].x();
    if (m_rawDropped && fromMs < rawFrom) {
        // Before the raw values: each second by its extremes, in the order they came.
        for (std::size_t i = 0; i < m_buckets.size(); ++i) {
            const Bucket& b = m_buckets[i];
            if (b.start + kBucketMs < fromMs)
                continue;
            if (b.start >= rawFrom)
                break;
            const QPointF& first = b.low.x() <= b.high.x() ? b.low : b.high;
            const QPointF& second = b.low.x() <= b.high.x() ? b.high : b.low;
            for (const QPointF* p : {&first, &second}) {
                if (p->x() >= fromMs && p->x() < rawFrom && (out.empty() || out.back() != *p))
                    out.push_back(*p);
            }
        }
    }
    // The raw values are in time order: find the window's start by bisection.
    std::size_t lo = 0;
    std::size_t hi = m_raw.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (m_raw[mid].x() < fromMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (std::size_t i = lo; i < m_raw.size() && m_raw[i].x() <= toMs; ++i)
        out.push_back(m_raw[i]);
    return out;
}

QList<QPointF> TrendSeries::points(double fromMs, double toMs, int columns) const {
    const std::vector<QPointF> all = candidates(fromMs, toMs);
    const auto limit = static_cast<std::size_t>(std::max(columns, 1)) * 2;
    if (all.size() <= limit || toMs <= fromMs)
        return QList<QPointF>(all.begin(), all.end());
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(limit));
    const double width = (toMs - fromMs) / std::max(columns, 1);
    std::size_t i = 0;
    while (i < all.size()) {
        const double column = std::floor((all[i].x() - fromMs) / width);
        QPointF low = all[i];
        QPointF high = all[i];
        for (++i; i < all.size() && std::floor((all[i].x() - fromMs) / width) == column; ++i) {
            if (all[i].y() < low.y())
                low = all[i];
            if (all[i].y() > high.y())
                high = all[i];
        }
        if (low == high) {
            out.push_back(low);
        } else if (low.x() <= high.x()) {
            out << low << high;
        } else {
            out << high << low;
        }
    }
    return out;
}

TrendHistory::TrendHistory() : m_epochMs(static_cast<double>(QDateTime::currentMSecsSinceEpoch())) {
    m_clock.start();
}

double TrendHistory::now() const {
    return m_epochMs + static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
}

void TrendHistory::clear() {
    for (TrendSeries& s : m_cells)
        s.clear();
    m_last = 0;
    ++m_revision;
}

void TrendHistory::add(int dlc, double tMs, double value) {
    if (dlc < 0 || static_cast<std::size_t>(dlc) >= kCells)
        return;
    m_cells[static_cast<std::size_t>(dlc)].add(tMs, value);
    m_last = std::max(m_last, tMs);
    ++m_revision;
}

bool TrendHistory::hasValues(int dlc) const {
    const TrendSeries& s = cell(dlc);
    return s.count() > 0 || s.notFinite() > 0;
}

} // namespace torvik::views
