// The private-profile reader and writer. Expected values follow the Windows rules for these
// files: names without case, first match wins, trimmed values, quotes removed, a buffer of n
// characters sees n - 1 of them, GetPrivateProfileInt reads the leading decimal number.
#include "config/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using torvik::config::ProfileDocument;
using torvik::config::ProfileEncoding;

namespace {

const QByteArray kFixture = "; settings written by hand\r\n"
                            "[Alpha]\r\n"
                            "Key1 = value one  \r\n"
                            "key2=  \"quoted\"  \r\n"
                            "Dup=first\r\n"
                            "dup=second\r\n"
                            "Empty=\r\n"
                            "Long=0123456789ABCDEF\r\n"
                            "Number= -7x\r\n"
                            "Wrap=4294967297\r\n"
                            "NotAKey\r\n"
                            "\r\n"
                            "[alpha]\r\n"
                            "Only=in the second section\r\n"
                            "[Beta]\r\n"
                            "Key1=beta";

std::string show(const QString& s) {
    return s.toStdString();
}

TEST(PrivateProfile, ReadRules) {
    const ProfileDocument doc = ProfileDocument::fromBytes(kFixture);
    const struct {
        const char16_t* section;
        const char16_t* key;
        const char16_t* def;
        qsizetype chars;
        const char16_t* expected;
    } cases[] = {
        {u"Alpha", u"Key1", u"d", 99, u"value one"}, {u"ALPHA", u" KEY1 ", u"d", 99, u"value one"},
        {u"Alpha", u"key2", u"d", 99, u"quoted"},    {u"Alpha", u"Dup", u"d", 99, u"first"},
        {u"Alpha", u"Empty", u"d", 99, u""}, // present but empty: not the default
        {u"Alpha", u"Missing", u"d", 99, u"d"},      {u"Alpha", u"NotAKey", u"d", 99, u"d"},
        {u"Alpha", u"Only", u"d", 99, u"d"}, // only the first [Alpha] counts
        {u"Beta", u"Key1", u"d", 99, u"beta"},       {u"Alpha", u"Long", u"d", 5, u"01234"},
        {u"Alpha", u"Long", u"d", 0, u""},           {u"Gamma", u"x", u"default  ", 99, u"default"},
        {u"Gamma", u"x", u"default", 3, u"def"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(doc.getString(c.section, c.key, c.def, c.chars)),
                  show(QString::fromUtf16(c.expected)))
            << show(QString::fromUtf16(c.section)) << "/" << show(QString::fromUtf16(c.key));
}

TEST(PrivateProfile, IntegerReads) {
    const ProfileDocument doc = ProfileDocument::fromBytes(kFixture);
    EXPECT_EQ(doc.getInt(u"Alpha", u"Number", 5), -7);
    EXPECT_EQ(doc.getInt(u"Alpha", u"Long", 5), 123456789);
    EXPECT_EQ(doc.getInt(u"Alpha", u"Key1", 5), 0);  // not a number
    EXPECT_EQ(doc.getInt(u"Alpha", u"Empty", 5), 5); // empty gives the default
    EXPECT_EQ(doc.getInt(u"Alpha", u"Missing", -1), -1);
    EXPECT_EQ(doc.getInt(u"Alpha", u"Wrap", 0), 1); // wraps at 32 bits
}

TEST(PrivateProfile, WritesChangeOneLineAndKeepTheRest) {
    ProfileDocument doc = ProfileDocument::fromBytes(kFixture);
    doc.writeString(u"ALPHA", u"KEY1", u"new");       // in place, spelling and spacing kept
    doc.writeString(u"Alpha", u"DUP", u"changed");    // the first of the duplicates
    doc.writeString(u"Alpha", u"Added", u"x");        // after the section's last key
    doc.writeString(u"Beta", u"Key2", u"two\nthree"); // after an unterminated last line
    doc.writeString(u"Delta", u"k", u"v");            // new section at the end
    EXPECT_EQ(doc.toBytes().toStdString(), "; settings written by hand\r\n"
                                           "[Alpha]\r\n"
                                           "Key1 = new\r\n"
                                           "key2=  \"quoted\"  \r\n"
                                           "Dup=changed\r\n"
                                           "dup=second\r\n"
                                           "Empty=\r\n"
                                           "Long=0123456789ABCDEF\r\n"
                                           "Number= -7x\r\n"
                                           "Wrap=4294967297\r\n"
                                           "Added=x\r\n"
                                           "NotAKey\r\n"
                                           "\r\n"
                                           "[alpha]\r\n"
                                           "Only=in the second section\r\n"
                                           "[Beta]\r\n"
                                           "Key1=beta\r\n"
                                           "Key2=two\r\n"
                                           "\r\n"
                                           "[Delta]\r\n"
                                           "k=v\r\n");
}

TEST(PrivateProfile, NewFileUsesUtf8AndPlainLineEnds) {
    ProfileDocument doc;
    doc.writeString(u"S", u"k", u"データ");
    doc.writeString(u"S", u"k2", u"");
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\nk=\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\nk2=\n"));
}

QByteArray shiftJis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError());
    return bytes;
}

TEST(PrivateProfile, ShiftJisFilesAreReadAndWrittenBackInShiftJis) {
    // "ソ" is 0x83 0x5C in Shift-JIS: its trail byte is a backslash, and "表" (0x95 0x5C)
    // likewise; neither may end a section name or split a value.
    const QByteArray untouched = "\x82\xa0\xff\xfe garbage that is no text\r\n";
    const QByteArray bytes = shiftJis(u"[設定]\r\nフォルダ=C:\\データ\\ソ表\r\n"_qs) + untouched +
                             shiftJis(u"名前=旧\r\n"_qs);
    ProfileDocument doc = ProfileDocument::fromBytes(bytes);
    ASSERT_EQ(doc.encoding(), ProfileEncoding::ShiftJis);
    EXPECT_EQ(show(doc.getString(u"設定", u"フォルダ", u"", 99)), show(u"C:\\データ\\ソ表"_qs));
    EXPECT_EQ(show(doc.getString(u"設定", u"フォルダ", u"", 4)), show(u"C:\\デ"_qs));

    doc.writeString(u"設定", u"名前", u"新しい①€"); // € has no Shift-JIS code
    const QByteArray expected = shiftJis(u"[設定]\r\nフォルダ=C:\\データ\\ソ表\r\n"_qs) +
                                untouched + shiftJis(u"名前=新しい①"_qs) + "?\r\n";
    EXPECT_EQ(doc.toBytes().toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST(PrivateProfile, Utf8MarkIsKeptAndCharactersAreCountedNotUnits) {
    ProfileDocument doc =
        ProfileDocument::fromBytes(QByteArray("\xEF\xBB\xBF[s]\nk=あいうえお\ne=😀😀\n"));
    EXPECT_EQ(doc.encoding(), ProfileEncoding::Utf8);
    EXPECT_EQ(show(doc.getString(u"s", u"k", u"", 3)), "あいう");
    EXPECT_EQ(show(doc.getString(u"s", u"e", u"", 1)), "😀"); // a surrogate pair is one character
    doc.writeString(u"s", u"k", u"x");
    EXPECT_EQ(doc.toBytes(), QByteArray("\xEF\xBB\xBF[s]\nk=x\ne=😀😀\n"));
}

TEST(PrivateProfile, SaveReplacesTheFileAndNeverWritesOverAnUnreadableOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("a.ini");
    ProfileDocument missing = ProfileDocument::load(path);
    EXPECT_EQ(missing.source(), ProfileDocument::Source::Missing);
    missing.writeString(u"s", u"k", u"v");
    ASSERT_TRUE(missing.save(path));
    EXPECT_EQ(ProfileDocument::load(path).getString(u"s", u"k", u"", 9), "v");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"}); // no leftovers

    // A path that cannot be read as a file is neither read nor replaced.
    const QString folderPath = dir.filePath("b.ini");
    ASSERT_TRUE(QDir().mkdir(folderPath));
    ProfileDocument unreadable = ProfileDocument::load(folderPath);
    EXPECT_EQ(unreadable.source(), ProfileDocument::Source::Unreadable);
    unreadable.writeString(u"s", u"k", u"v");
    EXPECT_FALSE(unreadable.save(folderPath));
    EXPECT_TRUE(QFileInfo(folderPath).isDir());

    // A folder that does not exist: the write fails and says so.
    EXPECT_FALSE(missing.save(dir.filePath("no/such/folder/c.ini")));
}

} // namespace
