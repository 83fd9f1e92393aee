#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "support/GuiHelpers.h"
#include "ui/books/PassphraseStrength.h"
#include "ui/shell/QtUserInterface.h"
#include "ui/shell/frmMain.h"
#include "ui/shell/modMain.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString Secret = QStringLiteral("Grüße aus Köln, 日本");

// Types text key by key; a letter that has no key of its own comes as the key event a
// keyboard layout or input method would send: no key code, the letter as its text.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, char(c.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

// The program started as main() starts it, in a folder of its own.
class Safekeeping : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QtUserInterface dialogs;

    void SetUp() override {
        zelk::setUserInterface(&dialogs);
        zelk::setProgramFolder(dir.path());
    }
    void TearDown() override {
        if (modMain::mainWindow())
            modMain::mainWindow()->close();
        pumpEvents();
        zelk::setUserInterface(nullptr);
    }
    // Answers the next message box with its default button and keeps its text.
    void answerMessage(QString& text, QMessageBox::StandardButton button = QMessageBox::Ok) {
        onNextModal([&text, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            text = box->text();
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
    }
    // Types the passphrase into the start-up window and presses Enter; `note` gets the
    // window's note.
    static void typePassphrase(QWidget* w, const QString& passphrase, QString& note) {
        note = child<QLabel>(w, "lblNote")->isVisibleTo(w) ? child<QLabel>(w, "lblNote")->text()
                                                           : QString();
        expectFramesLaidOut(w);
        auto* box = child<QLineEdit>(w, "txtPassphrase");
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(child<QLabel>(w, "lblFile")->text().endsWith(".mdb"));
        typeText(box, passphrase);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

} // namespace

TEST_F(Safekeeping, StartUpAsksAgainAfterAWrongPassphraseAndEndsOnCancel) {
    zelk::Connection::open(dir.path())->rekey(Secret.toUtf8());
    QString first = "unset", second = "unset";
    onNextModal([&](QWidget* w) {
        onNextModal([&](QWidget* again) { typePassphrase(again, Secret, second); });
        typePassphrase(w, "wrong", first);
    });
    ASSERT_EQ(modMain::Main(), 0);
    EXPECT_EQ(first, "");
    EXPECT_EQ(second, "Wrong passphrase.");
    ASSERT_NE(zelk::g_cnn, nullptr);
    EXPECT_TRUE(zelk::g_cnn->keyIs(Secret.toUtf8()));
    modMain::mainWindow()->close();
    pumpEvents();

    onNextModal([](QWidget* w) { clickButton(w, "cmdCancel"); });
    EXPECT_EQ(modMain::Main(), 1);
    EXPECT_EQ(modMain::mainWindow(), nullptr);
}

// The new passphrase's strength shows as it is typed; a weak one is asked about, and No
// leaves the window open with the books as they were.
TEST_F(Safekeeping, ChangePassphraseFromTheFileMenu) {
    ASSERT_EQ(modMain::Main(), 0);
    QString strength, question, told;
    onNextModal([&](QWidget* w) {
        EXPECT_FALSE(child<QLineEdit>(w, "txtCurrent")->isEnabled());
        typeText(child<QLineEdit>(w, "txtNew"), "Kestrel2004");
        strength = child<QLabel>(w, "lblStrength")->text();
        typeText(child<QLineEdit>(w, "txtConfirm"), "Kestrel2004");
        onNextModal([&](QWidget* box) {
            question = qobject_cast<QMessageBox*>(box)->text();
            QTest::mouseClick(qobject_cast<QMessageBox*>(box)->button(QMessageBox::No),
                              Qt::LeftButton);
            EXPECT_TRUE(zelk::g_cnn->usesProgramKey());
            EXPECT_TRUE(child<QLineEdit>(w, "txtNew")->text().isEmpty());
            typeText(child<QLineEdit>(w, "txtNew"), Secret);
            typeText(child<QLineEdit>(w, "txtConfirm"), Secret);
            EXPECT_TRUE(child<QLabel>(w, "lblStrength")->text().startsWith("Strength: strong."));
            answerMessage(told);
            clickButton(w, "cmdOk");
        });
        clickButton(w, "cmdOk");
    });
    modMain::mainWindow()->action("mnuChangePassphrase")->trigger();
    EXPECT_EQ(strength, "Strength: very weak. It could be guessed in about 4 minutes by a "
                        "guessing program: it is a common word or password.");
    EXPECT_EQ(question, "This passphrase could be guessed in about 4 minutes by a guessing "
                        "program. Use it anyway?");
    EXPECT_TRUE(told.startsWith("Done: the file is encrypted with the new passphrase."))
        << told.toStdString();
    EXPECT_TRUE(zelk::g_cnn->keyIs(Secret.toUtf8()));

    // a wrong current passphrase is told, and the window stays open with empty boxes
    onNextModal([&](QWidget* w) {
        auto* current = child<QLineEdit>(w, "txtCurrent");
        EXPECT_TRUE(current->isEnabled());
        QTest::keyClicks(current, "not it");
        onNextModal([&](QWidget* box) {
            told = qobject_cast<QMessageBox*>(box)->text();
            QTest::keyClick(box, Qt::Key_Return);
            EXPECT_TRUE(w->isVisible());
            EXPECT_TRUE(current->text().isEmpty());
            clickButton(w, "cmdCancel");
        });
        clickButton(w, "cmdOk");
    });
    modMain::mainWindow()->action("mnuChangePassphrase")->trigger();
    EXPECT_TRUE(told.startsWith("The current passphrase is wrong.")) << told.toStdString();
    EXPECT_TRUE(zelk::g_cnn->keyIs(Secret.toUtf8()));
}

// The snapshot was taken under a passphrase the books have since changed: Restore asks
// for it (a wrong one again) and brings the snapshot back under the books' new key.
TEST_F(Safekeeping, RestoreClosesTheWindowsAndBringsTheSnapshotBack) {
    ASSERT_EQ(modMain::Main(), 0);
    zelk::Connection& cnn = *zelk::g_cnn;
    cnn.execute(modDBUtil::InsertAccount("1000", "Cash", 1, ""));
    cnn.rekey("old");
    zelk::snapshots::take(cnn, zelk::snapshots::Step::EndYear);
    cnn.rekey(Secret.toUtf8());
    cnn.execute(modDBUtil::DeleteAccount("1000"));
    // a damaged one is listed but cannot be restored
    QFile broken(zelk::snapshots::folderOf(cnn) + "/Zelk-2001-01-01-000000-before-new-company.mdb");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(3000, 'x'));
    broken.close();
    modMain::mainWindow()->ClickMenu(9); // an account list
    ASSERT_EQ(modMain::mainWindow()->mdiArea()->subWindowList().size(), 1);

    QString question, done, note;
    onNextModal([&](QWidget* w) {
        auto* grid = child<QTableWidget>(w, "grdSnapshots");
        expectFramesLaidOut(w, "grd");
        EXPECT_GT(child<QPushButton>(w, "cmdRestore")->x(),
                  child<QWidget>(w, "fraConfirm")->width() / 2)
            << "the buttons sit at the right";
        EXPECT_EQ(grid->rowCount(), 2);
        EXPECT_EQ(grid->item(0, 1)->text(), "End Year");
        EXPECT_TRUE(grid->item(0, 2)->text().startsWith("Another key: Restore asks"));
        EXPECT_TRUE(grid->item(1, 2)->text().startsWith("Cannot be opened: damaged"));
        QTest::keyClick(grid, Qt::Key_Down);
        EXPECT_FALSE(child<QPushButton>(w, "cmdRestore")->isEnabled());
        QTest::keyClick(grid, Qt::Key_Up);
        onNextModal([&](QWidget* first) {
            onNextModal([&](QWidget* again) {
                onNextModal([&](QWidget* box) {
                    question = qobject_cast<QMessageBox*>(box)->text();
                    answerMessage(done);
                    QTest::mouseClick(qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes),
                                      Qt::LeftButton);
                });
                typePassphrase(again, "old", note);
            });
            typePassphrase(first, Secret, note);
        });
        clickButton(w, "cmdRestore");
    });
    modMain::mainWindow()->action("mnuRestoreSnapshot")->trigger();
    EXPECT_EQ(note, "Wrong passphrase.");
    EXPECT_TRUE(question.startsWith("Replace the books with the snapshot of "))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QString("fiscal year %1").arg(QDate::currentDate().year())));
    EXPECT_TRUE(cnn.keyIs(Secret.toUtf8()));
    EXPECT_TRUE(done.startsWith("The books have been restored")) << done.toStdString();
    pumpEvents();
    EXPECT_TRUE(modMain::mainWindow()->mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(cnn.execute("SELECT Count(*) FROM Ledger_Accounts").value(0).toInt(), 1);
}

TEST(PassphraseStrength, TellsTheTimeInItsLargestUnit) {
    const double year = 365.25 * 86400;
    const std::pair<double, const char*> rows[] = {
        {0.4, "less than a second"},       {1, "about 1 second"},
        {3 * 3600 + 600, "about 3 hours"}, {45 * 86400, "about 1 month"},
        {230 * year, "about 2 centuries"}, {2e5 * year, "more than a hundred thousand years"}};
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(zelk::strength::durationText(seconds), text) << seconds;
}

// File → Check Books…: Enter runs the full check; an unbalanced journal entry is told.
TEST_F(Safekeeping, CheckBooksFromTheFileMenuTellsWhatItFound) {
    ASSERT_EQ(modMain::Main(), 0);
    for (const bool unbalanced : {false, true}) {
        SCOPED_TRACE(unbalanced ? "an unbalanced entry" : "balanced books");
        if (unbalanced) {
            zelk::g_cnn->execute(modDBUtil::InsertAccount("1000", "Cash", 1, ""));
            zelk::g_cnn->execute(
                modDBUtil::InsertTransaction("T1", "", "", QDate(2004, 1, 5), false));
            zelk::g_cnn->execute(
                modDBUtil::InsertTransactionDetail("T1", "1000", 1, zelk::Amount::fromRaw(5)));
        }
        QString result;
        onNextModal([&](QWidget* w) {
            QTest::keyClick(w, Qt::Key_Return);
            result = child<QPlainTextEdit>(w, "txtResult")->toPlainText();
            clickButton(w, "cmdClose");
        });
        modMain::mainWindow()->action("mnuCheckBooks")->trigger();
        EXPECT_TRUE(result.startsWith("Integrity: ok\n")) << result.toStdString();
        EXPECT_TRUE(result.endsWith(unbalanced ? "Unbalanced transactions: 1\nBooks balance: no\n"
                                                 "Unbalanced: T1 of 2004-01-05: debits 0.0005 "
                                                 "and credits 0.00"
                                               : "Books balance: yes"))
            << result.toStdString();
    }
}
