#pragma once

#include <QWidget>

// The history of saved pictures, docked at the main window's right edge.
class frmPicFiles : public QWidget
{
    Q_OBJECT

public:
    explicit frmPicFiles(QWidget* parent = nullptr);

    // A saved file goes into the first free place of the history.
    void AddJpegToHistory(const QString& path);
    void AddPngToHistory(const QString& path);

    // Top level with the given window's top, left edge touching its right edge.
    void SnapToWindow(const QWidget& window);

signals:
    // The user closed the window through its frame.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
};
