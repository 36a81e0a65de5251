#pragma once

#include <QImage>
#include <QWidget>

class QPushButton;

// The picture area of the real-time preview: its picture stretched to its own
// size, pixel by pixel, so that the compression's blocks stay visible.
class RealtimePicture : public QWidget
{
public:
    explicit RealtimePicture(QWidget* parent);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

// The real-time quality preview: the canvas as the JPEG work file shows it, at
// ×1 or ×2, in a window above all others.
class frmRealtime : public QWidget
{
    Q_OBJECT

public:
    // A window at ×1 for a canvas of `canvasSize` pixels, placed at the main
    // window's top-left corner; `mainWindow` owns it.
    frmRealtime(QSize canvasSize, QWidget* mainWindow);

    // Decodes the JPEG file anew; a missing or unreadable file leaves the picture area empty.
    void loadPicture(const QString& path);
    // Shows a picture already decoded from that file.
    void showPicture(const QImage& picture) { m_area->setPicture(picture); }

    const QImage& picture() const { return m_area->picture(); }
    QSize pictureAreaSize() const { return m_area->size(); }

signals:
    // The user closed the window through its frame; it deletes itself.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void zoomTwice();
    void zoomOnce();
    void setPictureArea(QSize size, bool doubled);

    QPushButton* m_once = nullptr;
    QPushButton* m_twice = nullptr;
    RealtimePicture* m_area = nullptr;
};
