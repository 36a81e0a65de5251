#pragma once

#include <QImage>
#include <QWidget>

// The preview: a window whose client area is the working size and shows its
// persistent picture, the desktop under the loupe at the phone's resolution. The
// user cannot close it.
class frmPreview : public QWidget
{
    Q_OBJECT

public:
    explicit frmPreview(const QSize& workSize, QWidget* parent = nullptr);

    // The persistent picture (Format_RGB32, the working size); draw into it, then update().
    QImage& surface() { return m_surface; }
    const QImage& surface() const { return m_surface; }

signals:
    void enterPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage m_surface;
};
