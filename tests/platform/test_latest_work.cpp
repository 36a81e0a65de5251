#include "common/WorkPool.h"
#include "platform/LatestWork.h"
#include "support/PoolSize.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Holds the jobs that pass it until it is opened.
class Gate
{
public:
    void pass()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(guard, [this] { return m_open; });
    }
    // Returns once a job waits at the gate.
    void awaitJob()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        m_changed.wait(guard, [this] { return m_waiting > 0; });
    }
    void open()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_waiting = 0;
    bool m_open = false;
};

// Where the results land, on the test's thread.
class Results : public QObject
{
    Q_OBJECT

public:
    std::vector<int> delivered;
    void add(int value)
    {
        delivered.push_back(value);
        emit arrived();
    }

signals:
    void arrived();
};

struct Runs
{
    std::mutex lock;
    std::vector<int> started;
    std::vector<bool> sawStop;
};

// A job that records that it ran, waits at `gate` when given, and hands back `value`.
LatestWork::Job job(int value, Results& results, Runs& runs, Gate* gate = nullptr)
{
    return [value, &results, &runs, gate](const LatestWork::Stop& stop) {
        {
            const std::lock_guard<std::mutex> guard(runs.lock);
            runs.started.push_back(value);
        }
        if (gate) {
            gate->pass();
        }
        const std::lock_guard<std::mutex> guard(runs.lock);
        runs.sawStop.push_back(stop.requested());
        return LatestWork::Delivery([value, &results] { results.add(value); });
    };
}

}  // namespace

class TestLatestWork : public QObject
{
    Q_OBJECT

private slots:
    // Quick requests while one runs: the running one is told to stop and its result is
    // dropped; of the rest only the newest ever runs, and its result arrives.
    void theNewestWinsWithoutABacklog()
    {
        const PoolSize pool(2);
        Results results;
        Runs runs;
        Gate gate;
        LatestWork work;
        work.request(job(1, results, runs, &gate));
        gate.awaitJob();
        for (int value = 2; value <= 10; ++value) {
            work.request(job(value, results, runs));
        }
        QSignalSpy arrived(&results, &Results::arrived);
        gate.open();
        QVERIFY(arrived.wait());
        workpool::instance().waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(runs.started, (std::vector<int>{1, 10}));
        QCOMPARE(runs.sawStop, (std::vector<bool>{true, false}));
        QCOMPARE(results.delivered, std::vector<int>{10});
    }

    void nothingArrivesAfterCancelOrOnceTheOwnerIsGone()
    {
        const PoolSize pool(2);
        Results results;
        Runs runs;
        for (const bool destroy : {false, true}) {
            Gate gate;
            auto work = std::make_unique<LatestWork>();
            work->request(job(1, results, runs, &gate));
            gate.awaitJob();
            if (destroy) {
                work.reset();
            } else {
                work->cancel();
            }
            gate.open();
            workpool::instance().waitForDone();
            QCoreApplication::sendPostedEvents();
            QVERIFY(results.delivered.empty());
        }
        QCOMPARE(runs.sawStop, (std::vector<bool>{true, true}));
    }

    // With every thread of the pool busy elsewhere, finish() does the job itself and
    // hands its result over before it returns.
    void finishRunsAJobNoThreadHasBegunHere()
    {
        const PoolSize pool(1);
        Gate blocker;
        workpool::instance().start([&blocker] { blocker.pass(); });
        blocker.awaitJob();
        Results results;
        Runs runs;
        LatestWork work;
        std::atomic<bool> onThisThread{false};
        const Qt::HANDLE self = QThread::currentThreadId();
        work.request([&](const LatestWork::Stop&) {
            onThisThread = QThread::currentThreadId() == self;
            return LatestWork::Delivery([&results] { results.add(7); });
        });
        work.finish();
        QVERIFY(onThisThread);
        QCOMPARE(results.delivered, std::vector<int>{7});
        blocker.open();
        workpool::instance().waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(results.delivered, std::vector<int>{7});  // once
    }
};

QTEST_GUILESS_MAIN(TestLatestWork)
#include "test_latest_work.moc"
