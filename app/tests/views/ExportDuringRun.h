// An export started during a measurement run, as an operator does it: the window's export
// button pressed from the event loop, the save dialog left open while the run goes on, then a
// file chosen in it. Counts what dlcsim received while the dialog was open; a dialog that holds
// the run is closed unanswered at a deadline, so the run ends either way.
#pragma once

#include "MeasureFixture.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace torvik::screens::testing {

struct ExportDuringRun {
    qsizetype framesWhileOpen = -1; // frames dlcsim received while the dialog was open
    bool dialogSeen = false;
    bool chosen = false;    // the path was given and the dialog accepted
    bool runInTime = false; // the run ended by its own measure, not its deadline
};

// Presses `button` of `window` once four polls have been answered, and gives the dialog `path`
// once dlcsim has received `frames` more frames with it open.
inline ExportDuringRun exportDuringRun(MeasureFixture& f, QWidget& window, QPushButton& button,
                                       const QString& path, qsizetype frames = 8) {
    ExportDuringRun out;
    auto* ok = f.find<QLineEdit>(QStringLiteral("txtOK"));
    auto openDialog = [&window]() -> QFileDialog* {
        for (QFileDialog* dialog : window.findChildren<QFileDialog*>()) {
            if (dialog->isVisible())
                return dialog;
        }
        return nullptr;
    };
    bool pressed = false;
    bool over = false;
    qsizetype framesAtOpen = 0;
    QTimer deadline; // a dialog with a loop of its own holds every poll: ended unanswered here
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [&] {
        if (QFileDialog* dialog = openDialog()) {
            // Open since the press at least, if no reply came to see it.
            out.framesWhileOpen = f.receivedFrames().size() - framesAtOpen;
            out.dialogSeen = true;
            dialog->reject();
        }
        over = true;
    });
    out.runInTime = f.runUntil([&] {
        if (over)
            return true;
        if (!pressed && ok->text().toInt() >= 4) {
            pressed = true;
            framesAtOpen = f.receivedFrames().size();
            QTimer::singleShot(0, &button, [&button] { button.click(); });
            deadline.start(5000);
            return false;
        }
        QFileDialog* dialog = openDialog();
        if (dialog == nullptr)
            return false;
        if (!out.dialogSeen) {
            out.dialogSeen = true;
            framesAtOpen = f.receivedFrames().size();
            return false;
        }
        const qsizetype since = f.receivedFrames().size() - framesAtOpen;
        if (since < frames)
            return false;
        out.framesWhileOpen = since;
        // Typed into the name box, as an operator does.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // the button's slot
        out.chosen = true;
        over = true;
        deadline.stop();
        return true;
    });
    return out;
}

} // namespace torvik::screens::testing
