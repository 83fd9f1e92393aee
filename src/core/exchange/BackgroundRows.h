#pragma once

#include "core/shared/DataTable.h"
#include "core/shared/HandOver.h"

#include <cstddef>
#include <string>
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
        std::size_t offset, size; // of its text in the batch's bytes
    };
    struct Batch {
        std::string bytes;
        std::vector<StoredCell> cells;
        std::vector<std::size_t> rowEnds; // each row's end in `cells`
        bool empty() const { return rowEnds.empty(); }
        void clear() {
            bytes.clear();
            cells.clear();
            rowEnds.clear();
        }
    };
    void deliver(const Batch& batch);

    TableRows& m_out;
    std::vector<RawCell> m_row; // of the writing thread
    HandOver<Batch> m_handOver; // last: its thread ends before the rest goes
};

} // namespace zelk::exchange
