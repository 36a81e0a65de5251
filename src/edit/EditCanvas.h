#pragma once

#include <QFrame>
#include <QPoint>
#include <QSize>

class EditImages;

// Shows the edit canvas image at 1:1 inside a 2-pixel sunken border and reports
// the mouse in image coordinates.
class EditCanvas : public QFrame
{
    Q_OBJECT

public:
    explicit EditCanvas(QWidget* parent = nullptr);

    // The images whose canvas is shown; not owned. Call fitToImage() afterwards.
    void setImages(EditImages* images);
    // Repaints after the canvas image has changed.
    void refresh() { update(); }
    // Fixes the widget to the image size plus the border.
    void fitToImage();
    // The cross pointer while a colour is picked from the image, else the default one.
    void setPickPointer(bool on);

    QSize sizeHint() const override;

signals:
    void pressed(Qt::MouseButton button, QPoint pos);
    // Also sent without a button held (mouse tracking).
    void moved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint toImage(QPointF widgetPos) const;

    EditImages* m_images = nullptr;
};
