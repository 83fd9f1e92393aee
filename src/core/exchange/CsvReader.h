#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QIODevice;

// Reading a CSV file as it comes, a megabyte at a time, through libcsv: records are
// handed on as they are read and nothing holds the whole file.
namespace zelk::exchange {

// What a first reading of a file finds out, and a second one reads by.
struct CsvLayout {
    bool utf8 = true;     // UTF-8 (with or without a byte-order mark), else Windows-1252
    char separator = ','; // ',', ';' or a tab: the one found most in the first line
    // The first line that is not UTF-8 in a file that has a byte-order mark or other
    // letters in UTF-8: such a file is refused, as neither encoding reads all of it.
    int notUtf8Line = 0;
    int records = 0;
    // When the file is not well-formed CSV: the line and the reason; the reading stops.
    int errorLine = 0;
    QString error;
};

// One record: the file's line where it begins and its fields as the file's bytes.
class CsvRecord {
public:
    int line = 0;
    int size() const { return int(m_ends.size()); }
    // A field's bytes (empty beyond the last field).
    QByteArrayView bytes(int field) const;
    // A field's text in the file's encoding.
    QString text(int field) const;
    QStringList texts() const;

    // Trades contents with another record (buffers included).
    void swap(CsvRecord& other);

private:
    friend struct CsvParse;
    enum class Encoding { Utf8, Windows1252, Unknown };
    Encoding m_encoding = Encoding::Utf8;
    std::string m_data; // the fields one after another
    std::vector<qsizetype> m_ends;
};

// Reads the records of `device`. With `detect` the layout is found out on the way
// (encoding, separator, the first line that is not UTF-8); otherwise the layout found
// before is used. Line ends are CR LF, LF or CR alone, and lines are the file's own,
// counted through quoted line breaks. `onRecord` returns false to stop the reading, so
// does `onProgress` (told the bytes read so far after each whole megabyte: a smaller file
// is read at once). False when stopped. A file of some megabytes is parsed on a thread
// of its own meanwhile; both callbacks are called on the calling thread, and the
// device is not to be used by it until the reading ends.
bool ReadCsvRecords(QIODevice& device, CsvLayout& layout, bool detect,
                    const std::function<bool(const CsvRecord&)>& onRecord,
                    const std::function<bool(qint64)>& onProgress = {});

// A small file in memory read whole: the layout and every record's texts.
struct CsvFile {
    CsvLayout layout;
    struct Record {
        int line = 0;
        QStringList fields;
    };
    std::vector<Record> records;
};
CsvFile ReadCsv(const QByteArray& bytes);

} // namespace zelk::exchange
