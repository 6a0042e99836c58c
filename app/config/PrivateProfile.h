// Private-profile (INI) files with the Windows rules: section and key names compare without
// case, the first matching section and the first matching key in it win, values are trimmed,
// a read sees at most a given number of characters, and a write changes one line in place,
// keeping every other line byte for byte, creating the section or file when missing.
#pragma once

#include "config/ProfileEncoding.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace torvik::config {

class ProfileDocument {
public:
    enum class Source { New, Loaded, Missing, Unreadable };

    ProfileDocument();
    ~ProfileDocument();
    ProfileDocument(const ProfileDocument&);
    ProfileDocument& operator=(const ProfileDocument&);
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;

    // A missing file gives an empty document; one that exists but cannot be read gives an
    // empty document that refuses to be saved over it.
    static ProfileDocument load(const QString& path);
    static ProfileDocument fromBytes(const QByteArray& bytes);

    Source source() const { return m_source; }
    ProfileEncoding encoding() const { return m_encoding; }

    // GetPrivateProfileString: the value (surrounding matching quotes removed) or, when the
    // file, section or key is missing, the default; cut to maxChars characters.
    QString getString(QStringView section, QStringView key, QStringView defaultValue,
                      qsizetype maxChars) const;

    // Whether the key is in the file (in the first section of that name), whatever its value.
    bool hasKey(QStringView section, QStringView key) const;
    // Whether the document holds any section at all (an empty or binary file holds none).
    bool hasSections() const;

    // GetPrivateProfileInt: a missing or empty value gives the default; otherwise the leading
    // decimal number (sign allowed, "abc" is 0), wrapping at 32 bits.
    std::int32_t getInt(QStringView section, QStringView key, std::int32_t defaultValue) const;

    // WritePrivateProfileString. A line break in the value would split the line, so the value
    // ends at it.
    void writeString(QStringView section, QStringView key, QStringView value);

    QByteArray toBytes() const;

    // Replaces the file by a complete new copy (temporary file in the same folder, then
    // rename), so a failed write leaves the old file whole. Refused for an Unreadable source.
    bool save(const QString& path) const;

private:
    struct Line;

    qsizetype findSection(QStringView section) const;
    qsizetype findKey(qsizetype sectionLine, QStringView key) const;
    void terminateLine(qsizetype index);
    Line makeLine(QStringView text) const;

    std::vector<Line> m_lines;
    QByteArray m_bom;
    QByteArray m_newline;
    ProfileEncoding m_encoding = ProfileEncoding::Utf8;
    Source m_source = Source::New;
};

} // namespace torvik::config
