#include "core/exchange/TableExport.h"

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

TEST(DataTable, WorkbookSheetHoldsNumbersDatesAndBoldTotals) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tb.xlsx"));
    WriteTable(sample(), path);
    auto part = [&](const char* name) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QLatin1String(name)});
        EXPECT_TRUE(unzip.waitForFinished());
        return QString::fromUtf8(unzip.readAllStandardOutput());
    };
    const QString sheet = part("xl/worksheets/sheet1.xml");
    const QString strings = part("xl/sharedStrings.xml");
    const QString styles = part("xl/styles.xml");
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C2\" s=\"2\"><v>1234.5</v></c>")))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"D2\" s=\"3\"><v>46112</v></c>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"C5\" s=\"4\"><v>1234.4875</v></c>")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<c r=\"A3\" s=\"0\" t=\"s\">")) ||
                sheet.contains(QStringLiteral("<c r=\"A3\" t=\"s\">")));
    EXPECT_FALSE(sheet.contains(QStringLiteral("<f>")));
    EXPECT_TRUE(strings.contains(QStringLiteral("<t>=1+2</t>")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.00\"")));
    EXPECT_THROW(WriteTable(sample(), dir.filePath(QStringLiteral("no/such/x.csv"))), ExportError);
}

TEST(DataTable, ListExportsItsRowsAsShown) {
    QStringListModel model({QStringLiteral("1000"), QStringLiteral("=cmd")});
    const DataTable t = TableOfModel(model, QStringLiteral("Accounts"));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(readCsv(CsvBytes(t)),
              (std::vector<QStringList>{
                  {model.headerData(0, Qt::Horizontal).toString()}, {"1000"}, {"'=cmd"}}));
}
