#include "common/PoolJobs.h"
#include "common/WorkPool.h"
#include "support/PoolSize.h"

#include <sys/wait.h>
#include <unistd.h>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

class TestPoolJobs : public QObject
{
    Q_OBJECT

private slots:
    void everyJobRunsOnceWhateverThePool()
    {
        for (const int threads : {0, 1, 2, 5}) {
            const PoolSize pool(threads);
            for (const int count : {0, 1, 2, 3, 1000}) {
                std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
                pooljobs::forEach(count,
                                  [&](int i) { runs[static_cast<std::size_t>(i)].fetch_add(1); });
                for (int i = 0; i < count; ++i) {
                    QCOMPARE(runs[static_cast<std::size_t>(i)].load(), 1);
                }
            }
        }
    }

    void thePoolsThreadsTakeJobsBesideTheCaller()
    {
        const PoolSize pool(2);
        const Qt::HANDLE caller = QThread::currentThreadId();
        std::atomic<bool> elsewhere{false};
        std::atomic<bool> elsewhereDone{false};
        pooljobs::forEach(2, [&](int) {
            if (QThread::currentThreadId() != caller) {
                elsewhere = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                elsewhereDone = true;
                return;
            }
            // The caller's job waits until the other one has run on another thread.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!elsewhere && std::chrono::steady_clock::now() < end) {
                std::this_thread::yield();
            }
        });
        QVERIFY(elsewhere);
        QVERIFY(elsewhereDone);  // and the call waited for it
    }

    void aFailingJobIsReportedAfterTheOthersEnd()
    {
        const PoolSize pool(3);
        std::atomic<int> running{0};
        bool thrown = false;
        try {
            pooljobs::forEach(40, [&](int i) {
                ++running;
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                --running;
                if (i == 3) {
                    throw std::runtime_error("job 3");
                }
            });
        } catch (const std::runtime_error& error) {
            thrown = QByteArray(error.what()) == "job 3";
            QCOMPARE(running.load(), 0);  // nothing still at work behind the caller's back
        }
        QVERIFY(thrown);
    }

    void aChildProcessAfterForkGetsItsWorkDone()
    {
        const PoolSize pool(2);
        // The pool has a thread now; the child inherits the pool but not the thread.
        pooljobs::forEach(2,
                          [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); });
        workpool::instance().waitForDone();  // its lock free when the child copies it
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            alarm(10);  // a call that waits for a thread that is not there ends here
            std::atomic<int> done{0};
            pooljobs::forEach(8, [&](int) { ++done; });
            pooljobs::Helper never([] {});
            never.finish();
            _exit(done == 8 ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the child hung or crashed");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void jobsMayShareTheirOwnWork()
    {
        const PoolSize pool(2);
        std::atomic<int> leaves{0};
        pooljobs::forEach(4, [&](int) { pooljobs::forEach(8, [&](int) { ++leaves; }); });
        QCOMPARE(leaves.load(), 32);
    }
};

QTEST_GUILESS_MAIN(TestPoolJobs)
#include "test_pool_jobs.moc"
