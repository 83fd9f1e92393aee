#pragma once

#include "core/data/Errors.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace zelk {

class Connection;

// What a list window needs to delete its current record: the question, the statements
// (run in order in one database transaction), and optionally a reason to refuse the
// deletion before asking and a readable description of a statement the database refuses.
struct ListDeletion {
    std::function<QString(const QString& key)> question;
    std::function<QStringList(const QString& key)> statements;
    // The text of a message box when the record may not be deleted; empty allows it.
    std::function<QString(Connection& cnn, const QString& key)> refusal;
    // A description to show instead of the engine's words; empty keeps them.
    std::function<QString(const QString& key, const DbError& error, const QString& sql)> describe;
};

enum class DeletionOutcome {
    Refused,  // a message box said why; nothing was asked or written
    Declined, // the user answered No
    Deleted,  // committed
    Fix,      // a refused statement, answered Fix: rolled back
    Abort,    // a refused statement, answered Abort: rolled back
};

// The confirmed deletion of one record: the refusal check, the Yes/No question titled
// with the window's title, then the statements in one database transaction (a refused
// statement: the database error report; Retry repeats it, Fix and Abort roll back).
DeletionOutcome RunListDeletion(Connection& cnn, const ListDeletion& deletion, const QString& key,
                                const QString& title);

} // namespace zelk
