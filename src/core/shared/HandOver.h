#pragma once

#include "core/data/VectorState.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zelk {

// Work handed to a thread of its own a batch at a time, done there in the order it came
// while the caller goes on with the next: one core reads while the other writes. The
// caller fills `filling()` and hands it over; at most a few batches wait, so the memory
// stays flat. A failure of the work is thrown by the caller's next handOver, drain or
// finish, and the batches after it are dropped. A Batch is movable, with empty() and
// clear().
template <class Batch>
class HandOver {
public:
    explicit HandOver(std::function<void(Batch&)> work) : m_work(std::move(work)) {
        m_thread = std::thread([this] { run(); });
    }
    // Stops the thread; the batches not yet done are dropped (the work failed or was
    // given up).
    ~HandOver() {
        {
            std::lock_guard lock(m_mutex);
            m_closing = m_dropping = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    Batch& filling() { return m_filling; }

    // Queues the batch being filled and gives a fresh one; waits while the queue is full.
    void handOver() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < QueuedBatches || m_failure; });
        if (m_failure)
            std::rethrow_exception(m_failure);
        if (m_filling.empty())
            return;
        m_queue.push_back(std::move(m_filling));
        m_filling = Batch();
        if (!m_spare.empty()) {
            m_filling = std::move(m_spare.back());
            m_spare.pop_back();
        }
        lock.unlock();
        m_filling.clear(); // here, where its memory was taken
        m_changed.notify_all();
    }

    // Hands over what was filled and waits until all of it is done.
    void drain() {
        handOver();
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return (m_queue.empty() && !m_working) || m_failure; });
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

    // Drains and ends the thread.
    void finish() {
        drain();
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    static constexpr std::size_t QueuedBatches = 4;

    void run() {
        clearVectorUppers(); // as the caller's thread left them
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing; });
            if (m_queue.empty() || m_dropping)
                return;
            Batch batch = std::move(m_queue.front());
            m_queue.pop_front();
            m_working = true;
            lock.unlock();
            m_changed.notify_all(); // room in the queue
            std::exception_ptr failure;
            try {
                m_work(batch);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            m_working = false;
            m_spare.push_back(std::move(batch));
            if (failure) {
                m_failure = failure;
                m_queue.clear();
            }
            m_changed.notify_all();
            if (m_failure)
                m_changed.wait(lock, [this] { return m_closing; });
        }
    }

    std::function<void(Batch&)> m_work;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_queue; // handed over, not yet done
    std::vector<Batch> m_spare;
    bool m_working = false;
    bool m_closing = false;  // no more batches come
    bool m_dropping = false; // the waiting batches are not done
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace zelk
