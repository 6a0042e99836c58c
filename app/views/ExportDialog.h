// Where an export goes and what the operator hears when it fails, without a modal loop of its
// own: the windows beside the main screen are used while a run turns inside the screen's event
// handling, and a dialog's own loop would hold every poll of the run until it closed.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace torvik::views {

// Opens a save dialog over `window` (blocking that window's input only) and returns at once;
// `chosen` gets the path once the operator has picked one, and is not called on cancel.
void askSavePath(QWidget& window, const QString& caption, const QString& filter,
                 std::function<void(const QString& path)> chosen);

// A message beside `window` that waits for nobody; the operator closes it.
void showNote(QWidget& window, const QString& text);

} // namespace torvik::views
