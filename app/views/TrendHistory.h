// The measured values of a run, per load cell, for the trend plot: kept however long the run
// lasts in bounded memory, and handed to the plot thinned to what its width can show.
//
// Each cell keeps its latest values as they came (enough for the short time windows at the
// line's limit) and, for the long windows, the lowest and highest value of every second of
// the last hour. Older points are dropped, oldest first.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointF>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvik::views {

// A ring of at most `capacity` items, oldest first.
template <class T>
class Ring {
public:
    explicit Ring(std::size_t capacity) : m_items(capacity) {}
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_items.size(); }
    bool empty() const { return m_size == 0; }
    const T& operator[](std::size_t i) const { return m_items[(m_head + i) % m_items.size()]; }
    T& back() { return m_items[(m_head + m_size - 1) % m_items.size()]; }
    const T& back() const { return m_items[(m_head + m_size - 1) % m_items.size()]; }
    // True when the oldest item made room for it.
    bool push(const T& item) {
        if (m_size < m_items.size()) {
            m_items[(m_head + m_size++) % m_items.size()] = item;
            return false;
        }
        m_items[m_head] = item;
        m_head = (m_head + 1) % m_items.size();
        return true;
    }
    void clear() { m_head = m_size = 0; }

private:
    std::vector<T> m_items;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
};

class TrendSeries {
public:
    // The defaults: about two minutes of values at the line's limit, and an hour of seconds.
    static constexpr std::size_t kRawPoints = 8192;
    static constexpr std::size_t kSeconds = 3600 + 60;
    static constexpr double kBucketMs = 1000;

    explicit TrendSeries(std::size_t rawPoints = kRawPoints, std::size_t seconds = kSeconds);

    // A value at time tMs (milliseconds, never decreasing). Values that are not finite are
    // counted and left out.
    void add(double tMs, double value);
    void clear();

    std::int64_t count() const { return m_count; } // finite values taken since the last clear
    std::int64_t notFinite() const { return m_notFinite; }
    std::size_t rawSize() const { return m_raw.size(); }
    bool dropped() const { return m_rawDropped; }
    double firstRawTime() const { return m_raw.empty() ? 0 : m_raw[0].x(); }
    double lastTime() const { return m_raw.empty() ? 0 : m_raw.back().x(); }

    // The points between fromMs and toMs as a line `columns` wide would draw them: every
    // point when there are few enough, else the lowest and the highest of each column, in
    // time order. Seconds summaries stand in where the raw values no longer reach back.
    QList<QPointF> points(double fromMs, double toMs, int columns) const;

private:
    struct Bucket {
        double start = 0; // of its second
        QPointF low, high;
    };
    std::vector<QPointF> candidates(double fromMs, double toMs) const;

    Ring<QPointF> m_raw;
    Ring<Bucket> m_buckets;
    bool m_rawDropped = false;
    std::int64_t m_count = 0;
    std::int64_t m_notFinite = 0;
};

// The cells of one run, DLC index 0 to 8.
class TrendHistory {
public:
    static constexpr std::size_t kCells = 9;

    TrendHistory();

    // Milliseconds since 1970 on a clock that never steps back: the wall clock when the
    // history was made, carried on by a monotonic one.
    double now() const;

    // A new run: every cell starts empty.
    void clear();
    // A value of DLC index `dlc` (others are ignored) at tMs on the clock of now().
    void add(int dlc, double tMs, double value);

    const TrendSeries& cell(int dlc) const { return m_cells.at(static_cast<std::size_t>(dlc)); }
    bool hasValues(int dlc) const;
    double lastTime() const { return m_last; }
    // Changes with every value or clear: a plot redraws only when it moved.
    std::uint64_t revision() const { return m_revision; }

private:
    std::array<TrendSeries, kCells> m_cells;
    QElapsedTimer m_clock;
    double m_epochMs = 0;
    double m_last = 0;
    std::uint64_t m_revision = 0;
};

} // namespace torvik::views
