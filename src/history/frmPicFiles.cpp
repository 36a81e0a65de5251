#include "history/frmPicFiles.h"

#include <QCloseEvent>

frmPicFiles::frmPicFiles(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmPicFiles"));
    setWindowTitle(QStringLiteral("Sorakado"));
    setFixedSize(276, 553);
}

void frmPicFiles::AddJpegToHistory(const QString&) {}

void frmPicFiles::AddPngToHistory(const QString&) {}

void frmPicFiles::SnapToWindow(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    move(outer.left() + outer.width(), outer.top());
}

void frmPicFiles::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closedByUser();
}
