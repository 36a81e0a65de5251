#include "platform/PictureButton.h"

#include <QIcon>
#include <QPushButton>
#include <QString>

QPushButton* makePictureButton(const QString& objectName, const QString& caption,
                               const QString& icon, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAccessibleName(caption.trimmed());
    if (!icon.isEmpty()) {
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
    }
    button->setAutoDefault(false);
    return button;
}
