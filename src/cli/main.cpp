// zelk-cli: the books from a script. The same period runs, report builds and imports
// as the windows, over the core library only.
//
//   zelk-cli [--file PATH] [--yes] COMMAND ...      zelk-cli --help, zelk-cli COMMAND --help

#include "core/bank/BankImport.h"
#include "core/books/BooksCheck.h"
#include "core/books/BooksLocation.h"
#include "core/books/Passphrases.h"
#include "core/books/Snapshots.h"
#include "core/company/CompanySetup.h"
#include "core/custom_reports/CustomReportPrint.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/exchange/BooksExport.h"
#include "core/exchange/CsvImport.h"
#include "core/exchange/OutputFile.h"
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
#include <algorithm>
#include <cstdio>
#include <map>
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
    void notice(const QString& text) override { say(text); }
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

// The passphrase of protected books (or of a snapshot): the environment variable
// (ZELK_PASSPHRASE, ZELK_SNAPSHOT_PASSPHRASE) first, then a prompt on the terminal
// (without echo) when there is one.
class CliPassphrase : public PassphrasePrompt {
public:
    explicit CliPassphrase(const char* variable = "ZELK_PASSPHRASE") : m_variable(variable) {}
    bool triedEnvironment = false;
    bool prompted = false;

    std::optional<QByteArray> askPassphrase(const QString& path, const QString& note) override {
        if (!triedEnvironment && qEnvironmentVariableIsSet(m_variable)) {
            triedEnvironment = true;
            return qgetenv(m_variable);
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

private:
    const char* m_variable;
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

bool toStdout(const std::string& output) {
    return output.empty() || output == "-";
}

// Bytes to FILE, whole or not at all, never over the books ("-" or nothing: stdout).
void writeBytes(const QByteArray& bytes, const std::string& output, const Connection& books) {
    if (toStdout(output)) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        if (std::fflush(stdout) != 0)
            throw Failure{QStringLiteral("The output could not be written.")};
        return;
    }
    exchange::OutputFile file(q(output), &books);
    file.write(bytes);
    file.commit();
}

// Where the rows of a table go: a workbook (which needs a file) or CSV, to FILE or stdout.
std::unique_ptr<TableRows> tableRows(const std::string& output, bool xlsx,
                                     const Connection& books) {
    if (xlsx) {
        if (toStdout(output))
            throw Failure{QStringLiteral("A workbook needs --output FILE.")};
        return exchange::XlsxFileRows(q(output), &books);
    }
    return exchange::CsvFileRows(toStdout(output) ? QString() : q(output), &books);
}

bool endsWithXlsx(const std::string& name) {
    return q(name).endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
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

// What the command line asked for: the options of every command, filled by parsing.
struct Options {
    std::string file;
    bool yes = false;
    std::string tableFile;           // accounts / transactions export|import FILE
    std::string from, to;            // post, revert-postings, report transaction-list
    QDate dateFrom, dateTo;          // the same, read
    int month = 0;                   // end-month, revert-end-month
    std::string earning;             // end-year --earning
    std::vector<std::string> report; // the report, and for custom its name
    int reportMonth = 0;
    std::string format, output;
    // bank
    std::string statement;   // bank import FILE
    std::string bankAccount; // --account
    std::string match, ruleTo, description, field = "any", sign = "any";
    bool regex = false;
    int ruleNumber = 0;                         // bank rule remove N
    std::map<std::string, std::string> profile; // bank profile set: option -> value
    int skip = 0;
    std::string decimalMark, dateOrder; // accounts / transactions import
    // new-company
    std::string name, address, phone, fax, email;
    int firstMonth = 0, year = 0, beginMonth = 0;
    std::string snapshot; // restore SNAPSHOT
};

// One command being run: the books, what was asked, and how the program talks.
struct Session {
    Connection& cnn;
    const Options& options;
    CliUi& ui;
    CliProgress& progress;
    bool created = false; // the books were made by this command
};

// The commands and their options.
struct Commands {
    CLI::App* accountsExport;
    CLI::App* accountsImport;
    CLI::App* transactionsExport;
    CLI::App* transactionsImport;
    CLI::App* post;
    CLI::App* revertPostings;
    CLI::App* endMonth;
    CLI::App* revertEndMonth;
    CLI::App* endYear;
    CLI::App* revertEndYear;
    CLI::App* report;
    CLI::App* check;
    CLI::App* newCompany;
    CLI::App* snapshots;
    CLI::App* restore;
    CLI::App* bankImport;
    CLI::App* ruleAdd;
    CLI::App* ruleList;
    CLI::App* ruleRemove;
    CLI::App* profileSet;
    CLI::App* profileShow;
};

// The bank commands: import a statement, keep the rules and the CSV profile of a bank
// account.
void addBankCommands(CLI::App& cli, Options& o, Commands& c) {
    CLI::App* bank = cli.add_subcommand("bank", "Bank statements: import, rules, CSV profile");
    bank->require_subcommand(0, 1);
    auto account = [&](CLI::App* command) {
        command->add_option("--account", o.bankAccount, "The bank account (its number)")
            ->required();
    };
    c.bankImport = bank->add_subcommand(
        "import", "Read a statement (CAMT.053, OFX/QFX, or CSV through the account's profile), "
                  "print each line with its proposed account and status and the balance "
                  "check; with --yes write every new line that has an account");
    c.bankImport->add_option("FILE", o.statement, "The statement file")
        ->required()
        ->check(CLI::ExistingFile);
    account(c.bankImport);
    c.bankImport->add_flag("--yes,-y", o.yes, "Write the new lines that have an account");

    CLI::App* rule = bank->add_subcommand("rule", "The rules that say where lines go");
    rule->require_subcommand(0, 1);
    c.ruleAdd = rule->add_subcommand("add", "Add a rule after the others");
    account(c.ruleAdd);
    c.ruleAdd->add_option("--match", o.match, "The text the line contains (letter case aside)")
        ->required();
    c.ruleAdd->add_option("--to", o.ruleTo, "The account the lines go to")->required();
    c.ruleAdd->add_option("--description", o.description,
                          "The description to write (default: the line's own)");
    c.ruleAdd->add_option("--field", o.field, "Where to look: any (default), counterparty, text")
        ->check(CLI::IsMember({"any", "counterparty", "text"}));
    c.ruleAdd->add_flag("--regex", o.regex, "--match is a regular expression");
    c.ruleAdd->add_option("--sign", o.sign, "Only money in or out: any (default), in, out")
        ->check(CLI::IsMember({"any", "in", "out"}));
    c.ruleList = rule->add_subcommand("list", "The rules, one a line, in the order they apply");
    account(c.ruleList);
    c.ruleRemove = rule->add_subcommand("remove", "Remove rule N");
    account(c.ruleRemove);
    c.ruleRemove->add_option("N", o.ruleNumber, "The rule's number (bank rule list)")
        ->required()
        ->check(CLI::PositiveNumber);

    CLI::App* profile = bank->add_subcommand("profile", "The CSV profile of a bank account");
    profile->require_subcommand(0, 1);
    c.profileSet = profile->add_subcommand(
        "set", "Set the CSV profile: columns by their header names, formats in the file's own "
               "notation");
    account(c.profileSet);
    const std::pair<const char*, const char*> columns[] = {
        {"--date", "The booking date column (required)"},
        {"--amount", "The signed amount column"},
        {"--debit", "The column of money out"},
        {"--credit", "The column of money in"},
        {"--indicator", "A debit/credit indicator column beside --amount"},
        {"--debit-indicator", "The indicator's value for money out (e.g. S, D, DBIT)"},
        {"--counterparty", "The counterparty column"},
        {"--text", "The text column"},
        {"--reference", "The bank's reference column"},
        {"--balance", "The running balance column"},
        {"--date-format", "The date format in Qt's notation (default yyyy-MM-dd), e.g. "
                          "dd.MM.yyyy"},
        {"--decimal-mark", "The decimal mark: , or . (default .)"},
        {"--separator", "The separator: , or ; or tab (default ,)"},
        {"--encoding", "utf-8 (default) or windows-1252"},
        {"--prefix", "The prefix of the numbers of the imported transactions"},
    };
    for (const auto& [name, help] : columns)
        c.profileSet->add_option_function<std::string>(
            name, [&o, name = std::string(name)](const std::string& v) { o.profile[name] = v; },
            help);
    c.profileSet->add_option("--skip", o.skip, "Lines before the header (default 0)")
        ->check(CLI::NonNegativeNumber);
    c.profileShow = profile->add_subcommand("show", "Print the CSV profile");
    account(c.profileShow);
}

Commands addCommands(CLI::App& cli, Options& o) {
    Commands c{};
    // An unknown word is left over and named after parsing, not "a subcommand is
    // required".
    cli.require_subcommand(0, 1);
    cli.allow_extras();
    cli.add_option("--file", o.file,
                   "The books: their file, or the folder holding Zelk.mdb (default: "
                   "$ZELK_BOOKS, else Zelk.mdb beside zelk-cli when it is there or the folder "
                   "can be written, else the books the program opened last; a command that "
                   "only reads never creates them)");
    cli.add_flag("--yes,-y", o.yes,
                 "Answer yes to the questions the windows ask (without it a question is an "
                 "error)");

    // accounts / transactions export|import FILE
    auto books = [&](const char* name, const char* what, CLI::App*& exporting,
                     CLI::App*& importing) {
        CLI::App* b = cli.add_subcommand(name, std::string("Export or import the ") + what);
        b->require_subcommand(0, 1);
        exporting = b->add_subcommand("export", std::string("Write the ") + what +
                                                    " to FILE (.xlsx: a workbook, otherwise CSV; "
                                                    "-: stdout)");
        exporting->add_option("FILE", o.tableFile, "The file to write")->required();
        importing = b->add_subcommand("import", std::string("Read the ") + what +
                                                    " from a CSV file (UTF-8 or Windows-1252, "
                                                    "comma or semicolon); nothing is written "
                                                    "while any line has a problem");
        importing->add_option("FILE", o.tableFile, "The CSV file to read")
            ->required()
            ->check(CLI::ExistingFile);
        importing
            ->add_option("--decimal-mark", o.decimalMark,
                         "The file's decimal mark, , or . (default: the one its amounts show, "
                         "else the locale's)")
            ->check(CLI::IsMember({",", "."}));
        importing
            ->add_option("--date-order", o.dateOrder,
                         "The order of the file's dates: ymd, dmy or mdy (default: the one its "
                         "dates show, else the locale's)")
            ->check(CLI::IsMember({"ymd", "dmy", "mdy"}));
        for (CLI::App* sub : {exporting, importing})
            sub->allow_extras(false);
    };
    books("accounts", "chart of accounts", c.accountsExport, c.accountsImport);
    books("transactions", "journal transactions", c.transactionsExport, c.transactionsImport);

    c.post = cli.add_subcommand("post", "Post the unposted transactions of a date range");
    c.revertPostings = cli.add_subcommand("revert-postings", "Revert the postings of a date range");
    for (CLI::App* range : {c.post, c.revertPostings}) {
        range->add_option("--from", o.from, "First day (YYYY-MM-DD)")->required();
        range->add_option("--to", o.to, "Last day (YYYY-MM-DD)")->required();
    }
    c.endMonth = cli.add_subcommand("end-month", "Close a month of the open year");
    c.revertEndMonth = cli.add_subcommand("revert-end-month", "Reopen a closed month");
    for (CLI::App* monthly : {c.endMonth, c.revertEndMonth})
        monthly->add_option("MONTH", o.month, "The calendar month, 1 to 12")
            ->required()
            ->check(CLI::Range(1, 12));
    c.endYear = cli.add_subcommand(
        "end-year", "Close the open fiscal year (asks about unposted transactions: --yes)");
    c.endYear->add_option("--earning", o.earning,
                          "The earning account that receives the result (needed when there are "
                          "several)");
    c.revertEndYear = cli.add_subcommand("revert-end-year", "Reopen the last closed year");

    c.report = cli.add_subcommand(
        "report", "Build a report: trial-balance, income-statement, balance-sheet "
                  "(--month), transaction-list (--from --to) or custom NAME (--month)");
    c.report->add_option("REPORT", o.report, "The report, and for custom its NAME")
        ->required()
        ->expected(1, 2);
    c.report->add_option("--month", o.reportMonth, "The calendar month, 1 to 12")
        ->check(CLI::Range(1, 12));
    c.report->add_option("--from", o.from, "First day of a transaction list (YYYY-MM-DD)");
    c.report->add_option("--to", o.to, "Last day of a transaction list (YYYY-MM-DD)");
    c.report->add_option("--format", o.format, "rtf, txt, csv or xlsx")
        ->required()
        ->check(CLI::IsMember({"rtf", "txt", "csv", "xlsx"}));
    c.report->add_option("--output,-o", o.output,
                         "The file to write (default: stdout; xlsx needs a file)");

    c.check = cli.add_subcommand(
        "check", "Open the file, run the engine's integrity check, print the company, the open "
                 "year, counts and whether the books balance");
    c.newCompany = cli.add_subcommand(
        "new-company", "Start the books of a company, as File -> New Company does: on books "
                       "that hold one already it asks (--yes) and takes a snapshot first; "
                       "missing books are made");
    c.newCompany->add_option("--name", o.name, "The company's name")->required();
    c.newCompany->add_option("--address", o.address, "Its address (required, as in the window)");
    c.newCompany->add_option("--phone", o.phone, "Its phone number (required, as in the window)");
    c.newCompany->add_option("--fax", o.fax, "Its fax number");
    c.newCompany->add_option("--email", o.email, "Its e-mail address");
    c.newCompany->add_option("--first-month", o.firstMonth, "The fiscal year's first month, 1..12")
        ->required()
        ->check(CLI::Range(1, 12));
    c.newCompany->add_option("--year", o.year, "The fiscal year the books begin in")
        ->required()
        ->check(CLI::Range(1900, 9999));
    c.newCompany
        ->add_option("--begin-month", o.beginMonth,
                     "The month bookkeeping begins, 1..12 (default: the first month)")
        ->check(CLI::Range(1, 12));
    c.snapshots = cli.add_subcommand(
        "snapshots", "List the snapshots in Backups beside the books, newest first");
    c.restore = cli.add_subcommand(
        "restore", "Replace the books with a snapshot (asks first: --yes); one under another "
                   "key takes its passphrase from ZELK_SNAPSHOT_PASSPHRASE or the terminal");
    c.restore->add_option("SNAPSHOT", o.snapshot, "The snapshot's file name, as listed")
        ->required();
    addBankCommands(cli, o, c);
    // Only the top and the groups take words they do not know, which are named after
    // parsing.
    for (CLI::App* sub : cli.get_subcommands({}))
        sub->allow_extras(!sub->get_subcommands({}).empty());
    for (CLI::App* group : {c.ruleAdd->get_parent(), c.profileSet->get_parent()})
        group->allow_extras();
    return c;
}

// What the parser cannot check alone: a report's name and the options it needs, and the
// dates. Throws CLI::ValidationError.
void checkOptions(const Commands& c, Options& o) {
    if (c.report->parsed()) {
        const std::string& kind = o.report.front();
        static const std::vector<std::string> kinds = {
            "trial-balance", "income-statement", "balance-sheet", "transaction-list", "custom"};
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            throw CLI::ValidationError("REPORT", kind + " is not a report");
        if ((kind == "custom") != (o.report.size() == 2))
            throw CLI::ValidationError("REPORT", "custom takes the report's NAME, the others "
                                                 "nothing more");
        if (kind == "transaction-list" ? (o.from.empty() || o.to.empty()) : o.reportMonth == 0)
            throw CLI::ValidationError(kind, kind == "transaction-list" ? "needs --from and --to"
                                                                        : "needs --month");
        if (o.format == "xlsx" && o.output.empty())
            throw CLI::ValidationError("--output", "a workbook needs --output FILE");
    }
    if (c.profileSet->parsed()) {
        const auto& p = o.profile;
        const bool amount = p.count("--amount"), debit = p.count("--debit"),
                   credit = p.count("--credit");
        if (!p.count("--date") || amount == (debit || credit) || debit != credit)
            throw CLI::ValidationError("profile set", "needs --date and either --amount or "
                                                      "--debit and --credit");
        auto oneOf = [&](const char* name, std::initializer_list<const char*> values) {
            const auto it = p.find(name);
            if (it == p.end())
                return;
            for (const char* v : values)
                if (it->second == v)
                    return;
            throw CLI::ValidationError(name, it->second + " is not one of the values allowed");
        };
        oneOf("--decimal-mark", {",", "."});
        oneOf("--separator", {",", ";", "tab"});
        oneOf("--encoding", {"utf-8", "windows-1252"});
    }
    if (!o.from.empty())
        o.dateFrom = dateArg(o.from, "--from");
    if (!o.to.empty())
        o.dateTo = dateArg(o.to, "--to");
}

// The books --file names (their file, or Zelk.mdb in a folder), else those $ZELK_BOOKS
// names, else the default books; empty after the message when the folder named does not
// exist.
QString booksPath(const Options& o) {
    QString given = q(o.file), source = QStringLiteral("--file");
    if (given.isEmpty()) {
        given = qEnvironmentVariable("ZELK_BOOKS");
        source = QStringLiteral("ZELK_BOOKS");
    }
    if (given.isEmpty())
        return books::defaultBooks();
    const QString path = Connection::booksFile(given);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        say(QStringLiteral("%1: the folder %2 does not exist.")
                .arg(source, QDir::toNativeSeparators(folder)));
        return QString();
    }
    return path;
}

// The books, asking for their passphrase when they have one; nothing after the message
// when they do not open. A command that only reads never creates them.
std::unique_ptr<Connection> openTheBooks(const QString& books, bool create) {
    CliPassphrase passphrase;
    QString failure;
    std::unique_ptr<Connection> cnn = openBooks(
        books, passphrase, failure, create ? OpenMode::CreateIfMissing : OpenMode::ExistingOnly);
    if (!cnn) {
        if (failure.isEmpty()) // no passphrase to be had, or a wrong one and no terminal
            failure = passphrase.triedEnvironment
                          ? QStringLiteral("ZELK_PASSPHRASE is not the passphrase of the books.")
                          : QStringLiteral("The books are protected by a passphrase: give it in "
                                           "ZELK_PASSPHRASE or type it on a terminal.");
        say(failure);
    }
    return cnn;
}

// The words no command took: an unknown command, or an unknown word after accounts,
// transactions, bank, bank rule or bank profile; empty when there is none.
QString unknownWords(const CLI::App& cli, const Commands& c) {
    auto named = [](const CLI::App& app) {
        QStringList names;
        for (const CLI::App* sub : app.get_subcommands({}))
            names << q(sub->get_name());
        return names.join(QStringLiteral(", "));
    };
    // "bank rule": the group's words after zelk-cli
    auto path = [](const CLI::App& app) {
        QString words = q(app.get_name());
        for (const CLI::App* up = app.get_parent(); up && up->get_parent(); up = up->get_parent())
            words.prepend(q(up->get_name()) + QLatin1Char(' '));
        return words;
    };
    auto leftOver = [&](const CLI::App& app) -> QString {
        if (app.remaining().empty())
            return QString();
        const QString word = q(app.remaining().front());
        return QStringLiteral("%1: %2 is not %3 (%4).")
            .arg(path(app), word,
                 word.startsWith(u'-') ? QStringLiteral("an option")
                                       : QStringLiteral("a command of ") + path(app),
                 named(app));
    };
    // The innermost group first: "bank rule x" is a word rule does not know.
    for (const CLI::App* group :
         {c.accountsExport->get_parent(), c.transactionsExport->get_parent(),
          c.ruleAdd->get_parent(), c.profileSet->get_parent(), c.bankImport->get_parent()})
        if (group->parsed()) {
            if (QString w = leftOver(*group); !w.isEmpty())
                return w;
            if (group->get_subcommands().empty())
                return QStringLiteral("%1: a command is needed (%2).")
                    .arg(path(*group), named(*group));
        }
    if (QString w = leftOver(cli); !w.isEmpty())
        return w;
    if (cli.get_subcommands().empty())
        return QStringLiteral("zelk-cli: a command is needed (%1); zelk-cli --help tells more.")
            .arg(named(cli));
    return QString();
}

int runExport(Session& s, void (*exportRows)(Connection&, TableRows&)) {
    const std::unique_ptr<TableRows> rows =
        tableRows(s.options.tableFile, endsWithXlsx(s.options.tableFile), s.cnn);
    exportRows(s.cnn, *rows);
    return 0;
}

int runAccountsExport(Session& s) {
    return runExport(s, exchange::ExportAccounts);
}

int runTransactionsExport(Session& s) {
    return runExport(s, exchange::ExportTransactions);
}

int runImport(Session& s, exchange::CsvImport& import, const QString& title) {
    const Options& o = s.options;
    import.setFile(q(o.tableFile));
    exchange::ImportChoices choices;
    if (!o.decimalMark.empty())
        choices.decimalMark = o.decimalMark.front();
    if (!o.dateOrder.empty())
        choices.dateOrder = exchange::DateOrderOfCode(q(o.dateOrder));
    import.setChoices(choices);
    import.setProgress(&s.progress, nullptr);
    // The file is checked through first, then written as it is read again; a snapshot of
    // the books comes between.
    import.read(s.cnn);
    say(QStringLiteral("%1: %2").arg(q(o.tableFile), import.format().text()));
    if (import.problemCount() > 0) {
        say(import.problemText());
        say(QStringLiteral("Nothing was imported: %1 problem(s).").arg(import.problemCount()));
        return 1;
    }
    if (import.noticeCount() > 0 && !s.ui.askYesNo(import.noticeQuestion(), title))
        return 1;
    if (import.write(s.cnn, {}, [] { return true; }) != CommandOutcome::Committed) {
        if (import.problemCount() > 0) // the file changed since
            say(import.problemText());
        say(QStringLiteral("Nothing was imported."));
        return 1;
    }
    say(QStringLiteral("%1 %2 imported.").arg(import.written()).arg(import.noun()));
    return 0;
}

int runAccountsImport(Session& s) {
    exchange::AccountImport import;
    return runImport(s, import, QStringLiteral("Import Accounts"));
}

int runTransactionsImport(Session& s) {
    exchange::TransactionImport import;
    return runImport(s, import, QStringLiteral("Import Transactions"));
}

int runPost(Session& s) {
    periods::PostTransactions run(s.cnn, s.progress);
    return exitOf(run.run(s.options.dateFrom, s.options.dateTo), s.ui);
}

int runRevertPostings(Session& s) {
    periods::RevertPostings run(s.cnn, s.progress);
    return exitOf(run.run(s.options.dateFrom, s.options.dateTo), s.ui);
}

int runEndMonth(Session& s) {
    periods::EndMonth run(s.cnn, s.progress);
    return exitOf(run.run(s.options.month), s.ui);
}

int runRevertEndMonth(Session& s) {
    periods::RevertEndMonth run(s.cnn, s.progress);
    return exitOf(run.run(s.options.month), s.ui);
}

// The windows let the user pick among several earning accounts; here the choice is
// --earning, and it must be one of them.
QString earningAccountGiven(Connection& cnn, const std::string& earning) {
    RowSet candidates = cnn.execute(modDBUtil::GetAccountsOfClass());
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
        throw Failure{QStringLiteral("There are several earning accounts; choose one with "
                                     "--earning (%1).")
                          .arg(numbers.join(QStringLiteral(", ")))};
    return given;
}

int runEndYear(Session& s) {
    periods::EndYear run(s.cnn, s.progress);
    if (!run.confirmJournal())
        return 1;
    GivenEarningAccount chooser(earningAccountGiven(s.cnn, s.options.earning), run);
    const QString account = run.chooseEarningAccount(chooser);
    if (account.isEmpty() || run.cancelRequested())
        return 1;
    return exitOf(run.run(account), s.ui);
}

int runRevertEndYear(Session& s) {
    periods::RevertEndYear run(s.cnn, s.progress);
    if (!run.confirmBeforeRun())
        return 1;
    return exitOf(run.run(), s.ui);
}

reports::BuildResult buildReport(const Options& o, reports::ReportRun& run) {
    const std::string& kind = o.report.front();
    if (kind == "trial-balance")
        return reports::BuildTrialBalance(o.reportMonth, run);
    if (kind == "income-statement")
        return reports::BuildIncomeStatement(o.reportMonth, run);
    if (kind == "balance-sheet")
        return reports::BuildBalanceSheet(o.reportMonth, run);
    if (kind == "transaction-list")
        return reports::BuildTransactionList(o.dateFrom, o.dateTo, run);
    return custom_reports::BuildCustomReport(q(o.report[1]), o.reportMonth, run);
}

int runReport(Session& s) {
    const Options& o = s.options;
    bool cancel = false;
    reports::ReportRun run(s.cnn, s.progress, cancel);
    // The figures go to the file as the report is built; the file is in place only once
    // it is whole, and never over the books.
    std::unique_ptr<TableRows> rows;
    std::unique_ptr<exchange::OutputFile> document;
    if (o.format == "csv" || o.format == "xlsx") {
        rows = tableRows(o.output, o.format == "xlsx", s.cnn);
        run.streamTableTo(rows.get());
    } else if (!toStdout(o.output)) {
        document = std::make_unique<exchange::OutputFile>(q(o.output), &s.cnn);
    }
    const reports::BuildResult result = buildReport(o, run);
    if (result == reports::BuildResult::NoData)
        say(reports::NoDataMessage);
    if (result != reports::BuildResult::Written)
        return 1;
    if (rows) {
        rows->finish();
        return 0;
    }
    QFile rtf(modRptUtil::ReportFilePath());
    if (!rtf.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("The report file could not be read.")};
    const QByteArray bytes = rtf.readAll();
    const QByteArray out =
        o.format == "rtf" ? bytes : reports::PlainTextBytes(rtf::read(bytes).lines());
    if (document) {
        document->write(out);
        document->commit();
    } else {
        writeBytes(out, o.output, s.cnn);
    }
    return 0;
}

int runNewCompany(Session& s) {
    const Options& o = s.options;
    company::NewCompanyInput in;
    in.Name = q(o.name);
    in.Address = q(o.address);
    in.Phone = q(o.phone);
    in.Fax = q(o.fax);
    in.eMail = q(o.email);
    in.FinancialPeriodBegin = o.firstMonth;
    in.StartYear = o.year;
    in.StartMonth = o.beginMonth != 0 ? o.beginMonth : o.firstMonth;
    CommandOutcome outcome = CommandOutcome::Abort;
    if (s.created) // books made just now hold nothing to ask about or keep a copy of
        outcome = company::ValidateCompany(in) == 0 ? company::SaveNewCompany(s.cnn, in)
                                                    : CommandOutcome::Fix;
    else
        outcome = company::NewCompanySaveCommand(s.cnn, in);
    if (outcome != CommandOutcome::Committed || s.ui.failed) {
        say(QStringLiteral("Nothing was changed."));
        return 1;
    }
    const CompanyRow company = CompanyRow::read(s.cnn);
    const int month = (company.FinancialPeriodBegin + company.BeginPeriod - 2) % 12 + 1;
    std::printf("New company %s: fiscal year %d, beginning %s\n", qPrintable(company.Name),
                company.CurrentPeriodYear,
                qPrintable(fiscal::firstDayOfMonth(company.FinancialPeriodBegin,
                                                   company.BeginPeriodYear, month)
                               .toString(Qt::ISODate)));
    return 0;
}

int runCheck(Session& s) {
    std::printf("File: %s\n", qPrintable(QDir::toNativeSeparators(s.cnn.filePath())));
    const BooksCheck c = checkBooks(s.cnn, [] { return true; });
    for (const QString& line : c.lines())
        if (c.fileSound() || line.startsWith(QLatin1String("Integrity")))
            std::printf("%s\n", qPrintable(line));
    return c.fileSound() && c.balanced() ? 0 : 1;
}

QString snapshotState(const snapshots::Snapshot& n) {
    if (n.usable)
        return QStringLiteral("%1, fiscal year %2").arg(n.company).arg(n.year);
    if (n.otherKey)
        return QStringLiteral("encrypted with another key: restore asks for its passphrase");
    return QStringLiteral("cannot be opened: ") + n.problem;
}

int runSnapshots(Session& s) {
    for (const snapshots::Snapshot& n : snapshots::list(s.cnn))
        std::printf("%s\t%s\t%s\n", qPrintable(QFileInfo(n.path).fileName()), qPrintable(n.step),
                    qPrintable(snapshotState(n)));
    return 0;
}

int runRestore(Session& s) {
    const QString wanted = QFileInfo(q(s.options.snapshot)).fileName();
    const std::vector<snapshots::Snapshot> all = snapshots::list(s.cnn);
    const auto found = std::find_if(all.begin(), all.end(), [&](const snapshots::Snapshot& n) {
        return QFileInfo(n.path).fileName() == wanted;
    });
    if (found == all.end())
        throw Failure{QStringLiteral("There is no snapshot %1 in %2.")
                          .arg(wanted, QDir::toNativeSeparators(snapshots::folderOf(s.cnn)))};
    snapshots::Snapshot chosen = *found;
    if (!chosen.usable && !chosen.otherKey)
        throw Failure{QStringLiteral("%1 %2.").arg(wanted, snapshotState(chosen))};
    QByteArray passphrase;
    struct Wipe {
        QByteArray& secret;
        ~Wipe() { wipeSecret(secret); }
    } wipe{passphrase};
    if (chosen.otherKey) {
        CliPassphrase prompt("ZELK_SNAPSHOT_PASSPHRASE");
        QString note;
        for (int tries = 0; tries < PassphraseTries && !chosen.usable; ++tries) {
            std::optional<QByteArray> typed = prompt.askPassphrase(chosen.path, note);
            if (!typed)
                break;
            note = QStringLiteral("Wrong passphrase.");
            if (snapshots::unlock(s.cnn, chosen, *typed))
                passphrase = *typed;
            wipeSecret(*typed);
        }
        if (!chosen.usable)
            throw Failure{
                prompt.prompted || !prompt.triedEnvironment
                    ? QStringLiteral("%1 is encrypted with another key and does not open with "
                                     "the passphrases given (ZELK_SNAPSHOT_PASSPHRASE or the "
                                     "terminal).")
                          .arg(wanted)
                    : QStringLiteral("ZELK_SNAPSHOT_PASSPHRASE is not the passphrase of %1.")
                          .arg(wanted)};
    }
    const QString when = chosen.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!s.ui.askYesNo(QStringLiteral("Replace the books with the snapshot of %1, taken before "
                                      "%2 (%3, fiscal year %4)? The books as they are now are "
                                      "kept as a snapshot first.")
                           .arg(when, chosen.step, chosen.company)
                           .arg(chosen.year),
                       QStringLiteral("Restore Snapshot")))
        return 1;
    try {
        snapshots::restore(s.cnn, chosen, passphrase);
    } catch (const snapshots::SnapshotError& e) {
        throw Failure{e.message()};
    }
    say(QStringLiteral("The books have been restored from the snapshot of %1.").arg(when));
    return 0;
}

// The bank account --account names: refused unless it is one of the assets or
// liabilities class.
QString bankAccountGiven(Connection& cnn, const std::string& account) {
    const QString given = q(account);
    if (!bank::isBankAccount(cnn, given))
        throw Failure{QStringLiteral("Account %1 is not an account of the assets or "
                                     "liabilities class.")
                          .arg(given)};
    return given;
}

// "  3  2026-03-02     -45.90  Stadtwerke: Abschlag -> 6100 (rule 1)  new"
QString bankLineText(const bank::ReviewLine& r) {
    return QStringLiteral("%1  %2  %3  %4 -> %5 (%6)  %7")
        .arg(r.line.number, 4)
        .arg(r.line.date.toString(Qt::ISODate))
        .arg(r.line.amount.formatStandard(), 14)
        .arg(r.description)
        .arg(r.account.isEmpty() ? QStringLiteral("?") : r.account)
        .arg(bank::BankImport::sourceText(r))
        .arg(bank::BankImport::statusText(r));
}

int runBankImport(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    std::unique_ptr<bank::BankImport> reading;
    try {
        const std::optional<bank::CsvProfile> profile = bank::loadProfile(s.cnn, account);
        const int year = CompanyRow::read(s.cnn).CurrentPeriodYear;
        reading = std::make_unique<bank::BankImport>(s.cnn, account, [&] {
            return bank::readStatementFile(q(s.options.statement), profile, year);
        });
    } catch (const bank::StatementError& e) {
        say(e.message());
        if (e.message().contains(QLatin1String("CSV profile")))
            say(QStringLiteral("Set it with: zelk-cli bank profile set --account %1 --date "
                               "COLUMN --amount COLUMN ...")
                    .arg(account));
        say(QStringLiteral("Nothing was imported."));
        return 1;
    }
    bank::BankImport& import = *reading;
    std::printf("%s statement, %d line(s), into account %s\n",
                qPrintable(bank::formatName(import.statement().format)), int(import.lines().size()),
                qPrintable(account));
    for (const bank::ReviewLine& r : import.lines())
        std::printf("%s\n", qPrintable(bankLineText(r)));
    const bank::BankImport::Totals totals = import.checkedTotals();
    std::printf("To write: %d line(s), in %s, out %s\n", totals.count,
                qPrintable(totals.in.formatStandard()), qPrintable(totals.out.formatStandard()));
    std::printf("%s\n", qPrintable(import.balanceCheck().text()));
    std::fflush(stdout);
    auto leftLines = [&] {
        QStringList left;
        for (const bank::ReviewLine& r : import.lines())
            if (!r.checked && r.status != bank::LineStatus::Duplicate)
                left << bankLineText(r);
        return left;
    };
    if (totals.count > 0) {
        if (!s.ui.askYesNo(QStringLiteral("Write the %1 new line(s)?").arg(totals.count),
                           QStringLiteral("Import Bank Statement")))
            return 1;
        if (const QStringList p = import.problems(); !p.isEmpty()) {
            say(p.join(QLatin1Char('\n')));
            say(QStringLiteral("Nothing was imported."));
            return 1;
        }
        if (import.write() != CommandOutcome::Committed) {
            say(QStringLiteral("Nothing was imported."));
            return 1;
        }
        say(QStringLiteral("%1 line(s) imported.").arg(import.written()));
    }
    const QStringList left = leftLines();
    if (!left.isEmpty()) {
        say(QStringLiteral("Left, not written (%1):").arg(left.size()));
        for (const QString& l : left)
            say(l);
        return 1;
    }
    return 0;
}

int runRuleAdd(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    const Options& o = s.options;
    bank::Rule rule;
    rule.field = o.field == "counterparty" ? bank::Rule::Field::Counterparty
                 : o.field == "text"       ? bank::Rule::Field::Text
                                           : bank::Rule::Field::Any;
    rule.regex = o.regex;
    rule.pattern = q(o.match);
    rule.sign = o.sign == "in" ? 1 : o.sign == "out" ? -1 : 0;
    rule.account = q(o.ruleTo);
    rule.description = q(o.description);
    if (const QString p = rule.problem(); !p.isEmpty())
        throw Failure{p};
    RowSet to = s.cnn.execute(modDBUtil::GetAccount(rule.account));
    if (to.eof())
        throw Failure{QStringLiteral("Account %1 does not exist.").arg(rule.account)};
    std::vector<bank::Rule> rules = bank::loadRules(s.cnn, account);
    rules.push_back(rule);
    if (bank::saveRules(s.cnn, account, rules) != CommandOutcome::Committed)
        return 1;
    say(QStringLiteral("Rule %1 added: %2").arg(rules.size()).arg(rule.text()));
    return 0;
}

int runRuleList(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    int n = 0;
    for (const bank::Rule& r : bank::loadRules(s.cnn, account))
        std::printf("%d  %s\n", ++n, qPrintable(r.text()));
    return 0;
}

int runRuleRemove(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    std::vector<bank::Rule> rules = bank::loadRules(s.cnn, account);
    const int n = s.options.ruleNumber;
    if (n < 1 || n > int(rules.size()))
        throw Failure{QStringLiteral("Account %1 has no rule %2 (it has %3).")
                          .arg(account)
                          .arg(n)
                          .arg(rules.size())};
    const bank::Rule removed = rules[size_t(n - 1)];
    rules.erase(rules.begin() + (n - 1));
    if (bank::saveRules(s.cnn, account, rules) != CommandOutcome::Committed)
        return 1;
    say(QStringLiteral("Rule %1 removed: %2").arg(n).arg(removed.text()));
    return 0;
}

int runProfileSet(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    const auto& o = s.options.profile;
    auto get = [&](const char* name, const char* otherwise = "") {
        const auto it = o.find(name);
        return q(it == o.end() ? std::string(otherwise) : it->second);
    };
    bank::CsvProfile p;
    p.dateColumn = get("--date");
    p.amountColumn = get("--amount");
    p.debitColumn = get("--debit");
    p.creditColumn = get("--credit");
    p.indicatorColumn = get("--indicator");
    p.debitIndicator = get("--debit-indicator");
    p.counterpartyColumn = get("--counterparty");
    p.textColumn = get("--text");
    p.referenceColumn = get("--reference");
    p.balanceColumn = get("--balance");
    p.dateFormat = get("--date-format", "yyyy-MM-dd");
    p.decimalMark = get("--decimal-mark", ".").at(0);
    const QString sep = get("--separator", ",");
    p.separator = sep == QLatin1String("tab") ? '\t' : sep.at(0).toLatin1();
    p.utf8 = get("--encoding", "utf-8") == QLatin1String("utf-8");
    p.skipLines = s.options.skip;
    p.prefix = get("--prefix");
    if (const QString problem = p.problem(); !problem.isEmpty())
        throw Failure{problem};
    if (bank::saveProfile(s.cnn, account, p) != CommandOutcome::Committed)
        return 1;
    say(QStringLiteral("The CSV profile of account %1 is saved.").arg(account));
    return 0;
}

int runProfileShow(Session& s) {
    const QString account = bankAccountGiven(s.cnn, s.options.bankAccount);
    const std::optional<bank::CsvProfile> p = bank::loadProfile(s.cnn, account);
    if (!p) {
        say(QStringLiteral("Account %1 has no CSV profile; its imports are numbered %2….")
                .arg(account, bank::defaultPrefix(account)));
        return 1;
    }
    for (const QString& line : bank::profileLines(*p))
        std::printf("%s\n", qPrintable(line));
    return 0;
}

// Runs the command, telling what went wrong on stderr.
int runCommand(int (*command)(Session&), Session& s) {
    try {
        return command(s);
    } catch (const Failure& f) {
        say(f.message);
    } catch (const exchange::ExportError& e) {
        say(e.message());

    } catch (const modRptUtil::ReportFileError& e) {
        say(e.message());
    } catch (const ZelkError& e) {
        say(e.source() + QStringLiteral(": ") + e.description());
    } catch (const std::exception& e) {
        say(QString::fromLocal8Bit(e.what()));
    }
    return 1;
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
    Options options;
    const Commands c = addCommands(cli, options);
    try {
        cli.parse(argc, argv);
        checkOptions(c, options);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    if (const QString unknown = unknownWords(cli, c); !unknown.isEmpty()) {
        say(unknown);
        return 2;
    }
    cliUi.yes = options.yes;

    const QString books = booksPath(options);
    if (books.isEmpty())
        return 2;
    const bool reading = c.check->parsed() || c.report->parsed() || c.accountsExport->parsed() ||
                         c.transactionsExport->parsed();
    const bool existed = QFileInfo::exists(books);
    std::unique_ptr<Connection> cnn = openTheBooks(books, !reading);
    if (!cnn)
        return 1;
    // Reports are written into a folder of their own, not beside the program.
    QTemporaryDir reportFolder;
    setProgramFolder(reportFolder.path());

    const std::pair<CLI::App*, int (*)(Session&)> commands[] = {
        {c.accountsExport, runAccountsExport},
        {c.accountsImport, runAccountsImport},
        {c.transactionsExport, runTransactionsExport},
        {c.transactionsImport, runTransactionsImport},
        {c.post, runPost},
        {c.revertPostings, runRevertPostings},
        {c.endMonth, runEndMonth},
        {c.revertEndMonth, runRevertEndMonth},
        {c.endYear, runEndYear},
        {c.revertEndYear, runRevertEndYear},
        {c.report, runReport},
        {c.check, runCheck},
        {c.newCompany, runNewCompany},
        {c.snapshots, runSnapshots},
        {c.restore, runRestore},
        {c.bankImport, runBankImport},
        {c.ruleAdd, runRuleAdd},
        {c.ruleList, runRuleList},
        {c.ruleRemove, runRuleRemove},
        {c.profileSet, runProfileSet},
        {c.profileShow, runProfileShow},
    };
    CliProgress progress;
    Session session{*cnn, options, cliUi, progress, !existed};
    int rc = 1;
    for (const auto& [command, run] : commands)
        if (command->parsed())
            rc = runCommand(run, session);
    cnn->close();
    return rc;
}
