#include "comm/CsvField.h"

namespace torvik::comm {

QString String4Xls(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"'))
        return text;
    QString field = text;
    field.replace(u'"', QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

} // namespace torvik::comm
