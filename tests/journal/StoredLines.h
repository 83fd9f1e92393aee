#pragma once

#include "support/TestDatabase.h"

#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// The stored lines of a transaction in Seq order: "account seq amount" (ten-thousandths).
inline QString storedLines(TestDatabase& db, const QString& no) {
    QStringList out;
    for (zelk::RowSet rs = db.query("SELECT FKID_Account, Seq, Amount FROM "
                                    "Ledger_TransactionDetails WHERE FKID_Transaction='" +
                                    no + "' ORDER BY Seq");
         !rs.eof(); rs.moveNext())
        out << QString("%1 %2 %3")
                   .arg(rs.text("FKID_Account"))
                   .arg(rs.integer("Seq"))
                   .arg(rs.integer("Amount"));
    return out.join(", ");
}
