#pragma once

#include <QFrame>
#include <QImage>
#include <QWidget>

// The picture of a slot, stretched to the thumbnail's box; it reports clicks and
// pointer movement.
class SlotThumbnail : public QWidget
{
    Q_OBJECT

public:
    explicit SlotThumbnail(QWidget* parent);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

signals:
    void clicked();
    void pointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    bool m_pressed = false;
};

// One of the eight places of the history window: the square frame `picN` with
// the thumbnail `imgN` inside it, the saved file's path as the thumbnail's tooltip.
class HistorySlot : public QFrame
{
    Q_OBJECT

public:
    // `number` is 1 to 8.
    HistorySlot(int number, const QCursor& pointer, QWidget* parent);

    // Shows a saved file's picture in `box` (frame coordinates).
    void showFile(const QImage& picture, const QRect& box, const QString& path);
    // No picture, the box back to the whole frame, no path.
    void clear();

    SlotThumbnail* thumbnail() const { return m_thumbnail; }

signals:
    void clicked();
    void pointerMoved();

private:
    SlotThumbnail* m_thumbnail = nullptr;
};
