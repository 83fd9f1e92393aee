#include "core/data/modDBUtil.h"
#include "core/journal/TransactionEntry.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/periods/YearEndRuns.h"
#include "support/Books.h"

#include <gtest/gtest.h>
#include <string>

using namespace zelk::periods;

namespace {

enum class Kind { Post, RevertPost, EndMonth, RevertEndMonth, EndYear, RevertEndYear };

std::string id(Kind k) {
    static const char* const ids[] = {"Post",           "RevertPostings", "EndMonth",
                                      "RevertEndMonth", "EndYear",        "RevertEndYear"};
    return ids[int(k)];
}

// Books of calendar year 2003 brought to the point where a run of the given kind has
// work to do: January has two transactions (five lines), February two more.
void prepare(TestDatabase& db, Kind kind) {
    Books books(db);
    zelk::NoProgress quiet;
    books.newCompany(1, 2003);
    // bookkeeping began the year before, so the year end can be reverted
    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2002, 2003, 1));
    for (const auto& [no, opening] :
         {std::pair{"1000", "10"}, {"2000", "-10"}, {"4000", "0"}, {"5000", "0"}, {"6000", "0"}})
        books.addAccount(no, QString(no).left(1).toInt(), opening);
    books.addTransaction("J1", QDate(2003, 1, 5), {{"1000", "100"}, {"5000", "-100"}}, "S", "D");
    books.addTransaction("J2", QDate(2003, 1, 20),
                         {{"6000", "40"}, {"2000", "-15"}, {"1000", "-25"}});
    books.addTransaction("F1", QDate(2003, 2, 3), {{"1000", "7"}, {"5000", "-7"}});
    books.addTransaction("F2", QDate(2003, 2, 14), {{"6000", "1.5"}, {"1000", "-1.5"}});
    if (kind == Kind::Post)
        return;
    ScriptedUi silent;
    PostTransactions post(db.cnn(), quiet);
    ASSERT_EQ(post.run(QDate(2003, 1, 1), QDate(2003, 12, 31)), RunOutcome::Done);
    if (kind == Kind::RevertPost || kind == Kind::EndMonth)
        return;
    for (int month : {1, 2}) {
        EndMonth close(db.cnn(), quiet);
        ASSERT_EQ(close.run(month), RunOutcome::Done);
        if (kind == Kind::RevertEndMonth)
            return;
    }
    if (kind == Kind::EndYear)
        return;
    EndYear endYear(db.cnn(), quiet);
    ASSERT_EQ(endYear.run("4000"), RunOutcome::Done);
    // an account added after the year end gives the revert one more pass
    books.addAccount("1100", 1);
}

// How a run ended, with its flags as they were when it returned.
struct Ended {
    RunOutcome outcome;
    bool running;
    bool cancel;
};

template <class Run, class... Args>
Ended go(zelk::Connection& cnn, zelk::ProgressSink& progress, PeriodRun** current, Args... args) {
    Run run(cnn, progress);
    if (current)
        *current = &run;
    const RunOutcome outcome = run.run(args...);
    if (current)
        *current = nullptr;
    return {outcome, run.running(), run.cancelRequested()};
}

// Runs one period run of the given kind; `current` points at it while it runs.
Ended runKind(zelk::Connection& cnn, Kind kind, zelk::ProgressSink& progress,
              PeriodRun** current = nullptr) {
    const QDate from(2003, 1, 1), to(2003, 12, 31);
    switch (kind) {
    case Kind::Post:
        return go<PostTransactions>(cnn, progress, current, from, to);
    case Kind::RevertPost:
        return go<RevertPostings>(cnn, progress, current, from, to);
    case Kind::EndMonth:
        return go<EndMonth>(cnn, progress, current, 1);
    case Kind::RevertEndMonth:
        return go<RevertEndMonth>(cnn, progress, current, 1);
    case Kind::EndYear:
        return go<EndYear>(cnn, progress, current, QStringLiteral("4000"));
    case Kind::RevertEndYear:
        return go<RevertEndYear>(cnn, progress, current);
    }
    return {RunOutcome::NotStarted, false, false};
}

struct CancelCase {
    Kind kind;
    int step;
    const char* where;
};

class CancelDuringARun : public ::testing::TestWithParam<CancelCase> {};

// A failing statement for each kind of run and the table whose change it refuses, the
// steps of the whole run and those done when the statement is refused.
struct FailCase {
    Kind kind;
    const char* trigger;
    int steps;
    int refusedAt;
};

const FailCase Failures[] = {
    // a step per transaction, one for the posted flags; the ledger rows are written last
    {Kind::Post, "BEFORE UPDATE ON Ledger_General", 4 + 1, 4},
    {Kind::RevertPost, "BEFORE UPDATE ON Ledger_Transactions", 4 + 1, 4},
    // a step per transaction of January, then per ledger row of its period
    {Kind::EndMonth, "BEFORE DELETE ON Ledger_Transactions", 2 + 5, 0},
    {Kind::EndMonth, "BEFORE UPDATE ON Ledger_AccountBalances", 2 + 5, 2},
    // a step per history line, then per ledger row
    {Kind::RevertEndMonth, "BEFORE INSERT ON Ledger_TransactionDetails", 5 + 5, 0},
    // a step per account, three for the closing statements
    {Kind::EndYear, "BEFORE UPDATE ON SYS_Company", 5 + 3, 7},
    // the balances and the ledger deleted, a step per balance row and per ledger row, the
    // new account's rows, the company
    {Kind::RevertEndYear, "BEFORE INSERT ON Ledger_General", 5 + 60 + 1 + 3, 2 + 5},
};

QByteArray createTrigger(const char* when) {
    return QByteArray("CREATE TRIGGER refuse ") + when +
           " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END";
}

} // namespace

TEST_P(CancelDuringARun, LeavesTheFileByteForByteAsItWas) {
    const CancelCase c = GetParam();
    TestDatabase db;
    prepare(db, c.kind);
    ScriptedUi ui;
    CountingProgress progress;
    PeriodRun* current = nullptr;
    progress.at(c.step, [&] { current->requestCancel(); });
    const QByteArray before = db.fileBytes();

    const Ended ended = runKind(db.cnn(), c.kind, progress, &current);
    EXPECT_EQ(ended.outcome, RunOutcome::Cancelled) << c.where;
    EXPECT_TRUE(!ended.running && ended.cancel);
    EXPECT_EQ(progress.value(), c.step) << "the run went on after the cancel check";
    EXPECT_TRUE(ui.asked().empty()) << "a cancelled run shows nothing";
    EXPECT_FALSE(db.cnn().inTransaction());
    EXPECT_EQ(db.fileBytes(), before) << c.where;
}

INSTANTIATE_TEST_SUITE_P(
    EveryPass, CancelDuringARun,
    ::testing::Values(CancelCase{Kind::Post, 2, "after two of four transactions"},
                      CancelCase{Kind::Post, 4, "after the last transaction"},
                      CancelCase{Kind::RevertPost, 1, "after the first transaction"},
                      CancelCase{Kind::EndMonth, 1, "in the pass over the transactions"},
                      CancelCase{Kind::EndMonth, 4, "in the pass over the ledger rows"},
                      CancelCase{Kind::RevertEndMonth, 2, "in the pass over the history lines"},
                      CancelCase{Kind::RevertEndMonth, 7, "in the pass over the ledger rows"},
                      CancelCase{Kind::EndYear, 2, "in the pass over the accounts"},
                      CancelCase{Kind::EndYear, 6, "after the earning account's balance"},
                      CancelCase{Kind::EndYear, 8, "after the company's new year"},
                      CancelCase{Kind::RevertEndYear, 1, "after the balances were deleted"},
                      CancelCase{Kind::RevertEndYear, 5, "in the pass over the balance rows"},
                      CancelCase{Kind::RevertEndYear, 40, "in the pass over the ledger rows"},
                      CancelCase{Kind::RevertEndYear, 68, "giving the new account its rows"},
                      CancelCase{Kind::RevertEndYear, 69, "after the company's old year"}),
    [](const ::testing::TestParamInfo<CancelCase>& info) {
        return id(info.param.kind) + ("AtStep" + std::to_string(info.param.step));
    });

class ErrorAnswer : public ::testing::TestWithParam<FailCase> {};

// Fix and Abort roll the whole run back: the file is as it was when the run began, and
// the run went no further than the refused statement.
TEST_P(ErrorAnswer, FixAndAbortLeaveTheFileByteForByteAsItWas) {
    const FailCase f = GetParam();
    for (int answer : {zelk::Fix, zelk::Abort}) {
        TestDatabase db;
        prepare(db, f.kind);
        rawExec(db.filePath(), createTrigger(f.trigger).constData());
        ScriptedUi ui;
        ui.answerDialog(answer);
        CountingProgress progress;
        const QByteArray before = db.fileBytes();

        const Ended ended = runKind(db.cnn(), f.kind, progress);
        EXPECT_EQ(ended.outcome, answer == zelk::Fix ? RunOutcome::Fix : RunOutcome::Abort)
            << answer;
        EXPECT_EQ(progress.value(), f.refusedAt);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
        EXPECT_EQ(ui.dialogs()[0].buttons, 7);
        EXPECT_TRUE(ui.dialogs()[0].text.contains("refused by the test"));
        EXPECT_TRUE(ui.messageBoxes().empty()) << "no done message after " << answer;
        EXPECT_FALSE(ended.running);
        EXPECT_FALSE(db.cnn().inTransaction());
        EXPECT_EQ(db.fileBytes(), before) << answer;
    }
}

// Retry runs the refused statement again and the run goes on: the books end exactly
// as those of a run that met no refusal, which took the steps of the table.
TEST_P(ErrorAnswer, RetryCompletesTheRun) {
    const FailCase f = GetParam();
    QString expected;
    {
        TestDatabase reference;
        prepare(reference, f.kind);
        ScriptedUi ui;
        CountingProgress progress;
        ASSERT_EQ(runKind(reference.cnn(), f.kind, progress).outcome, RunOutcome::Done);
        EXPECT_EQ(progress.maximum(), f.steps);
        EXPECT_EQ(progress.value(), f.steps);
        expected = Books(reference).dump();
    }
    TestDatabase db;
    prepare(db, f.kind);
    rawExec(db.filePath(), createTrigger(f.trigger).constData());
    ActingUi ui;
    // the first answer is Retry while the statement still fails, which brings the
    // report back; the second time the cause is gone before Retry is answered
    ui.answerDialog(zelk::Retry).answerDialog(zelk::Retry);
    int reports = 0;
    ui.beforeDialogAnswer = [&] {
        if (++reports == 2)
            db.exec("DROP TRIGGER refuse");
    };
    zelk::NoProgress progress;
    EXPECT_EQ(runKind(db.cnn(), f.kind, progress).outcome, RunOutcome::Done);
    EXPECT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(Books(db).dump(), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryRun, ErrorAnswer, ::testing::ValuesIn(Failures),
                         [](const ::testing::TestParamInfo<FailCase>& info) {
                             return id(info.param.kind) + std::to_string(info.index);
                         });

// A full disk, an I/O error or no memory may make the engine end the whole transaction
// with the failed statement. Then nothing can be retried inside it: only Abort is
// offered, nothing more runs, and the books are as they were. When the engine undoes
// the failed statement alone (month end's statement that moves many lines), Retry stays.
// The disk fills up for real here: the file may grow by one page only.
TEST(EngineEndedTransaction, OnlyAbortIsOfferedAndTheBooksAreAsTheyWere) {
    enum Command { CloseMonth, ReopenMonth, SaveTransaction };
    for (const Command command : {CloseMonth, ReopenMonth, SaveTransaction}) {
        SCOPED_TRACE(command);
        const bool ended = command != CloseMonth; // the engine ends the transaction
        TestDatabase db;
        Books books(db);
        books.openBalancedBooks(1, 2003);
        const QString filler(300, QChar(u'x'));
        std::vector<zelk::journal::TransactionLine> lines;
        db.cnn().beginTrans();
        // The first transaction's text spills over several pages: reverting the month
        // end rebuilds it first and needs them before it has freed any history row.
        const QString spilling(3 * 4096, QChar(u'y'));
        for (int i = 0; i < 400; ++i) {
            const QString no = QStringLiteral("J%1").arg(i, 3, 10, QLatin1Char('0'));
            db.exec(modDBUtil::InsertTransaction(no, "", i == 0 ? spilling : filler,
                                                 QDate(2003, 1, 10), true));
            db.exec(modDBUtil::InsertTransactionDetail(no, "1000", 1, money("1")));
            db.exec(modDBUtil::InsertTransactionDetail(no, "5000", 2, money("-1")));
            lines.push_back({i % 2 ? "1000" : "5000", money(i % 2 ? "1" : "-1")});
        }
        db.cnn().commitTrans();
        zelk::NoProgress progress;
        if (command == ReopenMonth) {
            ScriptedUi quiet;
            EndMonth close(db.cnn(), progress);
            ASSERT_EQ(close.run(1), RunOutcome::Done);
        }
        db.exec("VACUUM"); // no free pages left to fill
        const qint64 pages = db.scalar("PRAGMA page_count");
        db.exec(QStringLiteral("PRAGMA max_page_count=[%1]").arg(pages + 1));
        const QByteArray before = db.fileBytes();

        ScriptedUi ui;
        ui.answerDialog(zelk::Abort);
        if (command == CloseMonth) {
            EndMonth run(db.cnn(), progress);
            EXPECT_EQ(run.run(1), RunOutcome::Abort);
        } else if (command == ReopenMonth) {
            RevertEndMonth run(db.cnn(), progress);
            EXPECT_EQ(run.run(1), RunOutcome::Abort);
        } else {
            EXPECT_EQ(zelk::journal::SaveTransaction(db.cnn(),
                                                     {"BIG", "", filler, QDate(2003, 2, 1)}, lines,
                                                     zelk::journal::SaveMode::Add),
                      zelk::journal::SaveOutcome::Abort);
        }
        ASSERT_EQ(ui.dialogs().size(), 1u);
        const QString text = ui.dialogs()[0].text;
        EXPECT_TRUE(text.contains("Error: 13")) << text.toStdString();
        EXPECT_EQ(ui.dialogs()[0].buttons, ended ? 4 : 7);
        EXPECT_EQ(text.contains("The database engine has rolled the whole command back; nothing "
                                "of it was saved."),
                  ended)
            << text.toStdString();
        EXPECT_TRUE(ui.messageBoxes().empty());
        EXPECT_FALSE(db.cnn().inTransaction());
        EXPECT_EQ(db.fileBytes(), before);
    }
}
