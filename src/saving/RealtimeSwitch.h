#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>

class QCheckBox;
class QImage;
class QWidget;
class frmRealtime;

// chkRealtime and the real-time preview it shows: a window of its own, owned by the
// main window, made when first ticked and again after the user closed it through its
// frame (which unticks the box).
class RealtimeSwitch : public QObject
{
    Q_OBJECT

public:
    // `canvasSize` sizes a new window; `jpegPath` is the JPEG work file it shows.
    RealtimeSwitch(QCheckBox& box, QWidget& page, std::function<QSize()> canvasSize,
                   std::function<QString()> jpegPath);

    // Whether the preview is on the screen: the estimates then decode their file for it.
    bool showing() const;
    // A new JPEG work file; `decoded` is its picture when the estimate decoded it.
    void refresh(const QImage& decoded);

private:
    void onSwitched(bool on);

    QCheckBox& m_box;
    QWidget& m_page;
    std::function<QSize()> m_canvasSize;
    std::function<QString()> m_jpegPath;
    // Null until first ticked and again once closed through its frame.
    QPointer<frmRealtime> m_window;
};
