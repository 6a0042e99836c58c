// The shipped label catalogues must give every key the screens and message boxes read a
// usable text; a missing key would show ***** on the operator's screen.
#include "config/Notices.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

// Sections and their keys as the catalogue loaders read them.
std::vector<std::pair<QString, QStringList>> expectedKeys() {
    auto range = [](int first, int last) {
        QStringList keys;
        for (int k = first; k <= last; ++k)
            keys << QString::number(k);
        return keys;
    };
    return {
        {QStringLiteral("MESSAGE"),
         {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
          QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("81"),
          QStringLiteral("82"), QStringLiteral("91"), QStringLiteral("92"), QStringLiteral("10"),
          QStringLiteral("11"), QStringLiteral("12")}},
        {QStringLiteral("SERIALNO"), range(1, 14)},
        {QStringLiteral("SETTINGS"), range(1, 31)},
        {QStringLiteral("TAB1"), range(0, 16)},
        {QStringLiteral("TAB2"), range(0, 23)},
        {QStringLiteral("TAB3"), range(0, 19)},
        {QStringLiteral("TAB4"), range(0, 28)},
        {QStringLiteral("TREND"), range(1, 20)},
        {QStringLiteral("MONITOR"), range(1, 21)},
        {QStringLiteral("NOTICE"), range(1, static_cast<int>(torvik::config::Notice::Last))},
    };
}

using Catalogue = QMap<QString, QMap<QString, QString>>;

// Just enough of the private-profile format to check a catalogue: [section], key=value,
// names case-insensitive. Duplicates are reported, since only the first would be read.
Catalogue parse(const QString& text, QStringList& problems) {
    Catalogue out;
    QString section;
    for (const QString& raw : text.split(u'\n')) {
        QString line = raw;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u';') || line.trimmed().isEmpty())
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).toUpper();
            if (out.contains(section))
                problems << QStringLiteral("section [%1] appears twice").arg(section);
            out[section];
            continue;
        }
        const auto eq = line.indexOf(u'=');
        if (eq < 0) {
            problems << QStringLiteral("line without '=': %1").arg(line);
            continue;
        }
        const QString key = line.left(eq).trimmed().toUpper();
        if (out[section].contains(key))
            problems << QStringLiteral("[%1] %2 appears twice").arg(section, key);
        else
            out[section][key] = line.mid(eq + 1);
    }
    return out;
}

Catalogue load(const char* path, QStringList& problems) {
    QFile f(QString::fromUtf8(path));
    if (!f.open(QIODevice::ReadOnly)) {
        problems << QStringLiteral("cannot read %1").arg(QString::fromUtf8(path));
        return {};
    }
    const QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        problems << QStringLiteral("starts with a byte-order mark");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        problems << QStringLiteral("not valid UTF-8");
    return parse(text, problems);
}

void checkCatalogue(const char* path) {
    QStringList problems;
    const Catalogue catalogue = load(path, problems);
    for (const auto& [section, keys] : expectedKeys()) {
        for (const QString& key : keys) {
            const QString where = QStringLiteral("[%1] %2").arg(section, key);
            if (!catalogue.value(section).contains(key)) {
                problems << where + QStringLiteral(" missing");
                continue;
            }
            const QString value = catalogue[section][key];
            // Values are trimmed, cut at a control character and cut to 99 characters.
            if (value.trimmed().isEmpty() || value == QStringLiteral("*****"))
                problems << where + QStringLiteral(" has no text");
            if (value != value.trimmed())
                problems << where + QStringLiteral(" has blanks that reading would drop");
            if (value.size() > 99)
                problems << where + QStringLiteral(" is longer than 99 characters");
            for (const QChar c : value) {
                if (c.unicode() < 0x20)
                    problems << where + QStringLiteral(" holds a control character");
            }
        }
    }
    // The Modbus status line shows this caption with "(bps)" taken out.
    if (!catalogue.value(QStringLiteral("SETTINGS"))
             .value(QStringLiteral("1"))
             .contains(QStringLiteral("(bps)")))
        problems << QStringLiteral("[SETTINGS] 1 lacks \"(bps)\"");
    EXPECT_TRUE(problems.isEmpty()) << path << ":\n" << problems.join(u'\n').toStdString();
}

TEST(Catalogue, JapaneseHasEveryKey) {
    checkCatalogue(TORVIK_CATALOGUE_JA);
}

TEST(Catalogue, EnglishHasEveryKey) {
    checkCatalogue(TORVIK_CATALOGUE_EN);
}

// The texts the program fills in keep their places in each language, and the English
// catalogue shows no Japanese.
TEST(Catalogue, NoticesKeepTheirPlaceholdersAndEnglishIsEnglish) {
    QStringList problems;
    const Catalogue ja = load(TORVIK_CATALOGUE_JA, problems);
    const Catalogue en = load(TORVIK_CATALOGUE_EN, problems);
    const QRegularExpression placeholder(QStringLiteral("%[0-9]"));
    auto placeholders = [&](const QString& text) {
        QStringList found;
        for (auto m = placeholder.globalMatch(text); m.hasNext();)
            found << m.next().captured();
        found.sort();
        return found;
    };
    const auto japaneseNotices = ja.value(QStringLiteral("NOTICE"));
    const auto englishNotices = en.value(QStringLiteral("NOTICE"));
    for (auto it = japaneseNotices.begin(); it != japaneseNotices.end(); ++it) {
        const QString english = englishNotices.value(it.key());
        if (placeholders(it.value()) != placeholders(english))
            problems
                << QStringLiteral("[NOTICE] %1: %2 against %3").arg(it.key(), it.value(), english);
    }
    for (auto section = en.begin(); section != en.end(); ++section) {
        for (auto it = section.value().begin(); it != section.value().end(); ++it) {
            for (const QChar c : it.value()) {
                if (c.unicode() >= 0x3000) {
                    problems << QStringLiteral("[%1] %2 is not English: %3")
                                    .arg(section.key(), it.key(), it.value());
                    break;
                }
            }
        }
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

// A catalogue without section NOTICE shows the built-in texts: the Japanese catalogue's own.
TEST(Catalogue, BuiltInNoticesAreTheJapaneseCatalogues) {
    QStringList problems;
    const auto japanese = load(TORVIK_CATALOGUE_JA, problems).value(QStringLiteral("NOTICE"));
    for (int key = 1; key <= static_cast<int>(torvik::config::Notice::Last); ++key) {
        const QString builtIn = torvik::config::noticeText(
            torvik::config::ProfileDocument(), static_cast<torvik::config::Notice>(key));
        if (builtIn != japanese.value(QString::number(key)))
            problems << QStringLiteral("[NOTICE] %1: built in %2, catalogue %3")
                            .arg(key)
                            .arg(builtIn, japanese.value(QString::number(key)));
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

TEST(Catalogue, BuildPutsBothIntoTheProgramFolder) {
    const auto bytes = [](const char* path) {
        QFile f(QString::fromUtf8(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    EXPECT_EQ(bytes(TORVIK_CATALOGUE_JA_BUILT), bytes(TORVIK_CATALOGUE_JA));
    EXPECT_EQ(bytes(TORVIK_CATALOGUE_EN_BUILT), bytes(TORVIK_CATALOGUE_EN));
}

} // namespace
