// The text side of the test tab: which entry of the command table a received text is, what the
// tab shows and sends for it, and how the characters read from the port become commands.
//
// What the port carries are bytes, code n being byte n (MSComm). A text entry of the table is
// compared and sent as the bytes of its text in the line's encoding (that of the settings file
// the table was read from: UTF-8, or Shift-JIS as code page 932); a hexadecimal entry is its
// bytes as they stand. Commands are split into lines before they are decoded: CR, LF, blanks
// and tabs are single bytes in both encodings and never part of a multi-byte character.
#pragma once

#include "config/ProfileEncoding.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace torvik::mdlFileMgr {
struct CommandTable;
}

namespace torvik::comm {

// A text as the bytes of `encoding`, one character per byte, and back; bytes that do not
// decode become replacement characters.
QString lineBytes(const QString& text, config::ProfileEncoding encoding);
QString lineText(const QString& bytes, config::ProfileEncoding encoding);

// The first entry 0 to 11 whose command is not empty and equals the received bytes.
std::optional<int> matchCommand(const mdlFileMgr::CommandTable& table, const QString& received,
                                config::ProfileEncoding encoding);

// A received command as the tab shows it: its text, or for a hexadecimal entry the two-digit
// code of its byte ("12").
QString shownCommand(const mdlFileMgr::CommandTable& table, std::optional<int> entry,
                     const QString& received, config::ProfileEncoding encoding);

struct CommandResponse {
    QString shown;  // txtSendData
    QString output; // the bytes written to the port; empty: nothing is sent
    bool highlight = false;
};

// The answer to a command that matched `entry` (none: the empty answer). A text response has
// every "%" replaced by the data text and goes out followed by the terminator, in `encoding`;
// a hexadecimal response goes out unchanged and is shown as the code of its first byte.
CommandResponse commandResponse(const mdlFileMgr::CommandTable& table, std::optional<int> entry,
                                const QString& dataText, const QString& terminator,
                                config::ProfileEncoding encoding);

// Turns what is read from the port into commands. A read that is one command as it stands
// (CR LF pairs removed, spaces trimmed) and matches an entry is that command: the hexadecimal
// entries and commands sent without a line end are answered as they come. Any other text is
// split at its line ends (CR LF, CR or LF): each line is one command, blanks around it
// trimmed, empty lines skipped. A rest after the last line end that matches no entry is held
// as the start of a command still arriving, until a line end completes it or flush() gives it
// up as it is.
class CommandAssembler {
public:
    // Longer than any command the table can hold (30 characters): a held rest that grows past
    // this is garbage and is let go as one command.
    static constexpr qsizetype kMaxHeld = 256;
    using Matcher = std::function<bool(const QString&)>;

    std::vector<QString> take(const QString& received, const Matcher& matches);
    // The held rest as a command once no more characters come; nothing when none is held.
    std::optional<QString> flush();
    bool holding() const { return !m_held.isEmpty(); }
    void clear() { m_held.clear(); }

private:
    QString m_held;
};

} // namespace torvik::comm
