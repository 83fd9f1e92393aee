#include "core/data/Connection.h"
#include "support/TestDatabase.h"
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A passphrase's key derivation costs a second at the real rounds: the tests that
    // open books under one use a cheap derivation, unless they ask for the real one.
    zelk::Connection::setPassphraseRounds(TestPassphraseRounds);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
