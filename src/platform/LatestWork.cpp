#include "platform/LatestWork.h"
#include "common/WorkPool.h"

#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <mutex>

struct LatestWork::Stop::State
{
    std::atomic<quint64> newest{0};
};

struct LatestWork::State : LatestWork::Stop::State
{
    std::mutex lock;
    std::condition_variable ended;
    LatestWork* owner = nullptr;  // null once the owner is gone
    Job pending;                  // the newest request while no thread has begun it
    quint64 pendingGeneration = 0;
    quint64 running = 0;       // generation of the job under way; 0: none
    bool taskStarted = false;  // a pool task is queued or draining
    Delivery ready;            // a result waiting for the owner's thread
    quint64 readyGeneration = 0;
};

LatestWork::Stop::Stop(std::shared_ptr<const State> state, quint64 generation)
    : m_state(std::move(state)), m_generation(generation)
{
}

bool LatestWork::Stop::requested() const
{
    return m_state->newest.load(std::memory_order_relaxed) != m_generation;
}

LatestWork::LatestWork(QObject* parent) : QObject(parent), m_state(std::make_shared<State>())
{
    m_state->owner = this;
}

LatestWork::~LatestWork()
{
    const std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->owner = nullptr;
    m_state->newest.fetch_add(1);
    m_state->pending = nullptr;
    m_state->ready = nullptr;
}

void LatestWork::request(Job job)
{
    bool start = false;
    {
        const std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->pendingGeneration = m_state->newest.fetch_add(1) + 1;
        m_state->pending = std::move(job);
        m_state->ready = nullptr;
        start = !std::exchange(m_state->taskStarted, true);
    }
    if (start) {
        workpool::instance().start([state = m_state] { drain(state); });
    }
}

void LatestWork::cancel()
{
    const std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->newest.fetch_add(1);
    m_state->pending = nullptr;
    m_state->ready = nullptr;
}

namespace {

LatestWork::Delivery run(const LatestWork::Job& job, const LatestWork::Stop& stop)
{
    try {
        return job(stop);
    } catch (...) {
        return nullptr;  // out of memory, say: no result, as for a failed encode
    }
}

}  // namespace

void LatestWork::drain(const std::shared_ptr<State>& state)
{
    std::unique_lock<std::mutex> guard(state->lock);
    while (state->pending) {
        Job job = std::exchange(state->pending, nullptr);
        const quint64 generation = state->pendingGeneration;
        state->running = generation;
        guard.unlock();
        Delivery delivery = run(job, Stop(state, generation));
        job = nullptr;
        guard.lock();
        state->running = 0;
        if (delivery && state->owner && generation == state->newest.load()) {
            state->ready = std::move(delivery);
            state->readyGeneration = generation;
            QMetaObject::invokeMethod(
                state->owner, [owner = state->owner] { owner->deliverReady(); },
                Qt::QueuedConnection);
        }
        state->ended.notify_all();
    }
    state->taskStarted = false;
}

void LatestWork::finish()
{
    std::unique_lock<std::mutex> guard(m_state->lock);
    if (m_state->pending) {
        Job job = std::exchange(m_state->pending, nullptr);
        const quint64 generation = m_state->pendingGeneration;
        guard.unlock();
        Delivery delivery = run(job, Stop(m_state, generation));
        guard.lock();
        if (delivery && generation == m_state->newest.load()) {
            m_state->ready = std::move(delivery);
            m_state->readyGeneration = generation;
        }
    } else {
        m_state->ended.wait(guard, [this] { return m_state->running != m_state->newest.load(); });
    }
    guard.unlock();
    deliverReady();
}

void LatestWork::deliverReady()
{
    Delivery delivery;
    {
        const std::lock_guard<std::mutex> guard(m_state->lock);
        if (m_state->readyGeneration == m_state->newest.load()) {
            delivery = std::move(m_state->ready);
        }
        m_state->ready = nullptr;
    }
    if (delivery) {
        delivery();
    }
}
