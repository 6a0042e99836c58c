#include "comm/SendData.h"

#include "runtime/Format.h"
#include "runtime/NumericText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace torvik::comm {
namespace {

double valueOf(QStringView text) {
    const auto value = runtime::val(text);
    return value && std::isfinite(*value) ? *value : 0.0;
}

double powerOfTen(int n) {
    double p = 1.0;
    for (int k = 0; k < n; ++k)
        p *= 10.0;
    return p;
}

} // namespace

QString MakeSendData(QStringView text, int intChoice, int decChoice, int signChoice) {
    double x = valueOf(text);
    const bool negative = x < 0;
    x = std::fabs(x);
    double integer = std::trunc(x);
    const double fraction = x - integer;

    // The lists offer 2 to 9 integer digits and 1 to 6 decimals: at most 15 digits, all of
    // which a double carries exactly.
    int digits = intChoice + 2;
    if (negative && signChoice == static_cast<int>(SignChoice::MinusInDigits))
        digits = intChoice + 1;
    digits = std::clamp(digits, 1, 9);
    const int decimals = std::clamp(decChoice + 1, 1, 6);
    const double integerLimit = powerOfTen(digits);
    integer = std::fmod(integer, integerLimit);

    // Scaled one decade at a time rather than by one power of ten: a fraction on a half
    // rounds as the data text has always rounded it.
    double scaled = fraction;
    for (int k = 0; k < decimals; ++k)
        scaled *= 10.0;
    auto units = static_cast<std::int64_t>(std::floor(scaled + 0.5));
    const auto unitLimit = static_cast<std::int64_t>(powerOfTen(decimals));
    if (units >= unitLimit) {
        // 23.96 with one decimal is 24.0, not 23 followed by a fraction of 1.
        units = 0;
        integer = std::fmod(integer + 1.0, integerLimit);
    }
    // Written digit by digit: the plain text of a small fraction would take exponent form
    // (5E-05) and of a whole one lose its point.
    const QString body = QString::number(static_cast<std::int64_t>(integer)) + u'.' +
                         QString::number(units).rightJustified(decimals, u'0');
    if (negative)
        return u'-' + body;
    if (signChoice == static_cast<int>(SignChoice::PlusAndMinus))
        return u'+' + body;
    return body;
}

int GetFloatCnt(QStringView text) {
    const qsizetype point = text.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(text.size() - point - 1);
}

QString CorrectedValue(QStringView valueText, QStringView coefficientText,
                       QStringView valueFormat) {
    const double product = valueOf(coefficientText) * valueOf(valueText);
    const QString plain = runtime::plainText(product);
    if (GetFloatCnt(valueText) <= GetFloatCnt(plain))
        return plain;
    return runtime::formatNumber(product, valueFormat);
}

} // namespace torvik::comm
