#pragma once

#include "screen/ScreenCastTokenStore.h"
#include "screen/StreamGrabber.h"

#include <QDBusConnection>
#include <memory>

class PipeWireStream;
class PortalScreenCast;

// The screen of a Wayland desktop through its portal: one screen-cast session of a
// monitor, kept while it lives, and a PipeWire stream of it while a live capture
// runs. The user's permission is remembered with a restore token beside the
// settings file.
class PortalScreenGrabber final : public StreamGrabber
{
    Q_OBJECT

public:
    // `tokenFolder`: the folder of the settings file. `bus` and `service`: where the
    // portal is (the session bus and its usual name in the program).
    PortalScreenGrabber(const QString& tokenFolder, QDBusConnection bus, const QString& service,
                        QObject* parent = nullptr);
    ~PortalScreenGrabber() override;

    bool startStream(QString& problem) override;
    bool isStreaming() const override;
    void stopStream() override;
    void forgetSession() override;
    QImage newestFrame() const override;

    static QString portalService();

private:
    void onPortalStarted(int outcome);
    void onStreamEnded();

    ScreenCastTokenStore m_tokens;
    std::unique_ptr<PortalScreenCast> m_portal;
    std::unique_ptr<PipeWireStream> m_stream;
    bool m_starting = false;
    bool m_reused = false;  // the start under way keeps a running session
};
