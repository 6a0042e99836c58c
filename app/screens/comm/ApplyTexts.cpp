#include "screens/comm/ApplyTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace torvik::screens::comm {
namespace {

void setCaption(QObject* target, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(target))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(target))
        action->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(target))
        button->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(target))
        frame->setTitle(text);
}

} // namespace

void applyScreenTexts(QWidget& screen, const mdlFileMgr::ScreenTexts& texts) {
    using mdlFileMgr::TextTarget;
    for (const mdlFileMgr::ScreenText& t : texts) {
        switch (t.target) {
        case TextTarget::WindowTitle:
            screen.setWindowTitle(t.text);
            break;
        case TextTarget::TabCaption:
            if (auto* tabs = screen.findChild<QTabWidget*>(t.objectName))
                tabs->setTabText(t.index, t.text);
            break;
        case TextTarget::Caption:
            if (QObject* target = screen.findChild<QObject*>(t.objectName))
                setCaption(target, t.text);
            break;
        }
    }
}

} // namespace torvik::screens::comm
