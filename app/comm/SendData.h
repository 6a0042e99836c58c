// The data text the test tab answers with: the corrected value cut to the configured digits,
// and the decimal count that decides how the corrected value is written.
#pragma once

#include <QString>
#include <QStringView>

namespace torvik::comm {

// Sign choices of the data text, by list position.
enum class SignChoice { PlusAndMinus = 0, MinusOnly = 1, MinusInDigits = 2 };

// MakeSendData: the value of `text` with at most intChoice + 2 integer digits (the last ones;
// one fewer for a negative value when the sign takes a digit's place) and exactly
// decChoice + 1 decimals, the fraction rounded half up; a leading "-" for negative values
// and, with PlusAndMinus, "+" for the others. A fraction that rounds up to a whole carries
// into the integer part. The integer part is never padded with zeros: 123.456 with choices
// 0, 0, 0 is "+23.5", 12 with 0, 1, 1 is "12.00".
QString MakeSendData(QStringView text, int intChoice, int decChoice, int signChoice);

// GetFloatCnt: the characters after the first "." of the text, 0 when it has none.
int GetFloatCnt(QStringView text);

// The corrected value shown as the measurement data: value × coefficient in its plain text
// when that keeps at least the decimals the value text had, otherwise in the value format
// (so 12.30 × 1 stays "12.30" instead of becoming "12.3").
QString CorrectedValue(QStringView valueText, QStringView coefficientText, QStringView valueFormat);

} // namespace torvik::comm
