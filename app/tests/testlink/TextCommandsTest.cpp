// Matching received texts against the command table, the answers, and how the characters
// read from the port become commands.
#include "comm/TextCommands.h"

#include "config/CommandTable.h"

#include <gtest/gtest.h>

namespace torvik::comm {
namespace {

using config::ProfileEncoding;
constexpr auto kUtf8 = ProfileEncoding::Utf8;

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
        EXPECT_EQ(matchCommand(table, c.received, kUtf8), c.entry) << c.received.toStdString();
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

    EXPECT_EQ(shownCommand(table, 0, QStringLiteral("MSV?33,1,0"), kUtf8), u"MSV?33,1,0");
    EXPECT_EQ(shownCommand(table, 6, QString(QChar(0x12)), kUtf8), u"12");
    EXPECT_EQ(shownCommand(table, 7, QString(QChar(0x01)), kUtf8), u"01");
    EXPECT_EQ(shownCommand(table, std::nullopt, QStringLiteral("XYZ"), kUtf8), u"XYZ");

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
        const auto r = commandResponse(table, c.entry, data, c.terminator, kUtf8);
        EXPECT_EQ(r.shown, c.shown);
        EXPECT_EQ(r.output, c.output);
        EXPECT_EQ(r.highlight, c.highlight);
    }
}

// The table's texts travel as the bytes of the settings file's encoding, both ways; the
// hexadecimal entries are single raw bytes in either. Each read comes with a line end and goes
// through the assembler as the port's bytes do.
TEST(CommandTable, TextsOnTheLineInTheSettingsFilesEncoding) {
    auto table = builtInTable();
    table.command[8] = QStringLiteral("表示?");
    table.response[8] = QStringLiteral("値=%");
    table.command[9] = QString(QChar(0xFE));
    table.response[9] = QString(QChar(0xFD)) + QChar(0x0D);
    table.hex[9] = true;
    table.command[10] = QStringLiteral("ｱ"); // half-width katakana: one byte in code page 932
    table.response[10] = QStringLiteral("ｲ");
    const auto sjis = [](const char16_t* text) {
        return config::encodeText(QStringView(text), ProfileEncoding::ShiftJis);
    };
    const auto utf8 = [](const char16_t* text) { return QString::fromUtf16(text).toUtf8(); };
    constexpr auto kSjis = ProfileEncoding::ShiftJis;
    const struct {
        const char* what;
        ProfileEncoding encoding;
        QByteArray received;
        std::optional<int> entry;
        QString shown;
        QByteArray output;
    } cases[] = {
        {"kanji, Shift-JIS", kSjis, sjis(u"表示?"), 8, QStringLiteral("表示?"),
         sjis(u"値=+23.5\r\n")},
        {"kanji, UTF-8", kUtf8, utf8(u"表示?"), 8, QStringLiteral("表示?"), utf8(u"値=+23.5\r\n")},
        {"UTF-8 bytes on a Shift-JIS line",
         kSjis,
         utf8(u"表示?"),
         std::nullopt,
         config::decodeText(utf8(u"表示?"), kSjis),
         {}},
        {"Shift-JIS bytes on a UTF-8 line",
         kUtf8,
         sjis(u"表示?"),
         std::nullopt,
         config::decodeText(sjis(u"表示?"), kUtf8),
         {}},
        {"katakana, Shift-JIS", kSjis, QByteArray("\xB1"), 10, QStringLiteral("ｱ"),
         QByteArray("\xB2\r\n")},
        {"katakana, UTF-8", kUtf8, QByteArray("\xEF\xBD\xB1"), 10, QStringLiteral("ｱ"),
         QByteArray("\xEF\xBD\xB2\r\n")},
        {"a lone byte on a UTF-8 line",
         kUtf8,
         QByteArray("\xB1"),
         std::nullopt,
         QString(QChar(0xFFFD)),
         {}},
        {"hexadecimal, Shift-JIS", kSjis, QByteArray("\xFE"), 9, QStringLiteral("FE"),
         QByteArray("\xFD\x0D")},
        {"hexadecimal, UTF-8", kUtf8, QByteArray("\xFE"), 9, QStringLiteral("FE"),
         QByteArray("\xFD\x0D")},
        {"ASCII, Shift-JIS", kSjis, QByteArray("SRB1"), 1, QStringLiteral("SRB1"),
         QByteArray("0\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto matches = [&](const QString& text) {
            return matchCommand(table, text, c.encoding).has_value();
        };
        CommandAssembler assembler;
        const auto commands = assembler.take(QString::fromLatin1(c.received + "\r\n"), matches);
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands[0], QString::fromLatin1(c.received));
        const auto entry = matchCommand(table, commands[0], c.encoding);
        EXPECT_EQ(entry, c.entry);
        EXPECT_EQ(shownCommand(table, entry, commands[0], c.encoding), c.shown);
        const auto r = commandResponse(table, entry, QStringLiteral("+23.5"),
                                       QStringLiteral("\r\n"), c.encoding);
        EXPECT_EQ(r.output.toLatin1(), c.output);
        // Every character of the output is one byte.
        EXPECT_EQ(QString::fromLatin1(r.output.toLatin1()), r.output);
    }
}

TEST(CommandAssembler, ReadsBecomeCommands) {
    const auto table = builtInTable();
    const auto matches = [&](const QString& text) {
        return matchCommand(table, text, kUtf8).has_value();
    };
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
