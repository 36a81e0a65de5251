#pragma once

#include <functional>
#include <memory>

// Work shared between the calling thread and the idle threads of the program's work pool. The
// caller always works too, and waits only for jobs a pool thread has begun: the work gets
// done when the pool is busy, has no threads, or (in a child process after fork()) has
// threads that no longer exist.
namespace pooljobs {

// A job offered to one idle thread of the pool. The offer is withdrawn by finish() or
// the destructor: a job not begun by then never begins, one begun is waited for.
class Helper
{
public:
    // Offers `job` when the pool has an idle thread; offered() says whether it did.
    explicit Helper(std::function<void()> job);
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool offered() const { return m_state != nullptr; }
    // Withdraws the offer, then waits for the job if a pool thread has begun it.
    void finish();

private:
    struct State;
    std::shared_ptr<State> m_state;  // shared with the pool's task
};

// Runs job(0) .. job(count - 1), each once, in any order and possibly at the same
// time, and returns when all are done. The first exception a job throws is thrown
// again here, after the others have finished; jobs not yet begun are then skipped.
void forEach(int count, const std::function<void(int)>& job);

// Runs job(first, end) over [0, count) cut into bands of `band` (the last one may be
// shorter), the bands as forEach runs its jobs. The bands do not depend on the
// threads, so work that sums per band gives the same result however it ran.
void forEachBand(int count, int band, const std::function<void(int first, int end)>& job);

}  // namespace pooljobs
