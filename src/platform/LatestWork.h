#pragma once

#include <QObject>
#include <QtGlobal>
#include <functional>
#include <memory>

// Runs the newest of a stream of requests on a thread of the program's work pool (WorkPool) and
// hands its result back to the owner's thread by a queued call. Each request carries a generation;
// a new one overtakes every earlier one: a request not begun never begins, the one running is told
// so (Stop) and ends at its next step, and a result that is no longer the newest when it arrives is
// dropped. Requests never queue up: while one runs, only the newest waits. Nothing is delivered
// after cancel() or once the owner is gone.
class LatestWork : public QObject
{
public:
    // What a job hands back, run on the owner's thread; empty for nothing.
    using Delivery = std::function<void()>;

    // Tells a running job whether it has been overtaken or cancelled.
    class Stop
    {
    public:
        bool requested() const;

    private:
        friend class LatestWork;
        struct State;
        Stop(std::shared_ptr<const State> state, quint64 generation);
        std::shared_ptr<const State> m_state;
        quint64 m_generation;
    };

    // Runs anywhere but on widgets: it gets its own copies of what it works on.
    using Job = std::function<Delivery(const Stop&)>;

    explicit LatestWork(QObject* parent = nullptr);
    ~LatestWork() override;
    LatestWork(const LatestWork&) = delete;
    LatestWork& operator=(const LatestWork&) = delete;

    void request(Job job);
    // Drops every request; the one running stops at its next step, unheard.
    void cancel();
    // Completes the newest request before returning: runs it on this thread when no
    // pool thread has begun it (so a busy pool never holds it up), else waits for it,
    // then delivers its result here.
    void finish();

private:
    struct State;
    static void drain(const std::shared_ptr<State>& state);
    void deliverReady();

    std::shared_ptr<State> m_state;
};
