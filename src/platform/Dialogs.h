#pragma once

#include <QColor>
#include <QFont>
#include <optional>

class QString;
class QWidget;

// The modal dialogs the windows ask for. The program uses QtDialogs; tests use a
// scripted fake so that no dialog blocks them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // The information message box (title "情報", OK).
    virtual void information(QWidget* parent, const QString& text) = 0;

    // The save dialog: empty name, the one filter given ("JPEG (*.jpg)"), asks before
    // replacing a file, adds no extension. The chosen path, or empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& filter) = 0;

    // The colour chooser, starting at `initial`: the chosen colour, nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) = 0;

    // The font chooser, starting at `initial`: the chosen font, nothing when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
};

class QtDialogs final : public Dialogs
{
public:
    void information(QWidget* parent, const QString& text) override;
    QString saveFileName(QWidget* parent, const QString& filter) override;
    std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
};
