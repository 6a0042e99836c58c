#include "config/ProfileForms.h"

namespace torvik::mdlFileMgr {

QString IniFileEdit(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].unicode() < 20)
            return text.first(i).toString();
    return text.toString();
}

QString trimSpaces(QStringView text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.sliced(b, e - b).toString();
}

QString firstCharacter(QStringView text) {
    if (text.isEmpty())
        return {};
    const bool pair = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate();
    return text.first(pair ? 2 : 1).toString();
}

QString readText(const config::ProfileDocument& doc, QStringView section, QStringView key,
                 QStringView defaultValue, qsizetype maxChars) {
    return trimSpaces(IniFileEdit(doc.getString(section, key, defaultValue, maxChars)));
}

bool readFlag(const config::ProfileDocument& doc, QStringView section, QStringView key,
              QStringView defaultValue, qsizetype maxChars) {
    return doc.getString(section, key, defaultValue, maxChars).startsWith(u"True");
}

QString flagText(bool on) {
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace torvik::mdlFileMgr
