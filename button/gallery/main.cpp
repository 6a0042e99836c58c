// plinth-gallery: every look of the command button on one window, and a live row to try it.
#include "GalleryWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    GalleryWindow window;
    window.show();
    window.activateWindow();
    // The state sheet photographs real buttons, one of them focused: after the window is up.
    QTimer::singleShot(0, &window, [&window] { window.fillStateSheet(); });
    return QApplication::exec();
}
