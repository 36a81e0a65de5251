#pragma once

class QAction;
class QMenuBar;

// The main window's menus and the items whose actions the window wires.
struct MainMenus
{
    QAction* saveAs = nullptr;  // "BMPで画像を保存(&A)..."
    QAction* exit = nullptr;    // "終了(&X)"
    QAction* front = nullptr;   // "常に手前に表示(&W)", checkable
    QAction* contents = nullptr;
    QAction* site = nullptr;
    QAction* upload = nullptr;
    QAction* board = nullptr;
    QAction* about = nullptr;

    // Fills the menu bar: ファイル, 表示, ヘルプ.
    static MainMenus build(QMenuBar* bar);
};
