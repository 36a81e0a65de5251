#include "platform/WorkFolder.h"

#include "platform/AppPaths.h"

WorkFolder::WorkFolder(QStringList candidates) : m_candidates(std::move(candidates))
{
    findFrom(0);
}

const QString& WorkFolder::moveOn()
{
    findFrom(m_index + 1);
    return m_path;
}

const QString& WorkFolder::startOver()
{
    findFrom(0);
    return m_path;
}

bool WorkFolder::takeNoFolderNotice()
{
    if (!m_path.isEmpty() || m_noticeGiven) {
        return false;
    }
    m_noticeGiven = true;
    return true;
}

void WorkFolder::findFrom(qsizetype index)
{
    for (m_index = index; m_index < m_candidates.size(); ++m_index) {
        if (apppaths::makeWritableFolder(m_candidates.at(m_index))) {
            m_path = m_candidates.at(m_index);
            return;
        }
    }
    m_path.clear();
}
