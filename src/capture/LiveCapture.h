#pragma once

#include "capture/CaptureScale.h"
#include "common/CaptureSize.h"

#include <QList>

// Starts the live capture (loupe and preview). The call returns when the live
// capture has ended.
class LiveCapture
{
public:
    virtual ~LiveCapture() = default;
    virtual void StartLoupe(const CaptureSize& size, const CaptureScale& scale) = 0;
};

// Keeps every request and returns at once; stands in where no screen is driven.
class RecordingLiveCapture final : public LiveCapture
{
public:
    struct Request
    {
        CaptureSize size;
        CaptureScale scale;
    };

    void StartLoupe(const CaptureSize& size, const CaptureScale& scale) override
    {
        m_requests.append({size, scale});
    }
    const QList<Request>& requests() const { return m_requests; }

private:
    QList<Request> m_requests;
};
