#pragma once

#include <QWidget>

struct PhoneModel;

// The chosen phone model, read-only: carrier, model name, height, width and the
// size limit in kilobytes.
class ModelPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ModelPanel(const PhoneModel& phone, QWidget* parent = nullptr);
};
