#include "config/CommandTable.h"

namespace torvik::mdlFileMgr {
namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

void CommandInit(ProgramValues& values) {
    CommandTable& t = values.commands;
    for (std::size_t k = 0; k <= 10; ++k) {
        t.command[k].clear();
        t.response[k].clear();
        t.hex[k] = false;
    }
    const struct {
        QString command;
        QString response;
        bool hex;
    } builtIn[] = {
        {QStringLiteral("MSV?33,1,0"), QStringLiteral("%,1,0"), false},
        {QStringLiteral("SRB1"), QStringLiteral("0"), false},
        {QStringLiteral("CHS1"), QStringLiteral("0"), false},
        {QStringLiteral("CHM1"), QStringLiteral("0"), false},
        {QStringLiteral("ASS2"), QStringLiteral("0"), false},
        {QStringLiteral("TAR0"), QStringLiteral("0"), false},
        {QString(QChar(0x12)), QString(), true},
        {QString(QChar(0x01)), QString(), true},
    };
    std::size_t k = 0;
    for (const auto& e : builtIn) {
        t.command[k] = e.command;
        t.response[k] = e.response;
        t.hex[k] = e.hex;
        ++k;
    }
}

void CommandInit() {
    CommandInit(programValues());
}

std::optional<QString> hexCommand(QStringView text) {
    if (text.isEmpty())
        return std::nullopt;
    int code = 0;
    for (QChar c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        code = code * 16 + d;
        if (code > 0xFF)
            return std::nullopt;
    }
    return QString(QChar(code));
}

std::optional<QString> hexResponse(QStringView text) {
    QString out;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const int hi = hexDigit(text[i]);
        const int lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += QChar(hi * 16 + lo);
    }
    return out;
}

} // namespace torvik::mdlFileMgr
