#include "TransactionEntry.h"

#include "data/Connection.h"
#include "data/FiscalCalendar.h"
#include "data/modDBUtil.h"
#include "data/modErrors.h"

namespace zelk::journal {

namespace {
const QString Source = QStringLiteral("Ledger Transaction");

bool isBlank(const LineCells& row) {
    for (const QString& cell : row)
        if (!cell.isEmpty())
            return false;
    return true;
}
} // namespace

QString InvalidAccountText() {
    return QStringLiteral("Invalid Account");
}

void AfterEdit(LineCells& row, int column, const AccountLookup& lookup) {
    switch (column) {
    case ColAccountNo: {
        const AccountLookup::Account* a = lookup.findNo(row[ColAccountNo]);
        row[ColAccountName] = a ? a->AccountName : InvalidAccountText();
        break;
    }
    case ColAccountName:
        if (const AccountLookup::Account* a = lookup.findName(row[ColAccountName]))
            row[ColAccountNo] = a->AccountNo;
        break;
    case ColDebit:
        if (!Amount::valueOf(row[ColDebit]).isZero())
            row[ColCredit] = QStringLiteral("0");
        break;
    case ColCredit:
        if (!Amount::valueOf(row[ColCredit]).isZero())
            row[ColDebit] = QStringLiteral("0");
        break;
    default:
        break;
    }
}

LineCheck CheckLines(const std::vector<LineCells>& rows) {
    LineCheck check;
    for (const LineCells& row : rows) {
        if (isBlank(row))
            continue;
        const Amount debit = Amount::valueOf(row[ColDebit]);
        const Amount credit = Amount::valueOf(row[ColCredit]);
        const bool invalid = row[ColAccountNo].isEmpty() || row[ColAccountName].isEmpty() ||
                             row[ColAccountName] == InvalidAccountText() ||
                             (debit.isZero() && credit.isZero());
        if (invalid) {
            ++check.invalidRows;
            continue;
        }
        check.lines.push_back({row[ColAccountNo], !debit.isZero() ? debit : -credit});
    }
    return check;
}

int ValidateTransaction(const QString& transactionNo, const std::vector<LineCells>& rows,
                        std::vector<TransactionLine>& lines) {
    lines.clear();
    try {
        if (transactionNo.isEmpty()) {
            const int answer = modErrors::ShowInputErrorMessage(
                {1, Source, QStringLiteral("Transaction no. is missing.")});
            return answer == Abort ? 2 : 1;
        }
        LineCheck check = CheckLines(rows);
        if (check.invalidRows > 0) {
            const int answer = modErrors::ShowInputErrorMessage(
                {2, Source,
                 QStringLiteral("Invalid: ") + QString::number(check.invalidRows) +
                     QStringLiteral(" row(s). Yes: fix input, No:Cancel, ")});
            if (answer == Abort)
                return 2;
            if (answer != Ignore)
                return 1;
        }
        lines = std::move(check.lines);
        return 0;
    } catch (const std::exception& e) {
        lines.clear();
        modErrors::ShowInputErrorMessage({0, Source, QString::fromUtf8(e.what())});
        return 2;
    }
}

LineCells CellsOfLine(const QString& accountNo, const QString& accountName, Amount amount) {
    LineCells cells{accountNo, accountName, QStringLiteral("0"), QStringLiteral("0")};
    if (amount > Amount())
        cells[ColDebit] = amount.toSqlText();
    else
        cells[ColCredit] = amount.abs().toSqlText();
    return cells;
}

std::optional<LoadedTransaction> LoadTransaction(Connection& cnn, const QString& transactionNo) {
    RowSet header = cnn.execute(modDBUtil::GetTransaction(transactionNo));
    if (header.eof())
        return std::nullopt;
    LoadedTransaction t;
    t.header.TransactionNo = transactionNo;
    t.header.Source = header.text(QStringLiteral("Source"));
    t.header.Description = header.text(QStringLiteral("Description"));
    t.header.DateStamp = header.date(QStringLiteral("DateStamp"));
    t.Posted = header.boolean(QStringLiteral("Posted"));
    RowSet lines = cnn.execute(modDBUtil::GetTransactionDetails(transactionNo));
    t.rows.reserve(size_t(lines.recordCount()));
    for (lines.moveFirst(); !lines.eof(); lines.moveNext())
        t.rows.push_back(CellsOfLine(lines.text(QStringLiteral("AccountNo")),
                                     lines.text(QStringLiteral("AccountName")),
                                     lines.amount(QStringLiteral("Amount"))));
    return t;
}

bool IsPosted(Connection& cnn, const QString& transactionNo) {
    RowSet header = cnn.execute(modDBUtil::GetTransaction(transactionNo));
    return !header.eof() && header.boolean(QStringLiteral("Posted"));
}

QString PostedRefusalText(const QString& transactionNo) {
    return QStringLiteral("Transaction no. ") + transactionNo +
           QStringLiteral(" is posted. Revert the posting first.");
}

QString TransactionNotFoundText(const QString& transactionNo) {
    return QStringLiteral("Transaction no. ") + transactionNo + QStringLiteral(" not found.");
}

QString HistoryRefusalText(Connection& cnn, const QString& transactionNo) {
    const CompanyRow company = CompanyRow::read(cnn);
    const int begin = company.FinancialPeriodBegin;
    RowSet dates = cnn.execute(modDBUtil::GetTransactionHistoryDates(
        transactionNo, fiscal::firstDayOfYear(begin, company.CurrentPeriodYear),
        fiscal::lastDayOfYear(begin, company.CurrentPeriodYear)));
    if (dates.eof())
        return QString();
    return QStringLiteral("Transaction no. ") + transactionNo +
           QStringLiteral(" is already in the history of ") +
           fiscal::monthOfDate(dates.date(QStringLiteral("DateStamp"))) + QStringLiteral(".");
}

SaveOutcome SaveTransaction(Connection& cnn, const TransactionHeader& h,
                            const std::vector<TransactionLine>& lines, SaveMode mode) {
    using namespace modDBUtil;
    if (mode == SaveMode::Edit && IsPosted(cnn, h.TransactionNo))
        return SaveOutcome::Posted;
    // Two transactions of one number in a year could not both be reopened by reverting
    // their month end.
    if (mode == SaveMode::Add && !HistoryRefusalText(cnn, h.TransactionNo).isEmpty())
        return SaveOutcome::InHistory;
    const CommandOutcome outcome =
        runSavingCommand(cnn, [&](StatementRunner& run) { WriteTransaction(run, h, lines, mode); });
    switch (outcome) {
    case CommandOutcome::Committed:
        return SaveOutcome::Committed;
    case CommandOutcome::Fix:
        return SaveOutcome::Fix;
    case CommandOutcome::Abort:
        break;
    }
    return SaveOutcome::Abort;
}

void WriteTransaction(StatementRunner& run, const TransactionHeader& h,
                      const std::vector<TransactionLine>& lines, SaveMode mode) {
    using namespace modDBUtil;
    if (mode == SaveMode::Edit)
        run.run(DeleteTransaction(h.TransactionNo)); // its lines go with it
    run.run(InsertTransaction(h.TransactionNo, h.Source, h.Description, h.DateStamp, false));
    int seq = 0;
    for (const TransactionLine& line : lines)
        run.run(InsertTransactionDetail(h.TransactionNo, line.AccountNo, ++seq, line.amount));
}

CommandOutcome TransactionSaveCommand(Connection& cnn, const TransactionHeader& header,
                                      const std::vector<LineCells>& rows, SaveMode mode,
                                      const QString& title) {
    try {
        // A posted transaction is refused before its input is looked at.
        if (mode == SaveMode::Edit && IsPosted(cnn, header.TransactionNo)) {
            ui().messageBox(PostedRefusalText(header.TransactionNo), title);
            return CommandOutcome::Fix;
        }
        std::vector<TransactionLine> lines;
        switch (ValidateTransaction(header.TransactionNo, rows, lines)) {
        case 1:
            return CommandOutcome::Fix;
        case 2:
            return CommandOutcome::Abort;
        default:
            break;
        }
        switch (SaveTransaction(cnn, header, lines, mode)) {
        case SaveOutcome::Committed:
            return CommandOutcome::Committed;
        case SaveOutcome::Posted:
            ui().messageBox(PostedRefusalText(header.TransactionNo), title);
            return CommandOutcome::Fix;
        case SaveOutcome::InHistory:
            ui().messageBox(HistoryRefusalText(cnn, header.TransactionNo), title);
            return CommandOutcome::Fix;
        case SaveOutcome::Fix:
            return CommandOutcome::Fix;
        case SaveOutcome::Abort:
            break;
        }
        return CommandOutcome::Abort;
    } catch (const DbError& e) { // the posted flag could not be read
        return modErrors::ShowErrorMessage(e.record()) == Abort ? CommandOutcome::Abort
                                                                : CommandOutcome::Fix;
    }
}

QString TransactionListStatement() {
    return modDBUtil::GetTransactionList();
}

std::vector<ListColumn> TransactionListColumns() {
    return {
        {QStringLiteral("Date"), 1296, QString(), QStringLiteral("DateStamp"),
         ListDisplay::ShortDate},
        {QStringLiteral("No"), 1788, QStringLiteral("TrxNo"), QStringLiteral("TransactionNo")},
        {QStringLiteral("Source"), 2160, QString(), QStringLiteral("Source")},
        {QStringLiteral("Posted"), 912, QString(), QStringLiteral("Posted"), ListDisplay::YesNo},
    };
}

ListDeletion TransactionDeletion() {
    ListDeletion d;
    d.question = [](const QString& no) {
        return QStringLiteral("Delete Transaction no. ") + no + QStringLiteral("?");
    };
    d.statements = [](const QString& no) { return QStringList{modDBUtil::DeleteTransaction(no)}; };
    d.refusal = [](Connection& cnn, const QString& no) {
        return IsPosted(cnn, no) ? PostedRefusalText(no) : QString();
    };
    return d;
}

} // namespace zelk::journal
