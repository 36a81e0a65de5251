#pragma once

class QString;
class QWidget;

// The one message box of the program: title "情報", information icon, one OK button.
// Modal; returns when the user has dismissed it.
void showInformation(QWidget* parent, const QString& text);
