#include "config/PrivateProfile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace torvik::config {

struct ProfileDocument::Line {
    enum class Kind { Other, Section, Key };

    QByteArray bytes;   // without the line terminator
    QByteArray newline; // "\n", "\r\n", or empty for an unterminated last line
    Kind kind = Kind::Other;
    QString name;              // section or key name, trimmed
    QString value;             // trimmed value of a key line
    qsizetype valueOffset = 0; // where the value starts in bytes
};

namespace {

bool isProfileBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isProfileBlank(s[b]))
        ++b;
    while (e > b && isProfileBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// Counts characters, not UTF-16 units, so a cut never splits a surrogate pair.
QString leftCharacters(QStringView s, qsizetype maxChars) {
    qsizetype i = 0;
    for (qsizetype n = 0; n < maxChars && i < s.size(); ++n)
        i += s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate() ? 2 : 1;
    return s.first(i).toString();
}

QStringView stripQuotes(QStringView v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.sliced(1, v.size() - 2);
    return v;
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

ProfileDocument::ProfileDocument() : m_newline("\n") {}
ProfileDocument::~ProfileDocument() = default;
ProfileDocument::ProfileDocument(const ProfileDocument&) = default;
ProfileDocument& ProfileDocument::operator=(const ProfileDocument&) = default;
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;

ProfileDocument ProfileDocument::load(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        ProfileDocument doc;
        doc.m_source = Source::Missing;
        return doc;
    }
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        ProfileDocument doc;
        doc.m_source = Source::Unreadable;
        return doc;
    }
    return fromBytes(bytes);
}

ProfileDocument ProfileDocument::fromBytes(const QByteArray& bytes) {
    ProfileDocument doc;
    doc.m_source = Source::Loaded;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = rest.first(3).toByteArray();
        rest = rest.sliced(3);
    }
    doc.m_encoding = detectEncoding(rest);
    // A line break byte is never part of a multi-byte character in either encoding (Shift-JIS
    // trail bytes are 0x40 and above), so the bytes can be split before decoding.
    bool newlineChosen = false;
    while (!rest.isEmpty()) {
        const qsizetype lf = rest.indexOf('\n');
        QByteArrayView content = lf < 0 ? rest : rest.first(lf);
        QByteArray newline = lf < 0 ? QByteArray() : QByteArray("\n");
        if (content.endsWith('\r') && lf >= 0) {
            content.chop(1);
            newline = "\r\n";
        }
        if (!newlineChosen && !newline.isEmpty()) {
            doc.m_newline = newline; // new lines follow the file's own style
            newlineChosen = true;
        }
        Line line = doc.makeLine(decodeText(content, doc.m_encoding));
        line.bytes = content.toByteArray();
        line.newline = newline;
        // The value's byte offset: '=' and blanks are single bytes in both encodings and
        // never Shift-JIS trail bytes, so the first '=' byte is the first '=' character.
        if (line.kind == Line::Kind::Key) {
            qsizetype at = line.bytes.indexOf('=') + 1;
            while (at < line.bytes.size() && (line.bytes[at] == ' ' || line.bytes[at] == '\t'))
                ++at;
            line.valueOffset = at;
        }
        doc.m_lines.push_back(std::move(line));
        rest = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
    }
    return doc;
}

// Parses one decoded line; the bytes are filled in by the caller.
ProfileDocument::Line ProfileDocument::makeLine(QStringView text) const {
    Line line;
    const QStringView t = trimBlanks(text);
    if (t.startsWith(u'[')) {
        line.kind = Line::Kind::Section;
        const qsizetype close = t.indexOf(u']');
        line.name = trimBlanks(close < 0 ? t.sliced(1) : t.sliced(1, close - 1)).toString();
    } else if (const qsizetype eq = t.indexOf(u'='); eq >= 0 && !t.startsWith(u';')) {
        line.kind = Line::Kind::Key;
        line.name = trimBlanks(t.first(eq)).toString();
        line.value = trimBlanks(t.sliced(eq + 1)).toString();
    }
    return line;
}

qsizetype ProfileDocument::findSection(QStringView section) const {
    const QStringView wanted = trimBlanks(section);
    for (qsizetype i = 0; i < static_cast<qsizetype>(m_lines.size()); ++i) {
        const Line& l = m_lines[static_cast<std::size_t>(i)];
        if (l.kind == Line::Kind::Section && sameName(l.name, wanted))
            return i;
    }
    return -1;
}

qsizetype ProfileDocument::findKey(qsizetype sectionLine, QStringView key) const {
    const QStringView wanted = trimBlanks(key);
    for (auto i = static_cast<std::size_t>(sectionLine) + 1; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (l.kind == Line::Kind::Section)
            break;
        if (l.kind == Line::Kind::Key && sameName(l.name, wanted))
            return static_cast<qsizetype>(i);
    }
    return -1;
}

QString ProfileDocument::getString(QStringView section, QStringView key, QStringView defaultValue,
                                   qsizetype maxChars) const {
    const qsizetype s = findSection(section);
    const qsizetype k = s < 0 ? -1 : findKey(s, key);
    if (k < 0)
        return leftCharacters(trimBlanks(defaultValue), maxChars);
    return leftCharacters(stripQuotes(m_lines[static_cast<std::size_t>(k)].value), maxChars);
}

bool ProfileDocument::hasKey(QStringView section, QStringView key) const {
    const qsizetype s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

bool ProfileDocument::hasSections() const {
    return std::any_of(m_lines.begin(), m_lines.end(),
                       [](const Line& l) { return l.kind == Line::Kind::Section; });
}

std::int32_t ProfileDocument::getInt(QStringView section, QStringView key,
                                     std::int32_t defaultValue) const {
    // The text goes through a 30-character buffer first, as the system's own reader does.
    const QString text = getString(section, key, u"", 29);
    if (text.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    std::uint32_t v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        v = v * 10u + static_cast<std::uint32_t>(text[i].unicode() - u'0');
    if (negative)
        v = 0u - v;
    return static_cast<std::int32_t>(v);
}

void ProfileDocument::terminateLine(qsizetype index) {
    Line& l = m_lines[static_cast<std::size_t>(index)];
    if (l.newline.isEmpty())
        l.newline = m_newline;
}

void ProfileDocument::writeString(QStringView section, QStringView key, QStringView value) {
    qsizetype cut = value.size();
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\r' || value[i] == u'\n') {
            cut = i;
            break;
        }
    }
    const QStringView v = value.first(cut);
    const QStringView sectionName = trimBlanks(section);
    const QStringView keyName = trimBlanks(key);

    auto newLine = [this](const QString& text) {
        Line l = makeLine(text);
        l.bytes = encodeText(text, m_encoding);
        l.newline = m_newline;
        l.valueOffset = l.bytes.indexOf('=') + 1;
        return l;
    };
    const QString keyText = keyName.toString() + u'=' + v.toString();

    const qsizetype s = findSection(sectionName);
    if (s < 0) {
        if (!m_lines.empty()) {
            terminateLine(static_cast<qsizetype>(m_lines.size()) - 1);
            if (!trimBlanks(decodeText(m_lines.back().bytes, m_encoding)).isEmpty())
                m_lines.push_back(newLine(QString()));
        }
        m_lines.push_back(newLine(u'[' + sectionName.toString() + u']'));
        m_lines.push_back(newLine(keyText));
        return;
    }
    if (const qsizetype k = findKey(s, keyName); k >= 0) {
        // Keep the key as spelled in the file and everything before the old value.
        Line& l = m_lines[static_cast<std::size_t>(k)];
        l.bytes = l.bytes.first(l.valueOffset) + encodeText(v, m_encoding);
        l.value = trimBlanks(v).toString();
        return;
    }
    // A new key goes after the section's last key, ahead of any blank lines that separate
    // it from the next section.
    qsizetype after = s;
    for (auto i = static_cast<std::size_t>(s) + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section)
            break;
        if (m_lines[i].kind == Line::Kind::Key)
            after = static_cast<qsizetype>(i);
    }
    terminateLine(after);
    m_lines.insert(m_lines.begin() + after + 1, newLine(keyText));
}

QByteArray ProfileDocument::toBytes() const {
    QByteArray out = m_bom;
    for (const Line& l : m_lines)
        out += l.bytes + l.newline;
    return out;
}

bool ProfileDocument::save(const QString& path) const {
    if (m_source == Source::Unreadable)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace torvik::config
