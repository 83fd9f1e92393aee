// zelk-cli: the books from a script. The same period runs, report builds and imports
// as the windows, over the core library only.
//
//   zelk-cli [--file PATH] [--yes] COMMAND ...      zelk-cli --help, zelk-cli COMMAND --help

#include "core/books/BooksCheck.h"
#include "core/books/Passphrases.h"
#include "core/custom_reports/CustomReportPrint.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/exchange/BooksExport.h"
#include "core/exchange/CsvImport.h"
#include "core/exchange/TableExport.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/periods/YearEndRuns.h"
#include "core/reports/ReportRun.h"
#include "core/reports/ReportSave.h"
#include "core/reports/RtfReader.h"
#include "core/reports/modRptUtil.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <termios.h>
#include <unistd.h>

using namespace zelk;

namespace {

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Messages go to stderr. A question is answered Yes with --yes; without it the question
// is an error that names it, and the answer is No.
class CliUi : public UserInterface {
public:
    bool yes = false;
    bool failed = false; // an error was reported or a question went unanswered

    int showMessageDialog(const QString& message, int buttons, const QString& title) override {
        say(title + QStringLiteral(": ") + message);
        failed = true;
        return (buttons & (1 << Abort)) ? Abort : Fix;
    }
    void messageBox(const QString& text, const QString& title) override {
        say(title == appTitle() ? text : title + QStringLiteral(": ") + text);
    }
    bool askYesNo(const QString& text, const QString& title) override {
        if (yes) {
            say(title + QStringLiteral(": ") + text + QStringLiteral(" yes (--yes)"));
            return true;
        }
        say(title + QStringLiteral(": ") + text +
            QStringLiteral(" (not answered: give --yes to answer yes)"));
        failed = true;
        return false;
    }
    bool askOkCancel(const QString& text, const QString& title) override {
        return askYesNo(text, title);
    }
};

// Progress on stderr, only when stderr is a terminal.
class CliProgress : public ProgressSink {
public:
    CliProgress() : m_on(isatty(STDERR_FILENO) != 0) {}
    ~CliProgress() override {
        if (m_on && m_shown)
            std::fputs("\r\033[K", stderr);
    }
    void setMaximum(int maximum) override { m_max = maximum; }
    void setValue(int value) override {
        if (!m_on || m_max <= 0)
            return;
        const int percent = int(qint64(value) * 100 / m_max);
        if (percent == m_percent)
            return;
        m_percent = percent;
        m_shown = true;
        std::fprintf(stderr, "\r%3d%% (%d of %d)", percent, value, m_max);
    }
    void pumpEvents() override {}

private:
    bool m_on;
    bool m_shown = false;
    int m_max = 0;
    int m_percent = -1;
};

// The passphrase of protected books: ZELK_PASSPHRASE first, then a prompt on the
// terminal (without echo) when there is one.
class CliPassphrase : public PassphrasePrompt {
public:
    bool triedEnvironment = false;
    bool prompted = false;

    std::optional<QByteArray> askPassphrase(const QString& path, const QString& note) override {
        if (!triedEnvironment && qEnvironmentVariableIsSet("ZELK_PASSPHRASE")) {
            triedEnvironment = true;
            return qgetenv("ZELK_PASSPHRASE");
        }
        FILE* tty = std::fopen("/dev/tty", "r+");
        if (!tty)
            return std::nullopt;
        prompted = true;
        if (!note.isEmpty())
            std::fprintf(tty, "%s\n", note.toLocal8Bit().constData());
        std::fprintf(
            tty, "Passphrase of %s: ", QDir::toNativeSeparators(path).toLocal8Bit().constData());
        std::fflush(tty);
        termios old{};
        const bool terminal = tcgetattr(fileno(tty), &old) == 0;
        if (terminal) {
            termios quiet = old;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            tcsetattr(fileno(tty), TCSAFLUSH, &quiet);
        }
        QByteArray typed;
        for (int c = std::fgetc(tty); c != EOF && c != '\n'; c = std::fgetc(tty))
            typed += char(c);
        if (terminal)
            tcsetattr(fileno(tty), TCSAFLUSH, &old);
        std::fputc('\n', tty);
        std::fclose(tty);
        return typed;
    }
};

struct Failure {
    QString message;
};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QDate dateArg(const std::string& text, const char* what) {
    const QString t = q(text);
    QDate d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid())
        d = QLocale().toDate(t, QLocale::ShortFormat);
    if (!d.isValid())
        throw CLI::ValidationError(what, text + " is not a date (YYYY-MM-DD)");
    return d;
}

int exitOf(periods::RunOutcome outcome, const CliUi& ui) {
    if (outcome == periods::RunOutcome::Done && !ui.failed)
        return 0;
    if (outcome == periods::RunOutcome::Cancelled)
        say(QStringLiteral("The run was cancelled; nothing was changed."));
    else if (outcome != periods::RunOutcome::Done)
        say(QStringLiteral("Nothing was changed."));
    return 1;
}

void writeBytes(const QByteArray& bytes, const std::string& output) {
    if (output.empty() || output == "-") {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return;
    }
    QFile f(q(output));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw Failure{
            QStringLiteral("The file %1 could not be written: %2").arg(q(output), f.errorString())};
}

// A table to FILE: a workbook when the name ends in .xlsx, CSV otherwise ("-": stdout).
void writeTable(const DataTable& table, const std::string& output, bool xlsx) {
    if (xlsx) {
        if (output.empty() || output == "-")
            throw Failure{QStringLiteral("A workbook needs --output FILE.")};
        exchange::WriteXlsx(table, q(output));
    } else if (output.empty() || output == "-") {
        writeBytes(exchange::CsvBytes(table), output);
    } else {
        exchange::WriteCsv(table, q(output));
    }
}

bool endsWithXlsx(const std::string& name) {
    return q(name).endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

int runImport(exchange::CsvImport& import, const std::string& file) {
    import.readFile(*g_cnn, q(file));
    if (!import.problems().empty()) {
        say(import.problemText());
        say(QStringLiteral("Nothing was imported: %1 problem(s).").arg(import.problems().size()));
        return 1;
    }
    if (import.write(*g_cnn) != CommandOutcome::Committed) {
        say(QStringLiteral("Nothing was imported."));
        return 1;
    }
    say(QStringLiteral("%1 %2 imported.").arg(import.written()).arg(import.noun()));
    return 0;
}

// The earning-account chooser of a year end from the command line: the account given
// with --earning (checked beforehand), asked for once.
class GivenEarningAccount : public periods::EarningAccountChooser {
public:
    GivenEarningAccount(QString account, periods::EndYear& run)
        : m_account(std::move(account)), m_run(run) {}
    QString chooseEarningAccount() override {
        if (m_account.isEmpty())
            m_run.requestCancel();
        return std::exchange(m_account, QString());
    }

private:
    QString m_account;
    periods::EndYear& m_run;
};

int check() {
    std::printf("File: %s\n", qPrintable(QDir::toNativeSeparators(g_cnn->filePath())));
    const BooksCheck c = checkBooks(*g_cnn, [] { return true; });
    for (const QString& line : c.lines())
        if (c.fileSound() || line.startsWith(QLatin1String("Integrity")))
            std::printf("%s\n", qPrintable(line));
    return c.fileSound() && c.balanced() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CliUi cliUi;
    setUserInterface(&cliUi);

    CLI::App cli{"Zelk from the command line: import and export, the period runs, reports, "
                 "and a check of the books. Messages go to stderr, data to stdout or --output. "
                 "Exit status 0 on success, 1 when a command is refused or fails, 2 on bad "
                 "usage.",
                 "zelk-cli"};
    cli.require_subcommand(1);
    std::string file;
    cli.add_option("--file", file,
                   "The database: the file Zelk.mdb or the folder holding it (default: "
                   "Zelk.mdb beside zelk-cli; a missing file is created)");
    cli.add_flag("--yes,-y", cliUi.yes,
                 "Answer yes to the questions the windows ask (without it a question is an "
                 "error)");

    // accounts / transactions export|import FILE
    std::string tableFile;
    auto books = [&](const char* name, const char* what) {
        CLI::App* c = cli.add_subcommand(name, std::string("Export or import the ") + what);
        c->require_subcommand(1);
        c->add_subcommand("export", std::string("Write the ") + what +
                                        " to FILE (.xlsx: a workbook, otherwise CSV; -: stdout)")
            ->add_option("FILE", tableFile, "The file to write")
            ->required();
        c->add_subcommand("import",
                          std::string("Read the ") + what +
                              " from a CSV file (UTF-8 or Windows-1252, comma or semicolon); "
                              "nothing is written while any line has a problem")
            ->add_option("FILE", tableFile, "The CSV file to read")
            ->required()
            ->check(CLI::ExistingFile);
        return c;
    };
    CLI::App* accountsCmd = books("accounts", "chart of accounts");
    CLI::App* transactionsCmd = books("transactions", "journal transactions");

    std::string from, to;
    CLI::App* post = cli.add_subcommand("post", "Post the unposted transactions of a date range");
    CLI::App* revertPost =
        cli.add_subcommand("revert-postings", "Revert the postings of a date range");
    for (CLI::App* c : {post, revertPost}) {
        c->add_option("--from", from, "First day (YYYY-MM-DD)")->required();
        c->add_option("--to", to, "Last day (YYYY-MM-DD)")->required();
    }
    int month = 0;
    CLI::App* endMonth = cli.add_subcommand("end-month", "Close a month of the open year");
    CLI::App* revertMonth = cli.add_subcommand("revert-end-month", "Reopen a closed month");
    for (CLI::App* c : {endMonth, revertMonth})
        c->add_option("MONTH", month, "The calendar month, 1 to 12")
            ->required()
            ->check(CLI::Range(1, 12));
    std::string earning;
    CLI::App* endYear = cli.add_subcommand(
        "end-year", "Close the open fiscal year (asks about unposted transactions: --yes)");
    endYear->add_option("--earning", earning,
                        "The earning account that receives the result (needed when there are "
                        "several)");
    CLI::App* revertYear = cli.add_subcommand("revert-end-year", "Reopen the last closed year");

    std::string reportName, format, output;
    int reportMonth = 0;
    std::vector<std::string> reportArgs;
    CLI::App* report = cli.add_subcommand(
        "report", "Build a report: trial-balance, income-statement, balance-sheet "
                  "(--month), transaction-list (--from --to) or custom NAME (--month)");
    report->add_option("REPORT", reportArgs, "The report, and for custom its NAME")
        ->required()
        ->expected(1, 2);
    report->add_option("--month", reportMonth, "The calendar month, 1 to 12")
        ->check(CLI::Range(1, 12));
    report->add_option("--from", from, "First day of a transaction list (YYYY-MM-DD)");
    report->add_option("--to", to, "Last day of a transaction list (YYYY-MM-DD)");
    report->add_option("--format", format, "rtf, txt, csv or xlsx")
        ->required()
        ->check(CLI::IsMember({"rtf", "txt", "csv", "xlsx"}));
    report->add_option("--output,-o", output,
                       "The file to write (default: stdout; xlsx needs a file)");

    CLI::App* checkCmd = cli.add_subcommand(
        "check", "Open the file, run the engine's integrity check, print the company, the open "
                 "year, counts and whether the books balance");

    try {
        cli.parse(argc, argv);
        if (report->parsed()) {
            const std::string& kind = reportArgs.front();
            static const std::vector<std::string> kinds = {
                "trial-balance", "income-statement", "balance-sheet", "transaction-list", "custom"};
            if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
                throw CLI::ValidationError("REPORT", kind + " is not a report");
            if ((kind == "custom") != (reportArgs.size() == 2))
                throw CLI::ValidationError("REPORT", "custom takes the report's NAME, the others "
                                                     "nothing more");
            if (kind == "transaction-list" ? (from.empty() || to.empty()) : reportMonth == 0)
                throw CLI::ValidationError(
                    kind, kind == "transaction-list" ? "needs --from and --to" : "needs --month");
            if (format == "xlsx" && output.empty())
                throw CLI::ValidationError("--output", "a workbook needs --output FILE");
        }
    } catch (const CLI::ParseError& e) {
        const int rc = cli.exit(e);
        return rc == 0 ? 0 : 2;
    }
    QDate dateFrom, dateTo;
    try {
        if (!from.empty())
            dateFrom = dateArg(from, "--from");
        if (!to.empty())
            dateTo = dateArg(to, "--to");
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }

    // The database.
    QString folder = QCoreApplication::applicationDirPath();
    if (!file.empty()) {
        const QFileInfo info(q(file));
        if (info.isDir()) {
            folder = info.absoluteFilePath();
        } else if (info.fileName().compare(QLatin1String(Connection::FileName),
                                           Qt::CaseInsensitive) == 0) {
            folder = info.absolutePath();
        } else {
            say(QStringLiteral("--file: the database file is named %1 (or give its folder).")
                    .arg(QLatin1String(Connection::FileName)));
            return 2;
        }
    }
    CliPassphrase passphrase;
    QString failure;
    std::unique_ptr<Connection> cnn = openBooks(folder, passphrase, failure);
    if (!cnn) {
        if (failure.isEmpty()) // no passphrase to be had, or a wrong one and no terminal
            failure = passphrase.triedEnvironment
                          ? QStringLiteral("ZELK_PASSPHRASE is not the passphrase of the books.")
                          : QStringLiteral("The books are protected by a passphrase: give it in "
                                           "ZELK_PASSPHRASE or type it on a terminal.");
        say(failure);
        return 1;
    }
    g_cnn = cnn.get();
    // Reports are written into a folder of their own, not beside the program.
    QTemporaryDir reportFolder;
    setProgramFolder(reportFolder.path());

    CliProgress progress;
    int rc = 1;
    try {
        if (accountsCmd->parsed() || transactionsCmd->parsed()) {
            const bool accounts = accountsCmd->parsed();
            CLI::App* c = accounts ? accountsCmd : transactionsCmd;
            if (c->get_subcommand("export")->parsed()) {
                writeTable(accounts ? exchange::AccountsTable(*g_cnn)
                                    : exchange::TransactionsTable(*g_cnn),
                           tableFile, endsWithXlsx(tableFile));
                rc = 0;
            } else if (accounts) {
                exchange::AccountImport import;
                rc = runImport(import, tableFile);
            } else {
                exchange::TransactionImport import;
                rc = runImport(import, tableFile);
            }
        } else if (post->parsed()) {
            periods::PostTransactions run(*g_cnn, progress);
            rc = exitOf(run.run(dateFrom, dateTo), cliUi);
        } else if (revertPost->parsed()) {
            periods::RevertPostings run(*g_cnn, progress);
            rc = exitOf(run.run(dateFrom, dateTo), cliUi);
        } else if (endMonth->parsed()) {
            periods::EndMonth run(*g_cnn, progress);
            rc = exitOf(run.run(month), cliUi);
        } else if (revertMonth->parsed()) {
            periods::RevertEndMonth run(*g_cnn, progress);
            rc = exitOf(run.run(month), cliUi);
        } else if (endYear->parsed()) {
            periods::EndYear run(*g_cnn, progress);
            if (run.confirmJournal()) {
                // The windows let the user pick among several earning accounts; here the
                // choice is --earning, and it must be one of them.
                RowSet candidates = g_cnn->execute(modDBUtil::GetAccountsOfClass());
                QStringList numbers;
                for (candidates.moveFirst(); !candidates.eof(); candidates.moveNext())
                    numbers << candidates.text(QStringLiteral("AccountNo"));
                const QString given = q(earning);
                bool known = false;
                for (const QString& n : numbers)
                    known = known || periods::sameAccount(n, given);
                if (!given.isEmpty() && !known)
                    throw Failure{QStringLiteral("Account %1 is not an earning account (%2).")
                                      .arg(given, numbers.join(QStringLiteral(", ")))};
                if (given.isEmpty() && numbers.size() > 1)
                    throw Failure{
                        QStringLiteral("There are several earning accounts; choose one with "
                                       "--earning (%1).")
                            .arg(numbers.join(QStringLiteral(", ")))};
                GivenEarningAccount chooser(given, run);
                const QString account = run.chooseEarningAccount(chooser);
                if (!account.isEmpty() && !run.cancelRequested())
                    rc = exitOf(run.run(account), cliUi);
            }
        } else if (revertYear->parsed()) {
            periods::RevertEndYear run(*g_cnn, progress);
            if (run.confirmBeforeRun())
                rc = exitOf(run.run(), cliUi);
        } else if (report->parsed()) {
            bool cancel = false;
            reports::ReportRun run(*cnn, progress, cancel);
            const std::string& kind = reportArgs.front();
            reports::BuildResult result;
            if (kind == "trial-balance")
                result = reports::BuildTrialBalance(reportMonth, run);
            else if (kind == "income-statement")
                result = reports::BuildIncomeStatement(reportMonth, run);
            else if (kind == "balance-sheet")
                result = reports::BuildBalanceSheet(reportMonth, run);
            else if (kind == "transaction-list")
                result = reports::BuildTransactionList(dateFrom, dateTo, run);
            else
                result = custom_reports::BuildCustomReport(q(reportArgs[1]), reportMonth, run);
            if (result == reports::BuildResult::Written) {
                if (format == "csv" || format == "xlsx") {
                    writeTable(run.table(), output, format == "xlsx");
                } else {
                    QFile rtf(modRptUtil::ReportFilePath());
                    if (!rtf.open(QIODevice::ReadOnly))
                        throw Failure{QStringLiteral("The report file could not be read.")};
                    const QByteArray bytes = rtf.readAll();
                    writeBytes(format == "rtf" ? bytes
                                               : reports::PlainTextBytes(rtf::read(bytes).lines()),
                               output);
                }
                rc = 0;
            } else if (result == reports::BuildResult::NoData) {
                say(reports::NoDataMessage);
            }
        } else if (checkCmd->parsed()) {
            rc = check();
        }
    } catch (const Failure& f) {
        say(f.message);
        rc = 1;
    } catch (const exchange::ExportError& e) {
        say(e.message());
        rc = 1;
    } catch (const modRptUtil::ReportFileError& e) {
        say(e.message());
        rc = 1;
    } catch (const ZelkError& e) {
        say(e.source() + QStringLiteral(": ") + e.description());
        rc = 1;
    } catch (const std::exception& e) {
        say(QString::fromLocal8Bit(e.what()));
        rc = 1;
    }
    g_cnn = nullptr;
    cnn->close();
    return rc;
}
