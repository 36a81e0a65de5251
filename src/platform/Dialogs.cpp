#include "platform/Dialogs.h"

#include "platform/FileNameTypes.h"
#include "platform/MessageBox.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QString>

void QtDialogs::information(QWidget* parent, const QString& text)
{
    showInformation(parent, text);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& filter)
{
    // No default suffix: a name typed without extension is used as typed.
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog (where the desktop offers none) names the files' types from their
    // names, never from what they hold.
    FileNameTypes types;
    dialog.setIconProvider(&types);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

std::optional<QColor> QtDialogs::chooseColour(QWidget* parent, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

std::optional<QFont> QtDialogs::chooseFont(QWidget* parent, const QFont& initial)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    return ok ? std::optional<QFont>(chosen) : std::nullopt;
}
