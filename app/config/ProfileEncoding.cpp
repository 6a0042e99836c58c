#include "config/ProfileEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace torvik::config {
namespace {

// ICU's "Shift_JIS" is its code page 932 table (NEC and IBM extensions, 0x8160 as U+FF5E),
// which is what Japanese Windows wrote into these files.
constexpr const char* kShiftJisName = "Shift_JIS";

constexpr auto kFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

} // namespace

ProfileEncoding detectEncoding(QByteArrayView bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, kFlags);
    const QString decoded = utf8.decode(bytes); // the decoder runs only when converted
    Q_UNUSED(decoded);
    return utf8.hasError() ? ProfileEncoding::ShiftJis : ProfileEncoding::Utf8;
}

QString decodeText(QByteArrayView bytes, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Utf8) {
        QStringDecoder utf8(QStringConverter::Utf8, kFlags);
        return utf8.decode(bytes);
    }
    QStringDecoder sjis(kShiftJisName, kFlags);
    return sjis.decode(bytes);
}

QByteArray encodeText(QStringView text, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Utf8)
        return text.toUtf8();
    QStringEncoder whole(kShiftJisName, kFlags);
    QByteArray out = whole.encode(text);
    if (!whole.hasError())
        return out;
    // Encode character by character so that only the unrepresentable ones become '?'
    // (the converter's own substitute is a double-byte code that reads back as a kanji).
    out.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one(kShiftJisName, kFlags);
        const QByteArray bytes = one.encode(text.sliced(i, len));
        out += one.hasError() ? QByteArray("?") : bytes;
        i += len;
    }
    return out;
}

} // namespace torvik::config
