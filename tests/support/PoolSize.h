#pragma once

#include <QThreadPool>

// Keeps Qt's global pool idle and at `threads` threads for as long as it lives.
class PoolSize
{
public:
    explicit PoolSize(int threads) : m_before(QThreadPool::globalInstance()->maxThreadCount())
    {
        // Offers an earlier test withdrew may still hold a thread for a moment.
        QThreadPool::globalInstance()->waitForDone();
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(m_before); }
    PoolSize(const PoolSize&) = delete;
    PoolSize& operator=(const PoolSize&) = delete;

private:
    int m_before;
};
