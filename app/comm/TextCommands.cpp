#include "comm/TextCommands.h"

#include "config/ProgramValues.h"

#include <algorithm>

namespace torvik::comm {
namespace {

constexpr int kEntries = 12;

QString codeOf(const QString& text) {
    if (text.isEmpty())
        return {};
    return QStringLiteral("%1").arg(text.front().unicode(), 2, 16, QLatin1Char('0')).toUpper();
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimmedBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

// A read as one command: every CR LF pair gone, spaces (only) trimmed.
QString asOneCommand(const QString& text) {
    QString command = text;
    command.remove(QStringLiteral("\r\n"));
    qsizetype begin = 0;
    qsizetype end = command.size();
    while (begin < end && command[begin] == u' ')
        ++begin;
    while (end > begin && command[end - 1] == u' ')
        --end;
    return command.sliced(begin, end - begin);
}

bool ascii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

QString lineBytes(const QString& text, config::ProfileEncoding encoding) {
    if (ascii(text)) // the same in both encodings, and most commands are
        return text;
    return QString::fromLatin1(config::encodeText(text, encoding));
}

QString lineText(const QString& bytes, config::ProfileEncoding encoding) {
    if (ascii(bytes))
        return bytes;
    return config::decodeText(bytes.toLatin1(), encoding);
}

std::optional<int> matchCommand(const mdlFileMgr::CommandTable& table, const QString& received,
                                config::ProfileEncoding encoding) {
    for (int k = 0; k < kEntries; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString& command = table.command[i];
        if (!command.isEmpty() &&
            (table.hex[i] ? command : lineBytes(command, encoding)) == received)
            return k;
    }
    return std::nullopt;
}

QString shownCommand(const mdlFileMgr::CommandTable& table, std::optional<int> entry,
                     const QString& received, config::ProfileEncoding encoding) {
    if (!entry)
        return lineText(received, encoding);
    const auto k = static_cast<std::size_t>(*entry);
    return table.hex[k] ? codeOf(received) : table.command[k];
}

CommandResponse commandResponse(const mdlFileMgr::CommandTable& table, std::optional<int> entry,
                                const QString& dataText, const QString& terminator,
                                config::ProfileEncoding encoding) {
    CommandResponse out;
    if (!entry)
        return out;
    const auto k = static_cast<std::size_t>(*entry);
    const QString& response = table.response[k];
    if (table.hex[k]) {
        out.shown = codeOf(response);
        out.output = response;
        return out;
    }
    out.shown = response;
    out.shown.replace(u'%', dataText);
    if (!response.isEmpty()) {
        out.output = lineBytes(out.shown + terminator, encoding);
        out.highlight = true;
    }
    return out;
}

std::vector<QString> CommandAssembler::take(const QString& received, const Matcher& matches) {
    const QString text = m_held + received;
    m_held.clear();
    std::vector<QString> commands;
    if (const QString whole = asOneCommand(text); matches(whole)) {
        commands.push_back(whole);
        return commands;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        if (QString line = trimmedBlanks(QStringView(text).sliced(start, i - start));
            !line.isEmpty())
            commands.push_back(std::move(line));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    const QString rest = text.sliced(start);
    if (trimmedBlanks(rest).isEmpty())
        return commands;
    if (const QString command = trimmedBlanks(rest); matches(command) || rest.size() > kMaxHeld)
        commands.push_back(command);
    else
        m_held = rest;
    return commands;
}

std::optional<QString> CommandAssembler::flush() {
    if (m_held.isEmpty())
        return std::nullopt;
    QString command = trimmedBlanks(m_held);
    m_held.clear();
    return command;
}

} // namespace torvik::comm
