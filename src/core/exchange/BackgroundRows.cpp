#include "BackgroundRows.h"

namespace zelk::exchange {

namespace {
constexpr size_t BatchBytes = 1 << 17;
constexpr size_t QueuedBatches = 4; // at most this many batches wait, so memory stays flat
} // namespace

BackgroundRows::BackgroundRows(TableRows& out) : m_out(out) {
    m_filling.bytes.reserve(BatchBytes);
    m_thread = std::thread([this] { run(); });
}

BackgroundRows::~BackgroundRows() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = m_abandoned = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundRows::start(const QString& title, const QStringList& header) {
    drain();
    m_out.start(title, header);
}

void BackgroundRows::row(const std::vector<Cell>& cells, bool total) {
    drain();
    m_out.row(cells, total);
}

void BackgroundRows::rawRow(const std::vector<RawCell>& cells) {
    size_t size = 0;
    for (const RawCell& c : cells)
        size += size_t(c.utf8.size());
    if (!m_filling.rowEnds.empty() && m_filling.bytes.size() + size > BatchBytes)
        handOver();
    for (const RawCell& c : cells) {
        m_filling.cells.push_back(
            {c.kind, c.amount, m_filling.bytes.size(), size_t(c.utf8.size())});
        if (!c.utf8.isEmpty())
            m_filling.bytes.append(c.utf8.data(), size_t(c.utf8.size()));
    }
    m_filling.rowEnds.push_back(m_filling.cells.size());
}

void BackgroundRows::finish() {
    drain();
    std::unique_lock lock(m_mutex);
    m_closing = true;
    lock.unlock();
    m_changed.notify_all();
    m_thread.join();
    throwFailure();
    m_out.finish();
}

void BackgroundRows::handOver() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < QueuedBatches || m_failure; });
    if (m_failure) {
        lock.unlock();
        throwFailure();
    }
    m_queue.push_back(std::move(m_filling));
    if (m_spare.empty()) {
        m_filling = Batch();
        m_filling.bytes.reserve(BatchBytes);
    } else {
        m_filling = std::move(m_spare.back());
        m_spare.pop_back();
    }
    lock.unlock();
    m_changed.notify_all();
}

void BackgroundRows::drain() {
    if (!m_filling.rowEnds.empty())
        handOver();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return (m_queue.empty() && !m_delivering) || m_failure; });
    lock.unlock();
    throwFailure();
}

void BackgroundRows::throwFailure() {
    std::lock_guard lock(m_mutex);
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void BackgroundRows::run() {
    std::vector<RawCell> row;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing; });
        if (m_queue.empty() || m_abandoned)
            return;
        Batch batch = std::move(m_queue.front());
        m_queue.pop_front();
        m_delivering = true;
        lock.unlock();
        m_changed.notify_all(); // room in the queue
        std::exception_ptr failure;
        try {
            deliver(batch, row);
        } catch (...) {
            failure = std::current_exception();
        }
        batch.clear();
        lock.lock();
        m_delivering = false;
        m_spare.push_back(std::move(batch));
        if (failure) {
            m_failure = failure;
            m_queue.clear();
        }
        m_changed.notify_all();
        if (m_failure)
            m_changed.wait(lock, [this] { return m_closing; }); // until finished or dropped
    }
}

void BackgroundRows::deliver(const Batch& batch, std::vector<RawCell>& row) {
    size_t first = 0;
    for (const size_t end : batch.rowEnds) {
        row.resize(end - first);
        for (size_t i = first; i < end; ++i) {
            const StoredCell& c = batch.cells[i];
            row[i - first] = {
                c.kind, QByteArrayView(batch.bytes.data() + c.offset, qsizetype(c.size)), c.amount};
        }
        m_out.rawRow(row);
        first = end;
    }
}

} // namespace zelk::exchange
