#pragma once

class QLabel;
class QString;
class QWidget;

// A label with its object name, as every window names its controls.
QLabel* makeLabel(const QString& text, const QString& objectName, QWidget* parent);

// A bold label that heads a group of controls.
QLabel* makeHeading(const QString& text, const QString& objectName, QWidget* parent);
