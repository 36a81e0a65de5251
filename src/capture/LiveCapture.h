#pragma once

#include "capture/CaptureScale.h"
#include "common/SelectionState.h"

#include <QImage>
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
    // The live capture could not start or ended without a capture: the message for the user.
    void failed(const QString& message);
};
