#include "core/data/Connection.h"
#include "support/TestDatabase.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The recent books and every other setting go to a folder of this test program's own,
    // not the user's, nor one that test programs running beside it write at the same time.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    QApplication app(argc, argv);
    // A passphrase's key derivation costs a second at the real rounds: the tests that
    // open books under one use a cheap derivation, unless they ask for the real one.
    zelk::Connection::setPassphraseRounds(TestPassphraseRounds);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
