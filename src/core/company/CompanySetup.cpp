#include "CompanySetup.h"

#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"
#include "core/data/modUtils.h"

namespace zelk::company {

namespace {

const QString NewCompanySource = QStringLiteral("New Company");
const QString CompanySource = QStringLiteral("Company");

ErrorRecord inputError(const QString& source, const char* message) {
    return {1, source, QString::fromLatin1(message)};
}

// The three required contact fields, checked in the windows' order.
std::optional<ErrorRecord> checkRequired(const QString& source, const QString& name,
                                         const QString& address, const QString& phone) {
    if (name.isEmpty())
        return inputError(source, "Company's name is missing.");
    if (address.isEmpty())
        return inputError(source, "Company's address is missing.");
    if (phone.isEmpty())
        return inputError(source, "Company's phone no. is missing.");
    return std::nullopt;
}

// The answer to a reported input error: Abort gives the save up (2); any other
// answer the dialog allows here is Fix (1).
int validationResult(const std::optional<ErrorRecord>& failure) {
    if (!failure)
        return 0;
    return modErrors::ShowInputErrorMessage(*failure) == Abort ? 2 : 1;
}

CommandOutcome afterValidation(int result) {
    return result == 2 ? CommandOutcome::Abort : CommandOutcome::Fix;
}

} // namespace

int BeginPeriodOf(int financialPeriodBegin, int startMonth) {
    std::int16_t periods = 0;
    bool sameYear = false;
    modUtils::MonthsBetween(std::int16_t(financialPeriodBegin), std::int16_t(startMonth), periods,
                            sameYear);
    return periods;
}

std::optional<ErrorRecord> CheckNewCompany(const NewCompanyInput& in) {
    if (auto failure = checkRequired(NewCompanySource, in.Name, in.Address, in.Phone))
        return failure;
    if (in.FinancialPeriodBegin < 1 || in.FinancialPeriodBegin > 12)
        return inputError(NewCompanySource, "Financial Period Start is missing.");
    if (in.StartYear == 0)
        return inputError(NewCompanySource, "Year Start is missing.");
    if (in.StartMonth < 1 || in.StartMonth > 12)
        return inputError(NewCompanySource, "Period Start is missing.");
    return std::nullopt;
}

int ValidateCompany(const NewCompanyInput& input) {
    return validationResult(CheckNewCompany(input));
}

CommandOutcome SaveNewCompany(Connection& cnn, const NewCompanyInput& in) {
    using namespace modDBUtil;
    const int beginPeriod = BeginPeriodOf(in.FinancialPeriodBegin, in.StartMonth);
    return runSavingCommand(cnn, [&](StatementRunner& run) {
        // Lines and custom report rows go with their headers; the reference tables and
        // the company row stay.
        run.run(DeleteAllAccountBalanceHistories());
        run.run(DeleteAllAccountBalances());
        run.run(DeleteAllGeneral());
        run.run(DeleteAllGeneralHistories());
        run.run(DeleteAllTransactions());
        run.run(DeleteAllTransactionHistories());
        run.run(DeleteAllCustomReports());
        run.run(DeleteAllAccounts());
        run.run(UpdateCompanyInfo(in.Name, in.Address, in.Phone, in.Fax, in.eMail));
        run.run(
            UpdateCompanyPeriods(beginPeriod, in.StartYear, in.StartYear, in.FinancialPeriodBegin));
    });
}

CommandOutcome NewCompanySaveCommand(Connection& cnn, const NewCompanyInput& input) {
    const int r = ValidateCompany(input);
    if (r != 0)
        return afterValidation(r);
    if (!ui().askYesNo(QStringLiteral("New Company deletes every account, transaction, ledger "
                                      "row and report definition of the current books. Go on?"),
                       NewCompanySource))
        return CommandOutcome::Fix;
    if (!snapshots::takeBefore(cnn, snapshots::Step::NewCompany))
        return CommandOutcome::Fix; // the window stays open with its input
    return SaveNewCompany(cnn, input);
}

CompanySettings LoadCompanySettings(Connection& cnn) {
    const CompanyRow row = CompanyRow::read(cnn);
    CompanySettings s;
    s.info = {row.Name, row.Address, row.Phone, row.Fax, row.Email};
    s.FinancialPeriodStart = fiscal::monthName(row.FinancialPeriodBegin);
    return s;
}

std::optional<ErrorRecord> CheckCompanyInfo(const CompanyInfo& info) {
    return checkRequired(CompanySource, info.Name, info.Address, info.Phone);
}

int ValidateCompanyInfo(const CompanyInfo& info) {
    return validationResult(CheckCompanyInfo(info));
}

CommandOutcome SaveCompanyInfo(Connection& cnn, const CompanyInfo& info) {
    return runSavingCommand(cnn, [&](StatementRunner& run) {
        run.run(modDBUtil::UpdateCompanyInfo(info.Name, info.Address, info.Phone, info.Fax,
                                             info.eMail));
    });
}

CommandOutcome CompanySaveCommand(Connection& cnn, const CompanyInfo& info) {
    const int r = ValidateCompanyInfo(info);
    if (r != 0)
        return afterValidation(r);
    return SaveCompanyInfo(cnn, info);
}

} // namespace zelk::company
