#include "common/MessageBox.h"

#include <QMessageBox>
#include <QString>

void showInformation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("情報"), text, QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}
