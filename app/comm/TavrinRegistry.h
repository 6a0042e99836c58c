// Where the control library is: the registry file its self-registration writes, else the
// library folder beside the program or of its install.
#pragma once

#include <QString>

namespace torvik::comm {

// The class the main screen creates its controls from.
inline constexpr const char* kTavrinClassName = "TAVRINLib.TAVRIN";

// $XDG_CONFIG_HOME/tavrin/registry (an absolute XDG_CONFIG_HOME only), else
// ~/.config/tavrin/registry; empty when neither can be formed.
QString tavrinRegistryFile();

// The library path registered for kTavrinClassName in a registry file (lines
// "name=path", the name compared without regard to case); empty when none is.
QString registeredTavrinLibrary(const QString& registryFile);

// The library of the install the program in `programDir` belongs to: its soname in the
// install's library folder.
QString installedTavrinLibrary(const QString& programDir);

struct TavrinLocation {
    QString path;
    bool registered = false; // found in the registry rather than beside the program
};

// The registered library, else programDir/../lib/libtavrin.so, else, when only that exists,
// the installed library. A registered path is used as it stands even when the file is gone: the
// registration is what the operator installed.
TavrinLocation locateTavrinLibrary(const QString& registryFile, const QString& programDir);

} // namespace torvik::comm
