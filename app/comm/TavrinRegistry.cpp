#include "comm/TavrinRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace torvik::comm {

QString tavrinRegistryFile() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.startsWith(QLatin1Char('/')))
        return config + QStringLiteral("/tavrin/registry");
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home + QStringLiteral("/.config/tavrin/registry");
    return {};
}

QString registeredTavrinLibrary(const QString& registryFile) {
    QFile file(registryFile);
    if (registryFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QString name = QString::fromLatin1(kTavrinClassName);
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString installedTavrinLibrary(const QString& programDir) {
    return QDir::cleanPath(programDir + u'/' + QStringLiteral(TORVIK_INSTALLED_LIBRARY));
}

TavrinLocation locateTavrinLibrary(const QString& registryFile, const QString& programDir) {
    const QString registered = registeredTavrinLibrary(registryFile);
    if (!registered.isEmpty())
        return {registered, true};
    const QString beside = QDir::cleanPath(programDir + QStringLiteral("/../lib/libtavrin.so"));
    const QString installed = installedTavrinLibrary(programDir);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return {installed, false};
    return {beside, false};
}

} // namespace torvik::comm
