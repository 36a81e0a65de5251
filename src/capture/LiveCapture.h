#pragma once

#include "capture/CaptureScale.h"
#include "common/SelectionState.h"

#include <QImage>
#include <QList>
#include <QObject>

// The live capture: loupe and preview for the selection's working size, until the
// selection's stopLoupe is set.
class LiveCapture : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Runs the live capture; returns when it has ended.
    virtual void StartLoupe(SelectionState& selection, const CaptureScale& scale) = 0;

signals:
    // Enter was pressed: the snapshot of the whole preview window, to be cut.
    void captureTaken(const QImage& snapshot);
    // The live capture could not start or ended without a capture: the message for the user.
    void failed(const QString& message);
};

// Keeps every request and returns at once; stands in where no screen is driven.
class RecordingLiveCapture final : public LiveCapture
{
    Q_OBJECT

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
