#include "screens/HelpWindow.h"

#include "config/Notices.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace torvik::screens {

HelpWindow::HelpWindow() : m_text(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(config::noticeText(config::Notice::HelpWindowTitle));
    m_text->setObjectName(QStringLiteral("helpText"));
    m_text->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(720, 640);
}

QString HelpWindow::documentPath(const QString& programFolder) {
    return programFolder + QStringLiteral("/Torvik.html");
}

void HelpWindow::showContents(const QString& programFolder, const QWidget& from) {
    const QString path = documentPath(programFolder);
    if (QFileInfo::exists(path)) {
        const QUrl url = QUrl::fromLocalFile(path);
        if (m_text->source() == url)
            m_text->reload(); // the operator may have replaced the document meanwhile
        else
            m_text->setSource(url);
        m_text->scrollToAnchor(QStringLiteral("contents"));
    } else {
        m_text->setHtml(QStringLiteral("<p>%1</p>")
                            .arg(config::noticeText(config::Notice::HelpDocumentMissing)
                                     .toHtmlEscaped()
                                     .arg(path.toHtmlEscaped())));
    }
    if (!isVisible())
        move(from.pos() + QPoint(40, 40));
    show();
    raise();
    activateWindow();
}

} // namespace torvik::screens
