#include "runtime/Trace.h"

namespace torvik::runtime {

// Warnings and above stay on; debug traces need a rule.
Q_LOGGING_CATEGORY(lcTrace, "torvik.trace", QtWarningMsg)

} // namespace torvik::runtime
