// The monitor's frame log and its table: the log keeps the latest frames (oldest dropped), and
// the table follows it in batches, filtered, paused, and lets go of dropped frames even while
// paused.
#include "views/FrameLog.h"

#include "tavrin/Tavrin.h"
#include "views/FrameTableModel.h"

#include <gtest/gtest.h>

namespace torvik::views {
namespace {

LoggedFrame frame(std::uint16_t direction, std::uint16_t node, std::int64_t timeUs,
                  std::uint16_t flags = 0) {
    LoggedFrame f;
    f.direction = direction;
    f.node = node;
    f.function = 4;
    f.timeUs = timeUs;
    f.flags = flags;
    f.bytes = QByteArray::fromHex("01040000");
    f.result = flags & TAVRIN_FRAME_TIMEOUT ? 256 : 0;
    return f;
}

MonitorTexts texts() {
    MonitorTexts t;
    t.sent = QStringLiteral("TX");
    t.received = QStringLiteral("RX");
    t.timeout = QStringLiteral("TIMEOUT");
    return t;
}

TEST(FrameLog, KeepsTheLatestFramesNumberedFromTheFirst) {
    FrameLog log(10);
    for (int i = 0; i < 25; ++i)
        log.append(frame(TAVRIN_FRAME_SENT, 1, i), QStringLiteral("ok"), QStringLiteral("COM5"));
    EXPECT_EQ(log.end(), 25U);
    EXPECT_EQ(log.first(), 15U);
    EXPECT_EQ(log.droppedOldest(), 15U);
    EXPECT_EQ(log.at(15).timeUs, 15);
    EXPECT_EQ(log.at(24).timeUs, 24);
    EXPECT_EQ(log.resultText(0), QStringLiteral("ok"));
    EXPECT_EQ(log.portNames(), QStringList{QStringLiteral("COM5")});
}

TEST(FrameTableModel, ShowsFilteredFramesInBatchesAndFollowsTheLogsDrops) {
    FrameLog log(8);
    FrameTableModel model(log, texts());
    auto add = [&](std::uint16_t direction, std::uint16_t node, std::uint16_t flags = 0) {
        log.append(frame(direction, node, static_cast<std::int64_t>(log.end()), flags),
                   QStringLiteral("text"), QStringLiteral("COM5"));
    };
    add(TAVRIN_FRAME_SENT, 1);
    add(TAVRIN_FRAME_RECEIVED, 1);
    add(TAVRIN_FRAME_SENT, 2);
    add(TAVRIN_FRAME_RECEIVED, 2, TAVRIN_FRAME_TIMEOUT);
    EXPECT_EQ(model.rowCount(), 0); // nothing until the batch is taken in
    EXPECT_TRUE(model.sync());
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.text(0, FrameTableModel::Direction), QStringLiteral("TX"));
    EXPECT_EQ(model.text(1, FrameTableModel::Direction), QStringLiteral("RX"));
    EXPECT_EQ(model.text(3, FrameTableModel::Direction), QStringLiteral("TIMEOUT"));
    EXPECT_EQ(model.text(3, FrameTableModel::Result), QStringLiteral("256"));
    EXPECT_EQ(model.text(0, FrameTableModel::Bytes), QStringLiteral("01 04 00 00"));

    model.setFilter(2, FrameTableModel::Directions::All);
    EXPECT_EQ(model.rowCount(), 2);
    model.setFilter(FrameTableModel::kAllNodes, FrameTableModel::Directions::Received);
    EXPECT_EQ(model.rowCount(), 2);
    model.setFilter(1, FrameTableModel::Directions::Sent);
    EXPECT_EQ(model.rowCount(), 1);
    model.setFilter(FrameTableModel::kAllNodes, FrameTableModel::Directions::All);

    // Paused: new frames wait, but frames the log drops leave the table.
    model.setPaused(true);
    for (int i = 0; i < 6; ++i)
        add(TAVRIN_FRAME_SENT, 3);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(model.rowCount(), 2); // frames 0 and 1 are gone from the log of 8
    model.setPaused(false);
    EXPECT_TRUE(model.sync());
    EXPECT_EQ(model.rowCount(), 8);
    EXPECT_FALSE(model.sync());
    EXPECT_EQ(model.exportLine(7).count(u'\t'), FrameTableModel::ColumnCount - 1);
}

} // namespace
} // namespace torvik::views
