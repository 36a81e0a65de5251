#pragma once

#include "screen/StreamGrabber.h"

#include <QSignalSpy>
#include <QString>
#include <QTest>

namespace testsupport {

// Starts the grabber's stream and waits until it streams (at most a minute: the desktop
// may show its dialog first); false with `problem` set when it did not.
inline bool startStreaming(StreamGrabber& grabber, QString& problem)
{
    QSignalSpy ended(&grabber, &StreamGrabber::streamEnded);
    if (!grabber.startStream(problem)) {
        return false;
    }
    if (!QTest::qWaitFor([&] { return grabber.isStreaming() || !ended.isEmpty(); }, 60000)) {
        return false;
    }
    if (!ended.isEmpty()) {
        problem = ended.constFirst().constFirst().toString();
        return false;
    }
    return grabber.isStreaming();
}

}  // namespace testsupport
