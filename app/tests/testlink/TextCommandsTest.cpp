// Matching received texts against the command table, the answers, and how the characters
// read from the port become commands.
#include "comm/TextCommands.h"

#include "config/CommandTable.h"

#include <gtest/gtest.h>

namespace torvik::comm {
namespace {

mdlFileMgr::CommandTable builtInTable() {
    mdlFileMgr::ProgramValues values;
    mdlFileMgr::CommandInit(values);
    return values.commands;
}

TEST(CommandTable, FirstNonEmptyEqualEntryMatches) {
    auto table = builtInTable();
    table.command[9] = QStringLiteral("SRB1"); // a later duplicate never answers
    const struct {
        QString received;
        std::optional<int> entry;
    } cases[] = {
        {QStringLiteral("MSV?33,1,0"), 0},
        {QStringLiteral("SRB1"), 1},
        {QString(QChar(0x12)), 6},
        {QString(QChar(0x01)), 7},
        {QStringLiteral("srb1"), std::nullopt}, // case counts
        {QStringLiteral("SRB"), std::nullopt},
        {QString(), std::nullopt}, // the empty entries 8 to 11 match nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchCommand(table, c.received), c.entry) << c.received.toStdString();
}

TEST(CommandTable, WhatIsShownAndSent) {
    auto table = builtInTable();
    table.command[8] = QString(QChar(0x05));
    table.response[8] = QString(QChar(0x06)) + QChar(0x0D); // from the hexadecimal "060D"
    table.hex[8] = true;
    table.command[9] = QStringLiteral("TWICE");
    table.response[9] = QStringLiteral("%/%");
    const QString crlf = QStringLiteral("\r\n");
    const QString data = QStringLiteral("+23.5");

    EXPECT_EQ(shownCommand(table, 0, QStringLiteral("MSV?33,1,0")), u"MSV?33,1,0");
    EXPECT_EQ(shownCommand(table, 6, QString(QChar(0x12))), u"12");
    EXPECT_EQ(shownCommand(table, 7, QString(QChar(0x01))), u"01");
    EXPECT_EQ(shownCommand(table, std::nullopt, QStringLiteral("XYZ")), u"XYZ");

    const struct {
        std::optional<int> entry;
        QString terminator;
        QString shown;
        QString output;
        bool highlight;
    } cases[] = {
        {0, crlf, QStringLiteral("+23.5,1,0"), QStringLiteral("+23.5,1,0\r\n"), true},
        {0, QStringLiteral("\r"), QStringLiteral("+23.5,1,0"), QStringLiteral("+23.5,1,0\r"), true},
        {1, crlf, QStringLiteral("0"), QStringLiteral("0\r\n"), true},
        {9, crlf, QStringLiteral("+23.5/+23.5"), QStringLiteral("+23.5/+23.5\r\n"), true},
        {6, crlf, QString(), QString(), false}, // hexadecimal, no response: nothing sent
        {8, crlf, QStringLiteral("06"), QString(QChar(0x06)) + QChar(0x0D), false},
        {std::nullopt, crlf, QString(), QString(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry ? *c.entry : -1);
        const auto r = commandResponse(table, c.entry, data, c.terminator);
        EXPECT_EQ(r.shown, c.shown);
        EXPECT_EQ(r.output, c.output);
        EXPECT_EQ(r.highlight, c.highlight);
    }
}

TEST(CommandAssembler, ReadsBecomeCommands) {
    const auto table = builtInTable();
    const auto matches = [&](const QString& text) { return matchCommand(table, text).has_value(); };
    const QString garbage = QString(300, u'#');
    // Each case: the reads in order and the commands each read gives.
    const struct {
        const char* what;
        std::vector<QString> reads;
        std::vector<std::vector<QString>> commands;
    } cases[] = {
        {"line end", {QStringLiteral("SRB1\r\n")}, {{QStringLiteral("SRB1")}}},
        {"blanks and line ends around",
         {QStringLiteral("\r\n  SRB1  \r\n")},
         {{QStringLiteral("SRB1")}}},
        {"no line end", {QStringLiteral("SRB1")}, {{QStringLiteral("SRB1")}}},
        {"CR alone", {QStringLiteral("SRB1\r")}, {{QStringLiteral("SRB1")}}},
        {"LF alone", {QStringLiteral("SRB1\n")}, {{QStringLiteral("SRB1")}}},
        {"hexadecimal",
         {QString(QChar(0x12)), QString(QChar(0x01))},
         {{QString(QChar(0x12))}, {QString(QChar(0x01))}}},
        {"two in one read",
         {QStringLiteral("SRB1\r\nCHS1\r\n")},
         {{QStringLiteral("SRB1"), QStringLiteral("CHS1")}}},
        {"split across reads",
         {QStringLiteral("MSV?33,"), QStringLiteral("1,0\r\n")},
         {{}, {QStringLiteral("MSV?33,1,0")}}},
        {"a whole one, then the start of the next",
         {QStringLiteral("SRB1\r\nMSV?3"), QStringLiteral("3,1,0\r\n")},
         {{QStringLiteral("SRB1")}, {QStringLiteral("MSV?33,1,0")}}},
        {"CR and LF in two reads",
         {QStringLiteral("SRB1\r"), QStringLiteral("\n")},
         {{QStringLiteral("SRB1")}, {}}},
        {"unknown with a line end", {QStringLiteral("XYZ\r\n")}, {{QStringLiteral("XYZ")}}},
        {"line ends only", {QStringLiteral("\r\n\r\n")}, {{}}},
        {"garbage without a line end is let go", {garbage}, {{garbage}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CommandAssembler assembler;
        for (std::size_t k = 0; k < c.reads.size(); ++k)
            EXPECT_EQ(assembler.take(c.reads[k], matches), c.commands[k]) << "read " << k;
        EXPECT_FALSE(assembler.holding());
    }

    // A rest that matches nothing waits for more, and is given up as it stands.
    CommandAssembler assembler;
    EXPECT_TRUE(assembler.take(QStringLiteral(" XYZ"), matches).empty());
    EXPECT_TRUE(assembler.holding());
    EXPECT_EQ(assembler.flush(), QStringLiteral("XYZ"));
    EXPECT_FALSE(assembler.flush());
}

} // namespace
} // namespace torvik::comm
