#pragma once

class QPushButton;
class QString;
class QWidget;

// A push button showing one of the program's icons (":/icons/<icon>.png") and a
// caption. The caption is used as written (leading blanks included); the
// accessible name is the caption without its blanks.
QPushButton* makePictureButton(const QString& objectName, const QString& caption,
                               const QString& icon, QWidget* parent);
