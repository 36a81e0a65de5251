#pragma once

#include <QDialog>

// The version window: the program's icon, name and version, a one-line note and " OK".
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
};
