// zelk-cli bank: a statement imported from a script, with its exit codes.
#include "support/TestDatabase.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct Result {
    int code;
    QString out, err;
};

Result cli(const QString& folder, QStringList args) {
    QProcess p;
    p.setChildProcessModifier([] { setsid(); });
    args = QStringList{"--file", folder} + args;
    p.start(QStringLiteral(ZELK_CLI), args);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(BankCli, ImportWithRulesAndProfileAndItsExitCodes) {
    QTemporaryDir dir;
    const QString f = dir.path();
    const QString data = QStringLiteral(ZELK_BANK_DATA "/");
    writeFile(dir.filePath("chart.csv"), "AccountNo,AccountName,Class,BeginningBalance\n"
                                         "1200,Bank,1,1000\n3000,Capital,3,-1000\n"
                                         "5000,Sales,5,\n6100,Energy,6,\n6200,Wages,6,\n");
    ASSERT_EQ(cli(f, {"accounts", "import", dir.filePath("chart.csv")}).code, 0);

    // bad usage: 2; a refusal: 1
    EXPECT_EQ(cli(f, {"bank", "import", data + "german.csv"}).code, 2); // no --account
    EXPECT_EQ(cli(f, {"bank", "profile", "set", "--account", "1200", "--date", "D"}).code, 2);
    EXPECT_EQ(cli(f, {"bank", "rule", "list", "--account", "6100"}).code, 1); // not a bank
    const std::pair<QStringList, const char*> unknown[] = {
        {{"bank", "frobnicate"},
         "bank: frobnicate is not a command of bank (import, rule, "
         "profile)."},
        {{"bank", "rule", "drop", "1"},
         "bank rule: drop is not a command of bank rule (add, "
         "list, remove)."},
        {{"bank", "profile"}, "bank profile: a command is needed (set, show)."},
    };
    for (const auto& [words, said] : unknown) {
        const Result r = cli(f, words);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err.trimmed(), said);
    }
    const Result noProfile = cli(f, {"bank", "import", data + "german.csv", "--account", "1200"});
    EXPECT_EQ(noProfile.code, 1);
    EXPECT_TRUE(noProfile.err.contains("bank profile set")) << noProfile.err.toStdString();

    ASSERT_EQ(cli(f, {"bank",
                      "profile",
                      "set",
                      "--account",
                      "1200",
                      "--date",
                      "Buchungstag",
                      "--amount",
                      "Betrag (EUR)",
                      "--counterparty",
                      "Empfänger/Auftraggeber",
                      "--text",
                      "Verwendungszweck",
                      "--reference",
                      "Referenz",
                      "--balance",
                      "Saldo (EUR)",
                      "--date-format",
                      "dd.MM.yyyy",
                      "--decimal-mark",
                      ",",
                      "--separator",
                      ";",
                      "--encoding",
                      "windows-1252",
                      "--skip",
                      "3",
                      "--prefix",
                      "BK"})
                  .code,
              0);
    EXPECT_TRUE(cli(f, {"bank", "profile", "show", "--account", "1200"})
                    .out.contains("Decimal mark: ,\nSeparator: ;\nEncoding: windows-1252\n"));
    for (const auto& [match, to] :
         {std::pair{"Stadtwerke", "6100"}, {"Lohn", "6200"}, {"Muster", "5000"}, {"gone", "5000"}})
        ASSERT_EQ(
            cli(f, {"bank", "rule", "add", "--account", "1200", "--match", match, "--to", to}).code,
            0);
    EXPECT_EQ(cli(f, {"bank", "rule", "remove", "--account", "1200", "4"}).code, 0);
    EXPECT_EQ(cli(f, {"bank", "rule", "list", "--account", "1200"}).out,
              "1  counterparty or text contains \"Stadtwerke\" -> 6100\n"
              "2  counterparty or text contains \"Lohn\" -> 6200\n"
              "3  counterparty or text contains \"Muster\" -> 5000\n");

    // Without --yes nothing is written; with it the lines that have an account are, and
    // the two without one are left: exit 1. Again: the five are duplicates now.
    const Result preview = cli(f, {"bank", "import", data + "german.csv", "--account", "1200"});
    EXPECT_EQ(preview.code, 1);
    EXPECT_TRUE(preview.out.contains("   3  2026-03-05         -120.00  Anna Berg: Lohn März -> "
                                     "6200 (rule 2)  new\n"))
        << preview.out.toStdString();
    EXPECT_TRUE(preview.out.contains("The statement closes at 1,236,767.79; the books will "
                                     "close at 2,200.00, a difference of 1,234,567.79"));
    const Result written =
        cli(f, {"bank", "import", data + "german.csv", "--account", "1200", "--yes"});
    EXPECT_EQ(written.code, 1);
    EXPECT_TRUE(written.err.contains("5 line(s) imported.\nLeft, not written (2):"))
        << written.err.toStdString();
    const Result again = cli(f, {"bank", "import", data + "camt053.xml", "--account", "1200"});
    EXPECT_EQ(again.out.count("  duplicate\n"), 5) << again.out.toStdString();
    EXPECT_TRUE(cli(f, {"transactions", "export", "-"})
                    .out.contains("\"BK00005\",\"2026-03-06\",\"REF-0004\",\"Stadtwerke Nord: "
                                  "Rücklastschrift Abschlag\",\"1200\",\"45.90\",\"0.00\""));
    // a damaged file: refused, nothing written
    writeFile(dir.filePath("cut.xml"), readFile(data + "camt053.xml").left(900));
    const Result cut =
        cli(f, {"bank", "import", dir.filePath("cut.xml"), "--account", "1200", "--yes"});
    EXPECT_EQ(cut.code, 1);
    EXPECT_TRUE(cut.err.contains("The CAMT.053 file is damaged")) << cut.err.toStdString();
    EXPECT_TRUE(cli(f, {"check"}).out.contains("Transactions in the journal: 5\n"));
}
