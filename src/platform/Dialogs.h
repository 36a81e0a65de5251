#pragma once

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
};

class QtDialogs final : public Dialogs
{
public:
    void information(QWidget* parent, const QString& text) override;
    QString saveFileName(QWidget* parent, const QString& filter) override;
};
