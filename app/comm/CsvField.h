// A text as one field of a comma-separated record.
#pragma once

#include <QString>

namespace torvik::comm {

// Every double quote doubled, and the whole enclosed in double quotes when it holds a comma or
// a double quote: a reader of the record gets the text back as it was. (Doubled quotes
// without the enclosing pair would be read as two quotes, or as the start of a quoted field.)
QString String4Xls(const QString& text);

} // namespace torvik::comm
