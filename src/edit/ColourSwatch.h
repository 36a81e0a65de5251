#pragma once

#include "common/ColourRef.h"

#include <QAbstractButton>
#include <QSize>

// A small framed box in one colour that opens a colour dialog when clicked or
// activated with the keyboard; it shows a focus frame while it has the focus.
class ColourSwatch final : public QAbstractButton
{
    Q_OBJECT

public:
    ColourSwatch(const QString& objectName, const QString& accessibleName, QSize size,
                 QWidget* parent);

    ColourRef colour() const { return m_colour; }
    void setColour(ColourRef colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourRef m_colour = colourref::kBlack;
};
