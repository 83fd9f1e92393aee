#include "core/exchange/BackgroundRows.h"
#include "core/exchange/TableExport.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QProcess>
#include <QStringListModel>
#include <QTemporaryDir>
#include <csv.h>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::exchange;

namespace {

// The fields of every record, as a spreadsheet-style reader (libcsv) reads them.
std::vector<QStringList> readCsv(QByteArray bytes) {
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    bytes.remove(0, 3);
    struct State {
        std::vector<QStringList> rows{QStringList()};
    } st;
    csv_parser p;
    csv_init(&p, CSV_STRICT | CSV_STRICT_FINI);
    auto field = [](void* s, size_t n, void* d) {
        static_cast<State*>(d)->rows.back()
            << QString::fromUtf8(static_cast<char*>(s), qsizetype(n));
    };
    auto row = [](int, void* d) { static_cast<State*>(d)->rows.emplace_back(); };
    EXPECT_EQ(csv_parse(&p, bytes.constData(), size_t(bytes.size()), field, row, &st),
              size_t(bytes.size()));
    csv_fini(&p, field, row, &st);
    csv_free(&p);
    st.rows.pop_back();
    return st.rows;
}

DataTable sample() {
    DataTable t;
    t.title = QStringLiteral("Trial Balance");
    t.header = {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Debit"),
                QStringLiteral("Date")};
    t.rows.push_back(
        {{textCell(QStringLiteral("1000")), textCell(QStringLiteral("Cash, \"petty\"\nbox")),
          moneyCell(Amount::fromRaw(12345000)), dateCell(QDate(2026, 3, 31))}});
    t.rows.push_back({{textCell(QStringLiteral("=1+2")), textCell(QStringLiteral("-A1")),
                       moneyCell(Amount::fromRaw(-125)), dateCell(QDate())}});
    t.rows.push_back(
        {{textCell(QStringLiteral("@SUM(A1)")), textCell(QStringLiteral("-12.5")),
          moneyCell(Amount::fromRaw(-999999999999)), textCell(QStringLiteral("\tx"))}});
    t.rows.push_back({{textCell(QString()), textCell(QStringLiteral("Total")),
                       moneyCell(Amount::fromRaw(12345000 - 125)), textCell(QStringLiteral("+1"))},
                      true});
    return t;
}

} // namespace

TEST(DataTable, CsvQuotingFormulasAndAmountsReadBack) {
    const QByteArray bytes = CsvBytes(sample());
    EXPECT_TRUE(
        bytes.contains("\"1000\",\"Cash, \"\"petty\"\"\nbox\",\"1234.50\",\"2026-03-31\"\r\n"));
    const std::vector<QStringList> rows = readCsv(bytes);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (QStringList{"AccountNo", "AccountName", "Debit", "Date"}));
    EXPECT_EQ(rows[1], (QStringList{"1000", "Cash, \"petty\"\nbox", "1234.50", "2026-03-31"}));
    EXPECT_EQ(rows[2], (QStringList{"'=1+2", "'-A1", "-0.0125", ""}));
    EXPECT_EQ(rows[3], (QStringList{"'@SUM(A1)", "-12.5", "-99999999.9999", "'\tx"}));
    EXPECT_EQ(rows[4], (QStringList{"", "Total", "1234.4875", "+1"}));
}

// A part of a workbook, as its XML.
QString partOf(const QString& path, const QString& name) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    EXPECT_TRUE(unzip.waitForFinished());
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

TEST(DataTable, WorkbookSheetHoldsNumbersDatesAndBoldTotals) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tb.xlsx"));
    WriteTable(sample(), path, nullptr);
    const QString sheet = partOf(path, "xl/worksheets/sheet1.xml");
    const QString styles = partOf(path, "xl/styles.xml");
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C2\" s=\"2\"><v>1234.5</v></c>")))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"D2\" s=\"3\"><v>46112</v></c>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C5\" s=\"4\"><v>1234.4875</v></c>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"A3\" t=\"inlineStr\"><is><t>=1+2</t>")))
        << sheet.toStdString();
    EXPECT_FALSE(sheet.contains(QStringLiteral("<f>")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.00\"")));
    EXPECT_THROW(WriteTable(sample(), dir.filePath(QStringLiteral("no/such/x.csv")), nullptr),
                 ExportError);
}

// Past a sheet's last row a workbook goes on in further sheets, each with the header: read
// back, every row is there once and in order. A text longer than a cell holds stops the
// export before anything is in place; so does a full disk, which is named.
TEST(DataTable, WorkbookGoesOnInFurtherSheetsAndAFailedExportLeavesTheFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.xlsx"));
    DataTable t;
    t.title = QStringLiteral("Transactions");
    t.header = {QStringLiteral("No"), QStringLiteral("Debit")};
    for (int i = 1; i <= 7; ++i)
        t.rows.push_back(
            {{textCell(QStringLiteral("T%1").arg(i)), moneyCell(Amount::fromUnits(i))}});
    SetSheetRowsForTesting(4); // the header and three rows
    WriteTable(t, path, nullptr);
    const QString book = partOf(path, "xl/workbook.xml");
    for (const char* name : {"\"Transactions\"", "\"Transactions (2)\"", "\"Transactions (3)\""})
        EXPECT_TRUE(book.contains(QLatin1String(name))) << name;
    QStringList numbers;
    for (int s = 1; s <= 3; ++s) {
        const QString sheet = partOf(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(s));
        EXPECT_TRUE(sheet.contains(QStringLiteral("<t>No</t>"))) << s;
        for (int i = 1; i <= 7; ++i)
            if (sheet.contains(QStringLiteral("<t>T%1</t>").arg(i)) &&
                sheet.contains(QStringLiteral("<v>%1</v>").arg(i)))
                numbers << QStringLiteral("%1:%2").arg(s).arg(i);
    }
    EXPECT_EQ(numbers, (QStringList{"1:1", "1:2", "1:3", "2:4", "2:5", "2:6", "3:7"}));
    SetSheetRowsForTesting(0);

    const QByteArray before = readFile(path);
    t.rows[4].cells[0] = textCell(QString(32768, u'x'));
    try {
        WriteTable(t, path, nullptr);
        ADD_FAILURE() << "a text longer than a cell was written";
    } catch (const ExportError& e) {
        EXPECT_TRUE(e.message().contains("line 6 (No) holds a text of 32,768 characters"))
            << e.message().toStdString();
    }
    t.rows[4].cells[0] = textCell(QStringLiteral("T5"));
    for (const char* name : {"journal.xlsx", "journal.csv"}) {
        const QString target = dir.filePath(QLatin1String(name));
        OutputFile::setSpaceLeftForTesting(100);
        try {
            WriteTable(t, target, nullptr);
            ADD_FAILURE() << name << " written on a full disk";
        } catch (const ExportError& e) {
            EXPECT_TRUE(e.message().endsWith("could not be written: No space left on device."))
                << e.message().toStdString();
        }
        OutputFile::setSpaceLeftForTesting(-1);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"journal.xlsx"});
}

// Rows handed to the writing thread reach the file in their order, a row of cells among
// them too; a writer that fails stops the export at the next row or at the end, and is
// never finished.
TEST(DataTable, BackgroundRowsKeepTheirOrderAndStopAtTheWritersFailure) {
    struct Writer : TableRows {
        int failAt = -1;
        QStringList rows;
        bool finished = false;
        void start(const QString&, const QStringList& header) override { rows << header; }
        void row(const std::vector<Cell>& cells, bool) override { rows << cells[0].text; }
        void rawRow(const std::vector<RawCell>& cells) override {
            if (int(rows.size()) == failAt)
                throw ExportError(QStringLiteral("full"));
            rows << QString::fromUtf8(cells[0].utf8) + QString::fromUtf8(cells[1].utf8) +
                        MoneyText(cells[2].amount);
        }
        void finish() override { finished = true; }
    };
    constexpr int Rows = 40000; // many batches
    for (const int failAt : {-1, 3, 30000}) {
        Writer writer;
        writer.failAt = failAt;
        QStringList expected{"No"};
        bool thrown = false;
        try {
            BackgroundRows rows(writer);
            rows.start(QStringLiteral("T"), {QStringLiteral("No")});
            std::vector<RawCell> cells(3);
            for (int i = 0; i < Rows; ++i) {
                const QByteArray no = "T" + QByteArray::number(i);
                cells[0].utf8 = no;
                cells[1].utf8 = i % 2 ? QByteArrayView() : QByteArrayView("-ü");
                cells[2].amount = Amount::fromRaw(i);
                rows.rawRow(cells);
                expected << QString::fromUtf8(no) + (i % 2 ? "" : "-ü") +
                                MoneyText(Amount::fromRaw(i));
                if (i == 5) {
                    rows.row({textCell(QStringLiteral("cells"))}, false);
                    expected << QStringLiteral("cells");
                }
            }
            rows.finish();
        } catch (const ExportError& e) {
            thrown = e.message() == "full";
        }
        EXPECT_EQ(thrown, failAt >= 0) << failAt;
        EXPECT_EQ(writer.finished, failAt < 0) << failAt;
        EXPECT_EQ(writer.rows, failAt < 0 ? expected : expected.mid(0, failAt)) << failAt;
    }
}

TEST(DataTable, ListExportsItsRowsAsShown) {
    QStringListModel model({QStringLiteral("1000"), QStringLiteral("=cmd")});
    const DataTable t = TableOfModel(model, QStringLiteral("Accounts"));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(readCsv(CsvBytes(t)),
              (std::vector<QStringList>{
                  {model.headerData(0, Qt::Horizontal).toString()}, {"1000"}, {"'=cmd"}}));
}
