#include "AccountRecords.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"

#include <array>
#include <sqlcipher/sqlite3.h>

namespace zelk::accounts {

namespace {
const QString Source = QStringLiteral("Ledger Account");

ErrorRecord inputError(const char* message) {
    return {1, Source, QString::fromLatin1(message)};
}

int currentPeriodYear(StatementRunner& run) {
    RowSet company = run.run(modDBUtil::GetCompany());
    if (company.eof())
        throw DbError(
            {1, QStringLiteral("Zelk database"), QStringLiteral("The company row is missing.")});
    return int(company.integer(QStringLiteral("CurrentPeriodYear")));
}

// Creates the open year's general-ledger rows of the account that do not exist yet.
void ensureGeneralYear(StatementRunner& run, const QString& accountNo, int year) {
    RowSet rows = run.run(modDBUtil::GetGeneralOfAccountYear(accountNo, year));
    if (rows.isEmpty()) {
        run.run(modDBUtil::InsertGeneralYear(accountNo, year));
        return;
    }
    std::array<bool, 13> present{};
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const auto period = rows.integer(QStringLiteral("Period"));
        if (period >= 1 && period <= 12)
            present[size_t(period)] = true;
    }
    for (int p = 1; p <= 12; ++p)
        if (!present[size_t(p)])
            run.run(modDBUtil::InsertGeneral(accountNo, year, p, Amount(), Amount()));
}
} // namespace

std::vector<AccountClass> LoadAccountClasses(Connection& cnn) {
    RowSet rs = cnn.execute(modDBUtil::GetAccountClasses());
    std::vector<AccountClass> out;
    out.reserve(size_t(rs.recordCount()));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out.push_back(
            {long(rs.integer(QStringLiteral("AccountClassID"))), rs.text(QStringLiteral("Name"))});
    return out;
}

int FindClassIndex(const std::vector<AccountClass>& classes, long accountClassId) {
    for (size_t i = 0; i < classes.size(); ++i)
        if (classes[i].AccountClassID == accountClassId)
            return int(i);
    return -1;
}

std::optional<AccountFields> LoadAccount(Connection& cnn, const QString& accountNo) {
    const int year = CompanyRow::read(cnn).CurrentPeriodYear;
    RowSet account = cnn.execute(modDBUtil::GetAccount(accountNo));
    if (account.eof())
        return std::nullopt;
    AccountFields f;
    f.AccountNo = accountNo;
    f.AccountName = account.text(QStringLiteral("AccountName"));
    f.Notes = account.text(QStringLiteral("Notes"));
    if (!account.isNull(QStringLiteral("AccountClassID")))
        f.AccountClassID = long(account.integer(QStringLiteral("AccountClassID")));
    RowSet balance = cnn.execute(modDBUtil::GetAccountBalance(accountNo, year));
    f.BeginningBalance =
        (balance.eof() ? Amount() : balance.amount(QStringLiteral("BeginningBalance")))
            .formatEntry();
    return f;
}

QString AccountNotFoundText(const QString& accountNo) {
    return QStringLiteral("Account no. ") + accountNo + QStringLiteral(" not found.");
}

std::optional<ErrorRecord> CheckAccount(const AccountFields& f) {
    if (f.AccountNo.isEmpty())
        return inputError("Account no. is missing.");
    if (f.AccountName.isEmpty())
        return inputError("Account name is missing.");
    if (!f.AccountClassID)
        return inputError("Account class is missing.");
    if (!Amount::parse(f.BeginningBalance))
        return inputError("Beginning balance is invalid.");
    return std::nullopt;
}

int ValidateAccount(const AccountFields& fields) {
    const std::optional<ErrorRecord> failure = CheckAccount(fields);
    if (!failure)
        return 0;
    return modErrors::ShowInputErrorMessage(*failure) == Abort ? 2 : 1;
}

CommandOutcome SaveAccount(Connection& cnn, const AccountFields& f, EditorMode mode) {
    return runSavingCommand(cnn, [&](StatementRunner& run) { WriteAccount(run, f, mode); });
}

void WriteAccount(StatementRunner& run, const AccountFields& f, EditorMode mode) {
    using namespace modDBUtil;
    const Amount beginning = Amount::parse(f.BeginningBalance).value_or(Amount());
    const long classId = f.AccountClassID.value_or(0);
    const int year = currentPeriodYear(run);
    if (mode == EditorMode::Add) {
        run.run(InsertAccount(f.AccountNo, f.AccountName, classId, f.Notes));
        run.run(InsertAccountBalance(f.AccountNo, year, beginning));
        run.run(InsertGeneralYear(f.AccountNo, year));
        return;
    }
    run.run(UpdateAccount(f.AccountNo, f.AccountName, classId, f.Notes));
    if (run.run(GetAccountBalance(f.AccountNo, year)).isEmpty())
        run.run(InsertAccountBalance(f.AccountNo, year, beginning));
    else
        run.run(UpdateAccountBalanceColumn(f.AccountNo, year, 0, beginning));
    ensureGeneralYear(run, f.AccountNo, year);
}

CommandOutcome AccountSaveCommand(Connection& cnn, const AccountFields& fields, EditorMode mode) {
    switch (ValidateAccount(fields)) {
    case 0:
        return SaveAccount(cnn, fields, mode);
    case 2:
        return CommandOutcome::Abort;
    default:
        return CommandOutcome::Fix;
    }
}

QString AccountListStatement() {
    return modDBUtil::GetAccountsWithClass();
}

std::vector<ListColumn> AccountListColumns() {
    return {
        {QStringLiteral("No"), 912, QStringLiteral("AccountNo"), QStringLiteral("AccountNo")},
        {QStringLiteral("Name"), 3648, QString(), QStringLiteral("AccountName")},
        {QStringLiteral("Class"), 1548, QString(), QStringLiteral("AccountClass")},
    };
}

QString AccountInUseText(const QString& accountNo) {
    return QStringLiteral("Account ") + accountNo +
           QStringLiteral(" is still used by transactions or ledger history and cannot be "
                          "deleted.");
}

ListDeletion AccountDeletion() {
    ListDeletion d;
    d.question = [](const QString& no) {
        return QStringLiteral("Delete account no ") + no + QStringLiteral("?");
    };
    d.statements = [](const QString& no) {
        return QStringList{modDBUtil::DeleteGeneralOfAccount(no),
                           modDBUtil::DeleteAccountBalances(no), modDBUtil::DeleteAccount(no)};
    };
    d.describe = [](const QString& no, const DbError& e, const QString&) {
        return e.number() == SQLITE_CONSTRAINT_FOREIGNKEY ? AccountInUseText(no) : QString();
    };
    return d;
}

} // namespace zelk::accounts
