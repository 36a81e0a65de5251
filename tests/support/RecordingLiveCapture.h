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
    const QList<Request>& requests() const { return m_requests; }

private:
    QList<Request> m_requests;
};
