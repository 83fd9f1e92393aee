#pragma once

#include "core/shared/DataTable.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zelk::exchange {

// Rows handed to a thread of their own, which gives them to `out` in the order they
// came: the books are read on one core while the file is formatted and written on
// another. The texts of a row are copied, so they need to live only during the call. A
// failure of `out` (a full disk) is thrown by the next call here, and the rows after it
// are dropped.
class BackgroundRows : public TableRows {
public:
    explicit BackgroundRows(TableRows& out);
    // Stops the thread; rows not yet given to `out` are dropped (an export that failed).
    ~BackgroundRows() override;
    BackgroundRows(const BackgroundRows&) = delete;
    BackgroundRows& operator=(const BackgroundRows&) = delete;

    void start(const QString& title, const QStringList& header) override;
    // Given to `out` after the rows before it.
    void row(const std::vector<Cell>& cells, bool total) override;
    void rawRow(const std::vector<RawCell>& cells) override;
    // Gives `out` every row, then finishes it.
    void finish() override;

private:
    struct StoredCell {
        Cell::Kind kind;
        Amount amount;
        size_t offset, size; // of its text in the batch's bytes
    };
    struct Batch {
        std::string bytes;
        std::vector<StoredCell> cells;
        std::vector<size_t> rowEnds; // each row's end in `cells`
        void clear() {
            bytes.clear();
            cells.clear();
            rowEnds.clear();
        }
    };

    void run();
    void deliver(const Batch& batch, std::vector<RawCell>& row);
    // Queues the batch being filled, waiting while the queue is full.
    void handOver();
    // Waits until every queued row is with `out`.
    void drain();
    void throwFailure();

    TableRows& m_out;
    Batch m_filling;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_queue; // handed over, not yet given to `out`
    std::vector<Batch> m_spare;
    bool m_delivering = false;
    bool m_closing = false;   // no more batches come
    bool m_abandoned = false; // drop what is queued
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace zelk::exchange
