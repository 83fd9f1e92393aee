#include "BackgroundRows.h"

namespace zelk::exchange {

namespace {
constexpr std::size_t BatchBytes = 1 << 17;
} // namespace

BackgroundRows::BackgroundRows(TableRows& out)
    : m_out(out), m_handOver([this](Batch& b) { deliver(b); }) {}

void BackgroundRows::start(const QString& title, const QStringList& header) {
    m_handOver.drain();
    m_out.start(title, header);
}

void BackgroundRows::row(const std::vector<Cell>& cells, bool total) {
    m_handOver.drain();
    m_out.row(cells, total);
}

void BackgroundRows::rawRow(const std::vector<RawCell>& cells) {
    std::size_t size = 0;
    for (const RawCell& c : cells)
        size += std::size_t(c.utf8.size());
    if (!m_handOver.filling().empty() && m_handOver.filling().bytes.size() + size > BatchBytes)
        m_handOver.handOver();
    Batch& b = m_handOver.filling();
    for (const RawCell& c : cells) {
        b.cells.push_back({c.kind, c.amount, b.bytes.size(), std::size_t(c.utf8.size())});
        if (!c.utf8.isEmpty())
            b.bytes.append(c.utf8.data(), std::size_t(c.utf8.size()));
    }
    b.rowEnds.push_back(b.cells.size());
}

void BackgroundRows::finish() {
    m_handOver.finish();
    m_out.finish();
}

void BackgroundRows::deliver(const Batch& batch) {
    std::size_t first = 0;
    for (const std::size_t end : batch.rowEnds) {
        m_row.resize(end - first);
        for (std::size_t i = first; i < end; ++i) {
            const StoredCell& c = batch.cells[i];
            m_row[i - first] = {
                c.kind, QByteArrayView(batch.bytes.data() + c.offset, qsizetype(c.size)), c.amount};
        }
        m_out.rawRow(m_row);
        first = end;
    }
}

} // namespace zelk::exchange
