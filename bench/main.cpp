// The benchmark of the period runs. It builds a company with 500 accounts and one
// fiscal year of N three-line transactions, then times each step and prints one line
// per step: what was done, how many, the seconds it took, the processor seconds, and
// the peak memory of the process during that step (the resident set's high-water mark,
// reset before each step); last the peak memory of the whole run.
// The snapshots that year end and its reversal write first are part of their time; the
// snapshot and the restore are also timed on their own (their count is the file's KB).
// Then the same number of transactions is imported from a CSV file and exported again,
// and posted into a trial balance beside `ledger -f journal bal` when ledger is installed.
// Last the books get a passphrase: the change, an opening with it and a wrong try.
//
//   zelk_bench [N] [folder]     N defaults to 100000; folder to a new temporary one
//   zelk_bench N folder exchange   only the import and the export, into new books
//   zelk_bench N folder bank       only the bank statements, over N transactions saved

#include "core/bank/BankImport.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/SavingCommand.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/exchange/BooksExport.h"
#include "core/exchange/CsvImport.h"
#include "core/exchange/TableExport.h"
#include "core/history/HistoryBrowser.h"
#include "core/journal/TransactionEntry.h"
#include "core/lists/ListModel.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/periods/YearEndRuns.h"
#include "core/reports/ReportRun.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace zelk;
using namespace zelk::periods;

namespace {

constexpr int AccountCount = 500;
constexpr int FiscalYear = 2023;
constexpr int FirstMonth = 4; // the fiscal year starts in April

// Answers nothing on its own: a question or an error dialog during the benchmark is a
// failure, reported and answered with Abort / No / Cancel.
class BenchUi : public UserInterface {
public:
    int showMessageDialog(const QString& message, int, const QString& title) override {
        std::fprintf(stderr, "unexpected dialog %s: %s\n", qPrintable(title), qPrintable(message));
        failed = true;
        return Abort;
    }
    void messageBox(const QString& text, const QString&) override { lastMessage = text; }
    bool askYesNo(const QString& text, const QString&) override {
        std::fprintf(stderr, "unexpected question: %s\n", qPrintable(text));
        failed = true;
        return false;
    }
    bool askOkCancel(const QString& text, const QString& title) override {
        return askYesNo(text, title);
    }
    QString lastMessage;
    bool failed = false;
};

struct Line {
    QString account;
    Amount amount;
};
struct Transaction {
    QString no;
    QDate date;
    QString source;
    QString description;
    Line lines[3];
};

QString accountNo(int i) {
    return QStringLiteral("%1").arg(1000 + i);
}

// Classes of the 500 accounts: 150 assets, 60 liabilities, 20 equities, 2 of the
// earning class, 100 revenues, 168 expenses.
int accountClass(int i) {
    if (i < 150)
        return 1;
    if (i < 210)
        return 2;
    if (i < 230)
        return 3;
    if (i < 232)
        return 4;
    if (i < 332)
        return 5;
    return 6;
}

// A deterministic stream of numbers, so every run of the benchmark books the same year.
struct Lcg {
    quint64 state = 0x2545F4914F6CDD1DULL;
    quint32 next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(state >> 33);
    }
};

Transaction makeTransaction(int i, int n, Lcg& random) {
    const QDate first = fiscal::firstDayOfYear(FirstMonth, FiscalYear);
    const int days = int(first.daysTo(fiscal::lastDayOfYear(FirstMonth, FiscalYear))) + 1;
    Transaction t;
    t.no = QStringLiteral("TR%1").arg(i + 1, 7, 10, QLatin1Char('0'));
    t.date = first.addDays(qint64(i) * days / n);
    t.source = QStringLiteral("INV-%1").arg(i + 1);
    t.description = QStringLiteral("Benchmark transaction %1").arg(i + 1);
    const Amount a = Amount::fromRaw(qint64(random.next() % 10000000) + 100);
    const Amount b = Amount::fromRaw(qint64(random.next() % 10000000) + 100);
    const int x = int(random.next() % AccountCount);
    int y = int(random.next() % AccountCount);
    int z = int(random.next() % AccountCount);
    t.lines[0] = {accountNo(x), a};
    t.lines[1] = {accountNo(y), b};
    t.lines[2] = {accountNo(z), -(a + b)};
    return t;
}

// A transaction as the transaction editor hands it to its save.
journal::TransactionHeader headerOf(const Transaction& t) {
    return {t.no, t.source, t.description, t.date};
}

std::vector<journal::TransactionLine> linesOf(const Transaction& t) {
    std::vector<journal::TransactionLine> lines;
    for (const Line& l : t.lines)
        lines.push_back({l.account, l.amount});
    return lines;
}

void addAccount(StatementRunner& runner, int i) {
    const QString no = accountNo(i);
    runner.run(modDBUtil::InsertAccount(no, QStringLiteral("Account %1").arg(no), accountClass(i),
                                        QString()));
    runner.run(modDBUtil::InsertAccountBalance(no, FiscalYear, Amount()));
    runner.run(modDBUtil::InsertGeneralYear(no, FiscalYear));
}

void newCompany(Connection& cnn) {
    runSavingCommand(cnn, [](StatementRunner& r) {
        for (const QString& sql :
             {modDBUtil::DeleteAllAccountBalanceHistories(), modDBUtil::DeleteAllAccountBalances(),
              modDBUtil::DeleteAllGeneral(), modDBUtil::DeleteAllGeneralHistories(),
              modDBUtil::DeleteAllTransactions(), modDBUtil::DeleteAllTransactionHistories(),
              modDBUtil::DeleteAllCustomReports(), modDBUtil::DeleteAllAccounts()})
            r.run(sql);
        r.run(modDBUtil::UpdateCompanyInfo(QStringLiteral("Benchmark Ltd"),
                                           QStringLiteral("1 Test Road"),
                                           QStringLiteral("555 0100"), QString(), QString()));
        r.run(modDBUtil::UpdateCompanyPeriods(1, FiscalYear, FiscalYear, FirstMonth));
    });
}

// A step's clock: the time it took, and the processor time this program spent in it
// (the machine is shared; the second figure does not count waiting for the disk or
// for the processor).
// The resident set's high-water mark of this process in MB; resetPeak starts it again
// from the present size (Linux).
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

class StepClock {
public:
    StepClock() { restart(); }
    void restart() {
        resetPeak();
        m_wall.start();
        m_cpu = cpuSeconds();
    }
    double seconds() const { return double(m_wall.nsecsElapsed()) / 1e9; }
    double cpu() const { return cpuSeconds() - m_cpu; }

private:
    static double cpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

double g_runPeak = 0; // the highest step peak so far: the mark is reset at every step

void report(const char* step, qint64 count, const StepClock& clock) {
    const double peak = peakMegabytes();
    g_runPeak = std::max(g_runPeak, peak);
    std::printf("%-28s %9lld %9.3f s %9.3f s %8.1f MB\n", step, static_cast<long long>(count),
                clock.seconds(), clock.cpu(), peak);
    std::fflush(stdout);
}

void reportPeak(const char* what) {
    g_runPeak = std::max(g_runPeak, peakMegabytes());
    std::printf("%-28s %9s %9.1f MB\n", what, "", g_runPeak);
    std::fflush(stdout);
}

bool expectDone(const BenchUi& ui, RunOutcome outcome, const char* message) {
    if (outcome != RunOutcome::Done || ui.lastMessage != QLatin1String(message) || ui.failed) {
        std::fprintf(stderr, "the run did not finish: %s\n", message);
        return false;
    }
    return true;
}

// Bank statements: a bank account whose first nine months hold 90,000 transactions of
// recurring counterparties (each mostly to one account), and a statement of the last
// three months of 10,000 lines, read as CAMT.053 and as CSV, matched and written.
// Prints how many proposals were the counterparty's own account.
bool benchBank(Connection& cnn) {
    constexpr int Parties = 60, HistoryCount = 90000, StatementLines = 10000;
    const QDate first(FiscalYear, 1, 1);
    // names of words, as a bank writes them: a number alone tells nothing of a name
    auto party = [](int k) {
        static const char* const syllables[] = {"Ka", "Lo", "Mi", "Ne", "Ru", "So", "Ti", "Va"};
        return QStringLiteral("Supplier %1%2 GmbH")
            .arg(QLatin1String(syllables[k % 8]),
                 QString::fromLatin1(syllables[k / 8 % 8]).toLower());
    };
    auto home = [](int k) { return accountNo(300 + k); };
    runSavingCommand(cnn, [&](StatementRunner& r) {
        r.run(modDBUtil::InsertAccount(QStringLiteral("1900"), QStringLiteral("Bank"), 1, {}));
        r.run(modDBUtil::InsertAccount(QStringLiteral("1901"), QStringLiteral("Bank 2"), 1, {}));
        for (const char* bank : {"1900", "1901"}) {
            r.run(modDBUtil::InsertAccountBalance(bank, FiscalYear, Amount()));
            r.run(modDBUtil::InsertGeneralYear(bank, FiscalYear));
        }
        for (int i = 0; i < HistoryCount; ++i) {
            const int k = (i * 7919) % Parties;
            // one booking in ten goes elsewhere: the history is not all agreement
            const QString to = i % 10 == 0 ? accountNo(400 + i % 50) : home(k);
            const QString trx = QStringLiteral("H%1").arg(i);
            const QDate day = first.addDays(i % 270);
            const Amount a = Amount::fromRaw(-qint64(1000 + (i % 977) * 100));
            const QString text = party(k) + QStringLiteral(": invoice %1").arg(i);
            for (const char* bank : {"1900", "1901"}) {
                const QString no = trx + QLatin1String(bank);
                r.run(modDBUtil::InsertTransactionHistory(no, bank, 1, {}, day, text, a));
                r.run(modDBUtil::InsertTransactionHistory(no, to, 2, {}, day, text, -a));
            }
        }
    });
    QByteArray camt = "<?xml version=\"1.0\"?><Document><BkToCstmrStmt><Stmt>";
    QByteArray csv = "Date;Amount;Name;Text\n";
    std::vector<QString> truth;
    for (int i = 0; i < StatementLines; ++i) {
        const int k = (i * 104729) % Parties;
        truth.push_back(home(k));
        const QDate day = first.addDays(273 + i % 90);
        const QByteArray amount = QByteArray::number(10 + i % 977) + ".00";
        const QByteArray name = party(k).toUtf8();
        camt += "<Ntry><Amt>" + amount +
                "</Amt><CdtDbtInd>DBIT</CdtDbtInd><Sts>BOOK</Sts>"
                "<BookgDt><Dt>" +
                day.toString(Qt::ISODate).toLatin1() + "</Dt></BookgDt><AcctSvcrRef>S" +
                QByteArray::number(i) + "</AcctSvcrRef><NtryDtls><TxDtls><RltdPties><Cdtr><Nm>" +
                name + "</Nm></Cdtr></RltdPties><RmtInf><Ustrd>invoice " + QByteArray::number(i) +
                "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>";
        csv += day.toString(QStringLiteral("dd.MM.yyyy")).toLatin1() + ";-" +
               QByteArray(amount).replace('.', ',') + ";" + name + ";invoice " +
               QByteArray::number(i) + "\n";
    }
    camt += "</Stmt></BkToCstmrStmt></Document>";
    bank::CsvProfile profile;
    profile.dateColumn = QStringLiteral("Date");
    profile.amountColumn = QStringLiteral("Amount");
    profile.counterpartyColumn = QStringLiteral("Name");
    profile.textColumn = QStringLiteral("Text");
    profile.dateFormat = QStringLiteral("dd.MM.yyyy");
    profile.decimalMark = QLatin1Char(',');
    profile.separator = ';';
    for (const auto& [label, account, bytes] : {std::tuple{"bank statement CAMT.053", "1900", camt},
                                                std::tuple{"bank statement CSV", "1901", csv}}) {
        StepClock clock;
        bank::BankImport import(cnn, QLatin1String(account), [&, bytes = bytes, label = label] {
            return QByteArray(label).endsWith("CSV") ? bank::readCsv(bytes, profile, FiscalYear)
                                                     : bank::readCamt(bytes);
        });
        int right = 0, proposed = 0;
        for (size_t i = 0; i < import.lines().size(); ++i) {
            proposed += import.lines()[i].account.isEmpty() ? 0 : 1;
            right += import.lines()[i].account == truth[i] ? 1 : 0;
        }
        const int checked = import.checkedTotals().count;
        if (import.write() != CommandOutcome::Committed || import.written() != checked)
            return false;
        report(label, StatementLines, clock);
        std::printf("%-28s %d of %d right, %d without a proposal (%.1f %%)\n", "proposals", right,
                    StatementLines, StatementLines - proposed, 100.0 * right / StatementLines);
    }
    return true;
}

// The import's CSV file (as Zelk's own export writes it) and the same transactions as a
// ledger journal, both written a thousand transactions at a time; dated in the fiscal
// year `year`.
bool writeImportFiles(int n, int year, const QString& csvPath, const QString& journalPath) {
    QFile csv(csvPath), journal(journalPath);
    if (!csv.open(QIODevice::WriteOnly) || !journal.open(QIODevice::WriteOnly))
        return false;
    DataTable table;
    table.header = {QStringLiteral("TransactionNo"), QStringLiteral("Date"),
                    QStringLiteral("Source"),        QStringLiteral("Description"),
                    QStringLiteral("AccountNo"),     QStringLiteral("Debit"),
                    QStringLiteral("Credit")};
    QByteArray ledger;
    Lcg again;
    bool first = true;
    for (int i = 0; i < n; ++i) {
        Transaction t = makeTransaction(i, n, again);
        t.no = QStringLiteral("IM%1").arg(i + 1, 7, 10, QLatin1Char('0'));
        t.date = t.date.addYears(year - FiscalYear);
        ledger += (t.date.toString(QStringLiteral("yyyy/MM/dd ")) + t.source + QLatin1Char(' ') +
                   t.description + QLatin1Char('\n'))
                      .toUtf8();
        for (const Line& l : t.lines) {
            table.rows.push_back(
                {{textCell(t.no), dateCell(t.date), textCell(t.source), textCell(t.description),
                  textCell(l.account), moneyCell(l.amount.isNegative() ? Amount() : l.amount),
                  moneyCell(l.amount.isNegative() ? l.amount.abs() : Amount())}});
            ledger += (QStringLiteral("    Account ") + l.account + QStringLiteral("  ") +
                       l.amount.toSqlText() + QLatin1Char('\n'))
                          .toUtf8();
        }
        if (table.rows.size() >= 3000 || i + 1 == n) {
            const QByteArray part = exchange::CsvBytes(table);
            // After the first part: without the byte-order mark and the header.
            if (csv.write(first ? part : part.mid(part.indexOf('\n') + 1)) < 0 ||
                journal.write(ledger) < 0)
                return false;
            first = false;
            table.rows.clear();
            ledger.clear();
        }
    }
    // On the disk before the timed steps: the kernel's writing back of these files would
    // otherwise take a core during the import and the export.
    return csv.flush() && journal.flush() && ::fsync(csv.handle()) == 0 &&
           ::fsync(journal.handle()) == 0;
}

struct ChooseFirst : EarningAccountChooser {
    QString chooseEarningAccount() override { return accountNo(230); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (n < 1) {
        std::fprintf(stderr, "usage: zelk_bench [N] [folder]\n");
        return 2;
    }
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    BenchUi ui;
    setUserInterface(&ui);
    NoProgress progress;

    std::unique_ptr<Connection> cnn = Connection::open(folder);
    std::printf("Zelk benchmark: %d accounts, %d three-line transactions, in %s\n", AccountCount, n,
                qPrintable(cnn->filePath()));
    std::printf("%-28s %9s %11s %11s %11s\n", "step", "count", "time", "processor", "peak");
    setProgramFolder(folder); // the report file is written beside the books

    StepClock clock;
    newCompany(*cnn);
    runSavingCommand(*cnn, [](StatementRunner& r) {
        for (int i = 0; i < AccountCount; ++i)
            addAccount(r, i);
    });
    report("new company and accounts", AccountCount, clock);
    const bool exchangeOnly = argc > 3 && qstrcmp(argv[3], "exchange") == 0;
    if (argc > 3 && qstrcmp(argv[3], "bank") == 0) {
        Lcg random;
        if (runSavingCommand(*cnn, [&](StatementRunner& r) {
                for (int i = 0; i < n; ++i) {
                    const Transaction t = makeTransaction(i, n, random);
                    journal::WriteTransaction(r, headerOf(t), linesOf(t), journal::SaveMode::Add);
                }
            }) != CommandOutcome::Committed)
            return 1;
        return benchBank(*cnn) ? 0 : 1;
    }
    Lcg random;
    const int single = n < 1000 ? n : 1000;
    const QDate first = fiscal::firstDayOfYear(FirstMonth, FiscalYear);
    const QDate last = fiscal::lastDayOfYear(FirstMonth, FiscalYear);
    if (!exchangeOnly) {
        // The transaction editor commits each save on its own; the first thousand are saved
        // that way, the rest in one database transaction.
        clock.restart();
        for (int i = 0; i < single; ++i) {
            const Transaction t = makeTransaction(i, n, random);
            if (journal::SaveTransaction(*cnn, headerOf(t), linesOf(t), journal::SaveMode::Add) !=
                journal::SaveOutcome::Committed)
                return 1;
        }
        report("save, one commit each", single, clock);
        clock.restart();
        if (runSavingCommand(*cnn, [&](StatementRunner& r) {
                for (int i = single; i < n; ++i) {
                    const Transaction t = makeTransaction(i, n, random);
                    journal::WriteTransaction(r, headerOf(t), linesOf(t), journal::SaveMode::Add);
                }
            }) != CommandOutcome::Committed)
            return 1;
        report("save, one commit", n - single, clock);

        clock.restart();
        {
            PostTransactions post(*cnn, progress);
            if (!expectDone(ui, post.run(first, last), "Posting transactions is done!") ||
                !post.skipped().empty())
                return 1;
        }
        report("post", n, clock);

        StepClock allMonths;
        for (int i = 0; i < 12; ++i) {
            const int month = (FirstMonth - 1 + i) % 12 + 1;
            const qint64 count =
                cnn->execute(modDBUtil::GetPostedTransactionsInRange(
                                 fiscal::firstDayOfMonth(FirstMonth, FiscalYear, month),
                                 fiscal::lastDayOfMonth(FirstMonth, FiscalYear, month)))
                    .recordCount();
            clock.restart();
            EndMonth endMonth(*cnn, progress);
            if (!expectDone(ui, endMonth.run(month), "End month is done!"))
                return 1;
            const QByteArray name = ("end month " + fiscal::monthName(month)).toLatin1();
            report(name.constData(), count, clock);
        }
        report("all twelve month ends", n, allMonths);

        clock.restart();
        {
            bool cancel = false;
            reports::ReportRun run(*cnn, progress, cancel);
            if (reports::BuildTrialBalance(FirstMonth, run) != reports::BuildResult::Written)
                return 1;
        }
        report("trial balance", AccountCount, clock);

        const qint64 kilobytes = QFileInfo(cnn->filePath()).size() / 1024;
        clock.restart();
        try {
            snapshots::take(*cnn, snapshots::Step::EndYear);
        } catch (const snapshots::SnapshotError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
            return 1;
        }
        report("snapshot", kilobytes, clock);

        clock.restart();
        {
            EndYear endYear(*cnn, progress);
            ChooseFirst chooser;
            if (!endYear.confirmJournal())
                return 1;
            const QString earning = endYear.chooseEarningAccount(chooser);
            if (!expectDone(ui, endYear.run(earning), "End year is done!"))
                return 1;
        }
        report("end year", AccountCount, clock);

        clock.restart();
        {
            RevertEndYear revert(*cnn, progress);
            if (!revert.confirmBeforeRun() ||
                !expectDone(ui, revert.run(), "Revert end year is done!"))
                return 1;
        }
        report("revert end year", AccountCount, clock);

        clock.restart();
        try { // back to the books before the reversal
            const std::vector<snapshots::Snapshot> all = snapshots::list(*cnn);
            if (all.empty() || !all.front().usable)
                return 1;
            snapshots::restore(*cnn, all.front());
        } catch (const snapshots::SnapshotError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
            return 1;
        }
        report("list and restore snapshot", kilobytes, clock);

        cnn.reset();
        clock.restart();
        cnn = Connection::open(folder);
        report("open database", 1, clock);
        const qint64 history = cnn->execute(QStringLiteral("SELECT Count(*) AS N FROM "
                                                           "Ledger_TransactionHistories"))
                                   .integer(QStringLiteral("N"));
        if (history != 3LL * n) {
            std::fprintf(stderr, "the history holds %lld lines, not %lld\n",
                         static_cast<long long>(history), 3LL * n);
            return 1;
        }

        // The transactions list window's first page, over the journal of the next year
        // (the closed year's transactions left it at the month ends): N transactions saved
        // and left unposted.
        runSavingCommand(*cnn, [&](StatementRunner& r) {
            Lcg next;
            for (int i = 0; i < n; ++i) {
                Transaction t = makeTransaction(i, n, next);
                t.no = QStringLiteral("NY%1").arg(i + 1, 7, 10, QLatin1Char('0'));
                t.date = t.date.addYears(1);
                journal::WriteTransaction(r, headerOf(t), linesOf(t), journal::SaveMode::Add);
            }
        });
        clock.restart();
        {
            ListModel list(journal::TransactionListColumns()); // the window's, with the totals
            list.setRowSet(cnn->stream(journal::TransactionListStatement()));
            if (list.rowCount() != ListModel::PageRows || !list.canFetchMore())
                return 1;
        }
        report("transaction list, first page", ListModel::PageRows, clock);
        // The import and export below see the journal the year end left.
        runSavingCommand(*cnn,
                         [](StatementRunner& r) { r.run(modDBUtil::DeleteAllTransactions()); });

        reportPeak("peak memory, period runs");
    } // the period runs

    // Import: the same number of three-line transactions from a CSV file, read, checked
    // and written as the file comes (the file is read twice: once to find out its format);
    // then the journal exported again as CSV, written as the statement yields its rows.
    // The same transactions as a ledger journal, for `ledger -f journal bal`.
    const QString csvPath = QDir(folder).filePath(QStringLiteral("import.csv"));
    const QString journalPath = QDir(folder).filePath(QStringLiteral("import.journal"));
    // The books are those the year end left: the next year is open.
    const int openYear = CompanyRow::read(*cnn).CurrentPeriodYear;
    if (!writeImportFiles(n, openYear, csvPath, journalPath))
        return 1;
    double fromCsv = 0;
    clock.restart();
    {
        exchange::TransactionImport import;
        import.setFile(csvPath);
        if (import.write(*cnn) != CommandOutcome::Committed || import.written() != n) {
            std::fprintf(stderr, "the import failed: %s\n",
                         qPrintable(import.problemText().left(500)));
            return 1;
        }
    }
    report("import (read, check, write)", n, clock);
    fromCsv += clock.seconds();
    reportPeak("peak memory, with import");
    clock.restart();
    {
        const std::unique_ptr<TableRows> rows =
            exchange::CsvFileRows(QDir(folder).filePath(QStringLiteral("export.csv")), cnn.get());
        exchange::ExportTransactions(*cnn, *rows);
    }
    report("export transactions (CSV)", n, clock);
    if (QFileInfo(QDir(folder).filePath(QStringLiteral("export.csv"))).size() <
        QFileInfo(csvPath).size() / 2)
        return 1;
    // From the CSV journal to a trial balance: the import, posting it, the trial balance.
    clock.restart();
    {
        PostTransactions post(*cnn, progress);
        if (!expectDone(ui,
                        post.run(fiscal::firstDayOfYear(FirstMonth, openYear),
                                 fiscal::lastDayOfYear(FirstMonth, openYear)),
                        "Posting transactions is done!") ||
            !post.skipped().empty())
            return 1;
        bool cancel = false;
        reports::ReportRun run(*cnn, progress, cancel);
        if (reports::BuildTrialBalance(FirstMonth, run) != reports::BuildResult::Written)
            return 1;
    }
    fromCsv += clock.seconds();
    std::printf("%-28s %9d %9.3f s\n", "from CSV to trial balance", n, fromCsv);
    const QString ledger = QStandardPaths::findExecutable(QStringLiteral("ledger"));
    if (!ledger.isEmpty()) {
        QProcess balance;
        balance.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer wall;
        wall.start();
        balance.start(ledger, {QStringLiteral("-f"), journalPath, QStringLiteral("bal")});
        if (balance.waitForFinished(-1) && balance.exitCode() == 0) {
            const double seconds = double(wall.nsecsElapsed()) / 1e9;
            std::printf("%-28s %9d %9.3f s   Zelk / ledger: %.1f\n", "ledger -f journal bal", n,
                        seconds, fromCsv / seconds);
        }
    }
    std::fflush(stdout);
    if (exchangeOnly)
        return 0;
    // The account card of a busy account: 50,000 closed lines of one account (each with
    // its counter line on a second account, so the books still balance).
    constexpr int CardLines = 50000;
    runSavingCommand(*cnn, [&](StatementRunner& r) {
        for (const QString& no : {QStringLiteral("9998"), QStringLiteral("9999")})
            r.run(modDBUtil::InsertAccount(no, QStringLiteral("Busy ") + no, 1, QString()));
        for (int i = 0; i < CardLines; ++i) {
            const QString trx = QStringLiteral("BUSY%1").arg(i);
            const QDate day = first.addDays(i % 365);
            const Amount amount = Amount::fromRaw(qint64(i % 1000 + 1) * 100);
            r.run(modDBUtil::InsertTransactionHistory(trx, QStringLiteral("9998"), 1, QString(),
                                                      day, QString(), amount));
            r.run(modDBUtil::InsertTransactionHistory(trx, QStringLiteral("9999"), 2, QString(),
                                                      day, QString(), -amount));
        }
    });
    clock.restart();
    {
        history::HistoryBrowser card(*cnn, history::BrowserKind::AccountCard);
        history::RangeChoice choice;
        choice.account = QStringLiteral("9998");
        choice.dateFrom = first;
        choice.dateTo = last;
        if (card.load(choice) != history::HistoryBrowser::LoadResult::Loaded ||
            card.rows().size() != size_t(CardLines) + 2)
            return 1;
    }
    report("account card", CardLines, clock);

    if (!benchBank(*cnn))
        return 1;

    // A passphrase: the books copied into a file under the new key and its derivation,
    // then the cost of opening them with it, and of a wrong try (each way a file may be
    // encrypted is tried): what one guess costs a guessing program on this machine.
    const qint64 fileKb = QFileInfo(cnn->filePath()).size() / 1024;
    clock.restart();
    cnn->rekey("a passphrase of the benchmark");
    report("change passphrase (file KB)", fileKb, clock);
    cnn.reset();
    g_cnn = nullptr;
    clock.restart();
    cnn = Connection::open(folder, "a passphrase of the benchmark");
    report("open with the passphrase", 1, clock);
    if (cnn->keyRounds() != Connection::PassphraseRounds)
        return 1;
    clock.restart();
    try {
        Connection::open(folder, "a wrong guess");
        return 1;
    } catch (const WrongKeyError&) {
    }
    report("a wrong passphrase", 1, clock);

    reportPeak("peak memory");
    setUserInterface(nullptr);
    return 0;
}
