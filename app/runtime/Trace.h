// The program's debug traces (the port-release checks, the broadcasts of a run, the rated
// values taken): one logging category, off unless the environment turns it on, for example
// QT_LOGGING_RULES="torvik.trace.debug=true". Faults that lose data do not go here: they are
// warnings on the default channel and always shown.
#pragma once

#include <QLoggingCategory>

namespace torvik::runtime {

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

} // namespace torvik::runtime
