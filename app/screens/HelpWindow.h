// The help window: the help document shipped in the program folder, opened at its contents.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace torvik::screens {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();

    // Shows the document's contents beside the screen that asked.
    void showContents(const QString& programFolder, const QWidget& from);

    // The help document's path in a program folder.
    static QString documentPath(const QString& programFolder);

private:
    QTextBrowser* m_text;
};

} // namespace torvik::screens
