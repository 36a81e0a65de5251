#pragma once

#include "common/WorkPool.h"

#include <QThreadPool>

// Keeps the program's work pool idle and at `threads` threads for as long as it lives.
class PoolSize
{
public:
    explicit PoolSize(int threads) : m_before(workpool::instance().maxThreadCount())
    {
        // Offers an earlier test withdrew may still hold a thread for a moment.
        workpool::instance().waitForDone();
        workpool::instance().setMaxThreadCount(threads);
    }
    ~PoolSize() { workpool::instance().setMaxThreadCount(m_before); }
    PoolSize(const PoolSize&) = delete;
    PoolSize& operator=(const PoolSize&) = delete;

private:
    int m_before;
};
