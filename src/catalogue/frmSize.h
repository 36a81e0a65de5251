#pragma once

#include "catalogue/CatalogueReader.h"
#include "common/SelectionState.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class Dialogs;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsFile;

// The first window: carrier, model and desktop window style. It lives, hidden when
// not in use, for the whole run and holds the program-wide selection.
class frmSize : public QDialog
{
    Q_OBJECT

public:
    frmSize(SettingsFile& settings, Dialogs& dialogs, QString programFolder,
            QWidget* parent = nullptr);
    ~frmSize() override;

    SelectionState& selection() { return m_selection; }

    // Fills the carriers, restores the stored choice and, with the skip box
    // ticked, goes on by itself; otherwise (or when that fails) shows the dialog,
    // centred on the screen, and then the messages the start gave.
    void startUp();

    // " 次へ ": stores the choice and hands over, or explains what is missing.
    void next();

signals:
    // The choice is stored; the scale dialog is to be shown and this one is hidden.
    void nextAccepted();
    // " 終了" or the window closed: the program is to end.
    void endRequested();
    // The carrier, the model or the window style changed: a running live capture ends.
    void liveCaptureStopRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void onCarrierChanged(int carrier);
    void onModelChanged(int model);
    void onStyleToggled(int style, bool checked);
    // Stores the choice and hands over; false (with the message) when no
    // carrier or model is chosen.
    bool goOn();
    // A message over this dialog; while it has not been shown yet, kept until it is.
    void tell(const QString& text);

    SettingsFile& m_settings;
    Dialogs& m_dialogs;
    QString m_programFolder;
    SelectionState m_selection;
    QList<CatalogueEntry> m_entries;
    QStringList m_pendingMessages;

    QComboBox* m_carriers = nullptr;
    QComboBox* m_models = nullptr;
    QLineEdit* m_height = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_limit = nullptr;
    QButtonGroup* m_styles = nullptr;
    QRadioButton* m_classic = nullptr;
    QRadioButton* m_xp = nullptr;
    QLabel* m_help = nullptr;
    QCheckBox* m_skip = nullptr;
    QPushButton* m_end = nullptr;
    QPushButton* m_next = nullptr;
};
