#include "platform/MessageBox.h"

#include "platform/WindowPlacement.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

void showInformation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("情報"), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("messageBox"));
    // Over the window it speaks for; on the screen when that is not shown (yet).
    placement::centreOver(&box, parent ? parent->window() : nullptr);
    box.exec();
}
