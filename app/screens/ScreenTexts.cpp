#include "screens/ScreenTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

namespace torvik::screens {
namespace {

void setCaption(QWidget& screen, const QString& name, const QString& text) {
    for (QObject* target : screen.findChildren<QObject*>(name)) {
        if (auto* label = qobject_cast<QLabel*>(target))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(target))
            button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(target))
            group->setTitle(text);
        else if (auto* menu = qobject_cast<QMenu*>(target))
            menu->setTitle(text);
        else if (auto* action = qobject_cast<QAction*>(target))
            action->setText(text);
    }
}

} // namespace

void applyScreenTexts(QWidget& screen, const mdlFileMgr::ScreenTexts& texts) {
    using mdlFileMgr::TextTarget;
    for (const mdlFileMgr::ScreenText& t : texts) {
        switch (t.target) {
        case TextTarget::Caption:
            setCaption(screen, t.objectName, t.text);
            break;
        case TextTarget::WindowTitle:
            if (screen.objectName() == t.objectName)
                screen.setWindowTitle(t.text);
            break;
        case TextTarget::TabCaption:
            if (auto* tabs = screen.findChild<QTabWidget*>(t.objectName))
                tabs->setTabText(t.index, t.text);
            break;
        }
    }
}

} // namespace torvik::screens
