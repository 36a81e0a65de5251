#pragma once

#include <QString>
#include <QStringList>

// The folder that holds the work files (temp.jpg, temp.png) for the whole run: the
// first of several candidate folders that exists or can be made and in which a
// file can be created. When a write into it fails later, the next candidate that
// can be written takes its place.
class WorkFolder
{
public:
    // `candidates` in order of preference, each ending with "/".
    explicit WorkFolder(QStringList candidates);

    // The folder in use, ending with "/"; empty when no candidate can be written.
    const QString& path() const { return m_path; }
    const QStringList& candidates() const { return m_candidates; }

    // Writing into path() failed: the next candidate that can be written is used
    // from now on. Returns the new path(), empty when none is left.
    const QString& moveOn();

    // Looks again from the first candidate (room may have been made since every
    // folder failed). Returns the new path(), empty when none can be written.
    const QString& startOver();

    // True the first time it is asked while no folder is left, false ever after:
    // the user is told once.
    bool takeNoFolderNotice();

private:
    void findFrom(qsizetype index);

    QStringList m_candidates;
    qsizetype m_index = 0;
    QString m_path;
    bool m_noticeGiven = false;
};
