#include "saving/SizeField.h"

#include "common/ColourRef.h"
#include "saving/SizeText.h"

#include <QLabel>

namespace sizefield {

QLabel* make(const QString& objectName, const QString& accessibleName, QWidget* parent)
{
    auto* field = new QLabel(parent);
    field->setObjectName(objectName);
    // The name says which size; the description, kept with the text, says the size.
    field->setAccessibleName(accessibleName);
    field->setMinimumWidth(56);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setAutoFillBackground(true);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Window, Qt::white);
    field->setPalette(palette);
    return field;
}

void ShowSizeColour(QLabel* field, const QString& limitKB)
{
    QPalette palette = field->palette();
    const ColourRef colour =
        sizetext::reachesLimit(field->text(), limitKB) ? colourref::kRed : colourref::kBlack;
    const QColor shown = colourref::toQColor(colour);
    palette.setColor(QPalette::WindowText, shown);
    // While the next size is worked out, the last one is greyed in its own colour.
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     QColor((shown.red() + 2 * 255) / 3, (shown.green() + 2 * 255) / 3,
                            (shown.blue() + 2 * 255) / 3));
    field->setPalette(palette);
    field->setAccessibleDescription(field->isEnabled()
                                        ? sizetext::spokenSize(field->text(), limitKB)
                                        : sizetext::pendingSize(field->text(), limitKB));
}

void setPending(QLabel* field, const QString& limitKB)
{
    field->setEnabled(false);
    ShowSizeColour(field, limitKB);
}

void show(QLabel* field, const QString& text, const QString& limitKB)
{
    field->setText(text);
    settle(field, limitKB);
}

void settle(QLabel* field, const QString& limitKB)
{
    field->setEnabled(true);
    ShowSizeColour(field, limitKB);
}

}  // namespace sizefield
