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
};

class QtDialogs final : public Dialogs
{
public:
    void information(QWidget* parent, const QString& text) override;
};
