#include "CsvReader.h"

#include "core/data/VectorState.h"
#include "core/shared/TextEncoding.h"

#include <QBuffer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <csv.h>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace zelk::exchange {

QByteArrayView CsvRecord::bytes(int field) const {
    if (field < 0 || field >= size())
        return {};
    const qsizetype begin = field == 0 ? 0 : m_ends[size_t(field) - 1];
    return QByteArrayView(m_data.data() + begin, m_ends[size_t(field)] - begin);
}

QString CsvRecord::text(int field) const {
    const QByteArrayView b = bytes(field);
    // While the encoding is being found out, a field is UTF-8 when it can be.
    const bool utf8 =
        m_encoding == Encoding::Utf8 || (m_encoding == Encoding::Unknown && b.isValidUtf8());
    return utf8 ? QString::fromUtf8(b) : FromWindows1252(b.toByteArray());
}

QStringList CsvRecord::texts() const {
    QStringList out;
    for (int f = 0; f < size(); ++f)
        out << text(f);
    return out;
}

namespace {

constexpr qint64 ChunkSize = 1 << 20;

// The separator of the first line: the one of comma, semicolon and tab found most
// outside quotes (a comma when none is).
char separatorOf(QByteArrayView line) {
    int counts[3] = {0, 0, 0};
    const char candidates[3] = {',', ';', '\t'};
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        for (int k = 0; k < 3 && !quoted; ++k)
            counts[k] += c == candidates[k];
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}

int isBlank(unsigned char c) {
    return c == ' ' || c == '\t';
}
int isSpaceOnly(unsigned char c) {
    return c == ' ';
}

} // namespace

// The parser's state, handed to libcsv's callbacks.
struct CsvParse {
    csv_parser parser{};
    CsvLayout& layout;
    bool detect;
    const std::function<bool(CsvRecord&)>& onRecord;
    CsvRecord record;
    int line = 0;
    bool inRecord = false;
    bool stop = false;
    bool multibyte = false; // a letter beyond ASCII in UTF-8 seen
    // What onRecord threw: kept until the C parser has returned, then thrown again.
    std::exception_ptr failure;

    static void field(void* data, size_t size, void* self) {
        auto* p = static_cast<CsvParse*>(self);
        p->record.m_data.append(static_cast<const char*>(data), size);
        p->record.m_ends.push_back(qsizetype(p->record.m_data.size()));
    }
    static void recordEnd(int, void* self) {
        auto* p = static_cast<CsvParse*>(self);
        ++p->layout.records;
        if (!p->stop) {
            try {
                p->stop = !p->onRecord(p->record);
            } catch (...) {
                p->failure = std::current_exception();
                p->stop = true;
            }
        }
        p->record.m_data.clear();
        p->record.m_ends.clear();
        p->inRecord = false;
    }

    void feed(const char* s, qsizetype n) {
        ++line;
        if (detect) {
            const QByteArrayView bytes(s, n);
            if (!bytes.isValidUtf8()) {
                if (layout.notUtf8Line == 0)
                    layout.notUtf8Line = line;
            } else if (!multibyte) {
                for (const char c : bytes)
                    multibyte = multibyte || (c & 0x80);
            }
        }
        if (!inRecord)
            for (qsizetype i = 0; i < n; ++i)
                if (s[i] != ' ' && s[i] != '\r' && s[i] != '\n' &&
                    (s[i] != '\t' || layout.separator == '\t')) {
                    inRecord = true;
                    record.line = line;
                    break;
                }
        if (csv_parse(&parser, s, size_t(n), field, recordEnd, this) != size_t(n)) {
            layout.errorLine = line;
            layout.error = QString::fromLatin1(csv_strerror(csv_error(&parser)));
        }
    }
    bool done() const { return stop || !layout.error.isEmpty(); }
    // While the encoding is found out, each field is read as UTF-8 when it can be.
    void setEncoding() {
        record.m_encoding = detect        ? CsvRecord::Encoding::Unknown
                            : layout.utf8 ? CsvRecord::Encoding::Utf8
                                          : CsvRecord::Encoding::Windows1252;
    }
};

namespace {

// The reading itself, on the calling thread.
bool parseRecords(QIODevice& device, CsvLayout& layout, bool detect,
                  const std::function<bool(CsvRecord&)>& onRecord,
                  const std::function<bool(qint64)>& onProgress) {
    layout.records = 0;
    layout.errorLine = 0;
    layout.error.clear();
    if (detect)
        layout.notUtf8Line = 0;
    CsvParse p{{}, layout, detect, onRecord, {}, 0, false, false, false, {}};
    // Lenient as spreadsheet programs are: a quote inside an unquoted value is kept as
    // it stands.
    csv_init(&p.parser, 0);
    QByteArray pending;
    bool started = false, bom = false;
    qint64 read = 0;
    for (;;) {
        const QByteArray chunk = device.read(ChunkSize);
        const bool end = chunk.isEmpty();
        read += chunk.size();
        pending.append(chunk);
        qsizetype pos = 0;
        if (!started) {
            // The byte-order mark and the first line decide the encoding and separator.
            qsizetype firstEnd = 0;
            while (firstEnd < pending.size() && pending[firstEnd] != '\n' &&
                   pending[firstEnd] != '\r')
                ++firstEnd;
            if (!end && firstEnd == pending.size())
                continue;
            started = true;
            bom = pending.startsWith("\xEF\xBB\xBF");
            pos = bom ? 3 : 0;
            p.setEncoding();
            if (detect)
                layout.separator =
                    separatorOf(QByteArrayView(pending).sliced(pos, qMax(firstEnd - pos, 0)));
            csv_set_delim(&p.parser, static_cast<unsigned char>(layout.separator));
            // Blanks around an unquoted value are dropped, a tab only when it is none.
            csv_set_space_func(&p.parser, layout.separator == '\t' ? isSpaceOnly : isBlank);
        }
        const char* data = pending.constData();
        const qsizetype size = pending.size();
        // The next LF and the next CR, each found again once passed.
        const char* lf = nullptr;
        const char* cr = nullptr;
        for (qsizetype i = pos; i < size && !p.done(); ++i) {
            if (!lf || lf < data + i)
                lf = static_cast<const char*>(std::memchr(data + i, '\n', size_t(size - i)));
            if (!cr || cr < data + i)
                cr = static_cast<const char*>(std::memchr(data + i, '\r', size_t(size - i)));
            if (!lf && !cr)
                break;
            if (!lf)
                lf = data + size; // none left
            if (!cr)
                cr = data + size;
            i = std::min(lf, cr) - data;
            if (i >= size)
                break;
            qsizetype lineEnd = i + 1;
            if (data[i] == '\r') {
                if (i + 1 == size && !end)
                    break; // an LF may follow in the next chunk
                if (i + 1 < size && data[i + 1] == '\n')
                    ++lineEnd;
            }
            p.feed(data + pos, lineEnd - pos);
            pos = lineEnd;
            i = lineEnd - 1;
        }
        if (end || p.done()) {
            if (!p.done() && pos < size)
                p.feed(data + pos, size - pos); // the last line has no line end
            break;
        }
        pending.remove(0, pos);
        // After each whole megabyte: a smaller file is read at once.
        if (onProgress && chunk.size() == ChunkSize) {
            bool going = false;
            try {
                going = onProgress(read);
            } catch (...) { // thrown again once the parser is freed
                p.failure = std::current_exception();
            }
            if (!going) {
                p.stop = true;
                break;
            }
        }
    }
    if (!p.done()) {
        // Strict at the end only: a quoted value still open is an error.
        csv_set_opts(&p.parser, CSV_STRICT | CSV_STRICT_FINI);
        if (csv_fini(&p.parser, CsvParse::field, CsvParse::recordEnd, &p) != 0) {
            layout.errorLine = p.inRecord ? p.record.line : p.line;
            layout.error = QStringLiteral("a quoted value is not closed");
        }
    }
    csv_free(&p.parser);
    if (p.failure)
        std::rethrow_exception(p.failure);
    if (detect)
        layout.utf8 = layout.notUtf8Line == 0 || p.multibyte || bom;
    if (detect && !layout.utf8)
        layout.notUtf8Line = 0; // Windows-1252 throughout
    return !p.stop;
}

// Records handed from the thread that parses to the one that takes them, a few
// thousand at a time; the records' buffers go back and forth, so none is allocated
// again.
struct RecordBatch {
    std::vector<CsvRecord> records;
    size_t count = 0;
};

class RecordQueue {
public:
    static constexpr size_t BatchRecords = 4096;
    static constexpr size_t Waiting = 4;

    RecordBatch fresh() {
        std::lock_guard lock(m_mutex);
        if (m_free.empty())
            return {};
        RecordBatch b = std::move(m_free.back());
        m_free.pop_back();
        return b;
    }
    // False when the taker has stopped.
    bool push(RecordBatch&& batch) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_full.size() < Waiting || m_stopped; });
        if (m_stopped)
            return false;
        m_full.push_back(std::move(batch));
        m_changed.notify_all();
        return true;
    }
    std::optional<RecordBatch> pop() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_full.empty() || m_finished || m_stopped; });
        if (m_full.empty())
            return std::nullopt;
        RecordBatch b = std::move(m_full.front());
        m_full.pop_front();
        m_changed.notify_all();
        return b;
    }
    void recycle(RecordBatch&& batch) {
        std::lock_guard lock(m_mutex);
        batch.count = 0;
        m_free.push_back(std::move(batch));
    }
    void finish() {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    void stop() {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<RecordBatch> m_full;
    std::vector<RecordBatch> m_free;
    bool m_finished = false, m_stopped = false;
};

// A file this large is parsed on a thread of its own while the caller checks and
// writes what was parsed before.
constexpr qint64 ThreadedSize = 4 * ChunkSize;

} // namespace

void CsvRecord::swap(CsvRecord& other) {
    std::swap(line, other.line);
    std::swap(m_encoding, other.m_encoding);
    m_data.swap(other.m_data);
    m_ends.swap(other.m_ends);
}

bool ReadCsvRecords(QIODevice& device, CsvLayout& layout, bool detect,
                    const std::function<bool(const CsvRecord&)>& onRecord,
                    const std::function<bool(qint64)>& onProgress) {
    if (device.size() < ThreadedSize)
        return parseRecords(device, layout, detect, onRecord, onProgress);
    RecordQueue queue;
    std::atomic<bool> stopped{false};
    std::atomic<qint64> read{0};
    bool parsed = true;
    std::thread parser([&] {
        clearVectorUppers();
        RecordBatch batch = queue.fresh();
        parsed = parseRecords(
            device, layout, detect,
            [&](CsvRecord& r) {
                if (batch.count == batch.records.size())
                    batch.records.emplace_back();
                batch.records[batch.count++].swap(r); // r takes the old record's buffers
                if (batch.count < RecordQueue::BatchRecords)
                    return true;
                if (!queue.push(std::move(batch)))
                    return false;
                batch = queue.fresh();
                return !stopped;
            },
            [&](qint64 bytes) {
                read = bytes;
                return !stopped;
            });
        queue.push(std::move(batch));
        queue.finish();
    });
    auto halt = [&] {
        stopped = true;
        queue.stop();
        parser.join();
    };
    bool going = true;
    try {
        while (going) {
            std::optional<RecordBatch> batch = queue.pop();
            if (!batch)
                break;
            for (size_t i = 0; i < batch->count && going; ++i) {
                clearVectorUppers(); // a record's check may hash as Qt does
                going = onRecord(batch->records[i]);
            }
            queue.recycle(std::move(*batch));
            going = going && (!onProgress || onProgress(read));
        }
    } catch (...) {
        halt();
        throw;
    }
    halt();
    return going && parsed;
}

CsvFile ReadCsv(const QByteArray& bytes) {
    CsvFile out;
    for (const bool detect : {true, false}) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        out.records.clear();
        ReadCsvRecords(buffer, out.layout, detect, [&](const CsvRecord& r) {
            out.records.push_back({r.line, r.texts()});
            return true;
        });
    }
    return out;
}

} // namespace zelk::exchange
