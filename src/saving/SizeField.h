#pragma once

#include <QString>

class QLabel;
class QWidget;

// The size fields lblSizeJ and lblSizeP: a size in kilobytes on white, black below the
// model's limit and red from it on; greyed in its own colour while the next size is
// worked out, and said so to screen readers.
namespace sizefield {

QLabel* make(const QString& objectName, const QString& accessibleName, QWidget* parent);

// Colours the field for the size it shows and sets what a screen reader says of it.
void ShowSizeColour(QLabel* field, const QString& limitKB);

// Greys the field (its size stays) until show() or settle().
void setPending(QLabel* field, const QString& limitKB);
// Shows `text` as the current size.
void show(QLabel* field, const QString& text, const QString& limitKB);
// Takes the field out of its waiting state, its size as it is.
void settle(QLabel* field, const QString& limitKB);

}  // namespace sizefield
