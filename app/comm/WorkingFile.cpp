#include "comm/WorkingFile.h"

#include <QFileInfo>
#include <cmath>

namespace torvik::comm {

std::int64_t remainingBytes(const QString& workingFile) {
    const QFileInfo info(workingFile);
    return kWorkingFileCapacity - (info.exists() ? info.size() : 0);
}

QString remainingCapacityText(std::int64_t remaining) {
    const auto thousands =
        static_cast<std::int64_t>(std::round(static_cast<double>(remaining) / 1000.0));
    QString digits = QString::number(std::llabs(thousands));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return (thousands < 0 ? QStringLiteral("-") : QString()) + digits + QStringLiteral("KB");
}

} // namespace torvik::comm
