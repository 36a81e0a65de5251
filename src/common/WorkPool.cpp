#include "common/WorkPool.h"

#include <QCoreApplication>
#include <QThreadPool>

QThreadPool& workpool::instance()
{
    static QThreadPool* const pool = new QThreadPool(QCoreApplication::instance());
    return *pool;
}
