#pragma once

#include <QImage>
#include <QList>

// What receives the snapshot of the preview window when a capture is taken.
class CutCommand
{
public:
    virtual ~CutCommand() = default;
    virtual void cut(const QImage& snapshot) = 0;
};

// Keeps the snapshots it is given.
class RecordingCutCommand final : public CutCommand
{
public:
    void cut(const QImage& snapshot) override { m_snapshots.append(snapshot); }
    const QList<QImage>& snapshots() const { return m_snapshots; }

private:
    QList<QImage> m_snapshots;
};
