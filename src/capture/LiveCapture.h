#pragma once

#include "capture/CaptureScale.h"
#include "common/SelectionState.h"

#include <QImage>
#include <QList>
#include <QObject>

// The live capture: loupe and preview for the selection's working size, until it is
// stopped.
class LiveCapture : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Runs the live capture; returns when it has ended.
    virtual void StartLoupe(SelectionState& selection, const CaptureScale& scale) = 0;

    // Ends the running live capture, if any: its windows go at its next pass. Every
    // way of ending one (a changed setting, another model, Enter, the end of the
    // program) comes here.
    virtual void stop() = 0;

signals:
    // Enter was pressed: the snapshot of the whole preview window, to be cut.
    void captureTaken(const QImage& snapshot);
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
    void stop() override { ++m_stops; }
    const QList<Request>& requests() const { return m_requests; }
    int stops() const { return m_stops; }

private:
    QList<Request> m_requests;
    int m_stops = 0;
};
