#include "views/ExportDialog.h"

#include "screens/MessageBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace torvik::views {

void askSavePath(QWidget& window, const QString& caption, const QString& filter,
                 std::function<void(const QString& path)> chosen) {
    // Owned by the window until it closes: a window that goes first takes it along.
    auto* dialog = new QFileDialog(&window, caption, QString(), filter);
    dialog->setObjectName(QStringLiteral("dlgExport"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    QObject::connect(dialog, &QFileDialog::fileSelected, &window,
                     [chosen = std::move(chosen)](const QString& path) {
                         if (!path.isEmpty())
                             chosen(path);
                     });
    dialog->open(); // window-modal, no loop of its own
}

void showNote(QWidget& window, const QString& text) {
    if (screens::unattended())
        return;
    auto* note = new QMessageBox(QMessageBox::Warning, QApplication::applicationName(), text,
                                 QMessageBox::Ok, &window);
    note->setObjectName(QStringLiteral("msgExportFailed"));
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setWindowModality(Qt::NonModal);
    note->show();
}

} // namespace torvik::views
