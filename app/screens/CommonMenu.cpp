#include "screens/CommonMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace torvik::screens {
namespace {

QAction* addItem(QMenu& menu, const char* name, const QString& caption) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* addMenu(QMenuBar& bar, const char* name, const QString& caption) {
    QMenu* menu = bar.addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("_action"));
    return menu;
}

} // namespace

CommonMenu buildCommonMenu(QMenuBar& bar) {
    CommonMenu menu;
    menu.mnu_set1 = addMenu(bar, "mnu_set1", QStringLiteral("設定"));
    menu.mnu_no1 = addItem(*menu.mnu_set1, "mnu_no1", QStringLiteral("シリアル番号"));
    menu.mnu_sif1 = addItem(*menu.mnu_set1, "mnu_sif1", QStringLiteral("通信設定"));
    menu.mnu_i1 = addMenu(bar, "mnu_i1", QStringLiteral("初期化"));
    menu.mnu_i1_11 = addItem(*menu.mnu_i1, "mnu_i1_11", QStringLiteral("現在の画面のみ初期化"));
    menu.mnu_i1_12 = addItem(*menu.mnu_i1, "mnu_i1_12", QStringLiteral("全て初期化"));
    menu.mnu_tx1 = bar.addAction(QStringLiteral("通信"));
    menu.mnu_tx1->setObjectName(QStringLiteral("mnu_tx1"));
    menu.mnu_help1 = addMenu(bar, "mnu_help1", QStringLiteral("ヘルプ"));
    menu.mnu_h1 = addItem(*menu.mnu_help1, "mnu_h1", QStringLiteral("ヘルプ"));
    menu.mnu_v1 = addItem(*menu.mnu_help1, "mnu_v1", QStringLiteral("バージョン"));
    return menu;
}

} // namespace torvik::screens
