#include "common/PoolJobs.h"
#include "common/WorkPool.h"

#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace pooljobs {

struct Helper::State
{
    std::mutex lock;
    std::condition_variable ended;
    bool withdrawn = false;
    bool running = false;
    std::function<void()> job;
};

Helper::Helper(std::function<void()> job)
{
    auto state = std::make_shared<State>();
    state->job = std::move(job);
    const bool taken = workpool::instance().tryStart([state] {
        {
            const std::lock_guard<std::mutex> guard(state->lock);
            if (state->withdrawn) {
                return;
            }
            state->running = true;
        }
        state->job();
        const std::lock_guard<std::mutex> guard(state->lock);
        state->running = false;
        state->ended.notify_all();
    });
    if (taken) {
        m_state = std::move(state);
    }
}

Helper::~Helper()
{
    finish();
}

void Helper::finish()
{
    if (!m_state) {
        return;
    }
    std::unique_lock<std::mutex> guard(m_state->lock);
    m_state->withdrawn = true;
    m_state->ended.wait(guard, [this] { return !m_state->running; });
    guard.unlock();
    m_state.reset();
}

void forEach(int count, const std::function<void(int)>& job)
{
    if (count <= 0) {
        return;
    }
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::mutex errorLock;
    std::exception_ptr error;
    const auto work = [&] {
        for (int index = next.fetch_add(1); index < count; index = next.fetch_add(1)) {
            if (failed.load()) {
                continue;  // what is left is skipped
            }
            try {
                job(index);
            } catch (...) {
                const std::lock_guard<std::mutex> guard(errorLock);
                if (!error) {
                    error = std::current_exception();
                }
                failed.store(true);
            }
        }
    };

    const int wanted = std::min(count - 1, std::max(0, workpool::instance().maxThreadCount() - 1));
    std::vector<std::unique_ptr<Helper>> helpers;
    for (int i = 0; i < wanted; ++i) {
        auto helper = std::make_unique<Helper>(work);
        if (!helper->offered()) {
            break;
        }
        helpers.push_back(std::move(helper));
    }
    work();
    helpers.clear();  // waits for the jobs they began
    if (error) {
        std::rethrow_exception(error);
    }
}

void forEachBand(int count, int band, const std::function<void(int first, int end)>& job)
{
    if (count <= 0 || band <= 0) {
        return;
    }
    forEach((count + band - 1) / band,
            [&](int index) { job(index * band, std::min(count, (index + 1) * band)); });
}

}  // namespace pooljobs
