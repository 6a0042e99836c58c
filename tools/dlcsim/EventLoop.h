// Serves the line until a stop signal arrives or the line fails.
#pragma once

#include <string>

namespace dlcsim {

class Line;
class Modem;
class Session;
class StopSignals;

// Sleeps until a byte, the session's next deadline or a signal. Returns false with
// `error` set when the line fails.
bool serve(Session& session, Line& line, StopSignals& signals, std::string& error);
// The same with the emulated modem in front of the session.
bool serve(Modem& modem, Line& line, StopSignals& signals, std::string& error);

} // namespace dlcsim
