// How the program turns a value read from its profile files into a text, flag or letter.
#pragma once

#include "config/PrivateProfile.h"

#include <QString>

namespace torvik::mdlFileMgr {

// The text before its first character with a code from 0 to 19 (the whole text when there is
// none). Double-byte characters never end it.
QString IniFileEdit(QStringView text);

// Leading and trailing spaces removed (only spaces, as the forms' Trim does).
QString trimSpaces(QStringView text);

// The first character (a surrogate pair counts as one), or empty.
QString firstCharacter(QStringView text);

// Text form: at most maxChars characters, cut by IniFileEdit, spaces trimmed.
QString readText(const config::ProfileDocument& doc, QStringView section, QStringView key,
                 QStringView defaultValue, qsizetype maxChars);

// Flag form: on when the text read begins with "True" (case-sensitive).
bool readFlag(const config::ProfileDocument& doc, QStringView section, QStringView key,
              QStringView defaultValue, qsizetype maxChars);

QString flagText(bool on); // "True" / "False"

} // namespace torvik::mdlFileMgr
