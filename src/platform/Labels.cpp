#include "platform/Labels.h"

#include <QLabel>
#include <QString>

QLabel* makeLabel(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

QLabel* makeHeading(const QString& text, const QString& objectName, QWidget* parent)
{
    QLabel* label = makeLabel(text, objectName, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
