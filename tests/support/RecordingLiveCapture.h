#pragma once

#include "capture/LiveCapture.h"

#include <QList>

// Keeps every request and returns at once; stands in where no screen is driven.
class RecordingLiveCapture final : public LiveCapture
{
public:
    struct Request
    {
        CaptureSize size;
        CaptureScale scale;
    };

    void StartLoupe(SelectionState& selection, const CaptureScale& scale) override
    {
        m_requests.append({selection.capture, scale});
    }
    void stop() override { ++m_stops; }
    const QList<Request>& requests() const { return m_requests; }
    int stops() const { return m_stops; }

private:
    QList<Request> m_requests;
    int m_stops = 0;
};
