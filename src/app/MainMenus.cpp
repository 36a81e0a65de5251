#include "app/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QString& objectName)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    return action;
}

}  // namespace

MainMenus MainMenus::build(QMenuBar* bar)
{
    MainMenus menus;
    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    menus.saveAs =
        addItem(file, QStringLiteral("BMPで画像を保存(&A)..."), QStringLiteral("mnuSaveAs"));
    file->addSeparator();
    menus.exit = addItem(file, QStringLiteral("終了(&X)"), QStringLiteral("mnuExit"));

    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    menus.front = addItem(view, QStringLiteral("常に手前に表示(&W)"), QStringLiteral("mnuFront"));
    menus.front->setCheckable(true);

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menus.contents = addItem(help, QStringLiteral("目次(&C)..."), QStringLiteral("mnuContents"));
    help->addSeparator();
    menus.site =
        addItem(help, QStringLiteral("Sorakado 公式サイト(&H)..."), QStringLiteral("mnuSite"));
    menus.upload = addItem(help, QStringLiteral("画像アップロード ページ(&U)..."),
                           QStringLiteral("mnuUpload"));
    menus.board =
        addItem(help, QStringLiteral("Sorakado サポートBBS(&B)..."), QStringLiteral("mnuBoard"));
    help->addSeparator();
    menus.about =
        addItem(help, QStringLiteral("バージョン情報(&A)..."), QStringLiteral("mnuAbout"));
    return menus;
}
