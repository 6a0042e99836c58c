#include "comm/CsvField.h"

#include <gtest/gtest.h>

using torvik::comm::String4Xls;

namespace {

// Expected fields: Python's csv.writer (QUOTE_MINIMAL, the RFC 4180 rules) on the same texts,
// except the empty text, which is one empty field here.
TEST(String4Xls, QuotesWhatAReaderWouldSplitOrMisread) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"DLCSIM-500K", "DLCSIM-500K"},
        {"", ""},
        {"A,B", "\"A,B\""},
        {",", "\",\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""}, // quotes alone: enclosed too
        {"\"", "\"\"\"\""},
        {"a,\"b\"", "\"a,\"\"b\"\"\""},
        {" padded  ", " padded  "}, // blanks are kept, as the names are 40 characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(String4Xls(QString::fromUtf8(c.text)), QString::fromUtf8(c.field)) << c.text;
    // The fill character of an unprintable byte is an ordinary character of the field.
    EXPECT_EQ(String4Xls(QString(3, QChar(0x00FF))), QString(3, QChar(0x00FF)));
}

} // namespace
