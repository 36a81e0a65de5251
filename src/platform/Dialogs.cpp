#include "platform/Dialogs.h"

#include "common/MessageBox.h"

void QtDialogs::information(QWidget* parent, const QString& text)
{
    showInformation(parent, text);
}
