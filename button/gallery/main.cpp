// plinth-gallery: every look of the command button on one window, and a live row to try it.
#include "GalleryWindow.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    GalleryWindow window;
    window.show();
    window.activateWindow();
    // The state sheet photographs real buttons: once the window is up.
    QTimer::singleShot(0, &window, [&window] {
        window.fillStateSheet();
        // --print-places: where the live buttons are, for a script that drives the gallery
        // (not "--geometry", which Qt takes for the window's own placement).
        if (QCoreApplication::arguments().contains(QStringLiteral("--print-places"))) {
            for (const QString& line : window.liveGeometry()) {
                std::printf("%s\n", qPrintable(line));
            }
            std::fflush(stdout);
        }
    });
    return QApplication::exec();
}
