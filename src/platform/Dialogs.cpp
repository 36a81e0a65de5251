#include "platform/Dialogs.h"

#include "common/MessageBox.h"

#include <QFileDialog>
#include <QString>

void QtDialogs::information(QWidget* parent, const QString& text)
{
    showInformation(parent, text);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& filter)
{
    // No default suffix: a name typed without extension is used as typed.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
}
