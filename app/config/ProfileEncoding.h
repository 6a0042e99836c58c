// Byte encodings of the settings and label files: UTF-8, or Shift-JIS (code page 932) for
// files written by the older program, which are not valid UTF-8.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace torvik::config {

enum class ProfileEncoding { Utf8, ShiftJis };

// UTF-8 when the bytes (after any UTF-8 byte-order mark) are valid UTF-8, else Shift-JIS.
ProfileEncoding detectEncoding(QByteArrayView bytes);

// Undecodable bytes become replacement characters; the caller keeps the original bytes.
QString decodeText(QByteArrayView bytes, ProfileEncoding encoding);

// A character that Shift-JIS cannot hold is written as '?', as the ANSI profile functions do.
QByteArray encodeText(QStringView text, ProfileEncoding encoding);

} // namespace torvik::config
