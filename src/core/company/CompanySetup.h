#pragma once

#include "core/data/Errors.h"
#include "core/data/SavingCommand.h"

#include <QString>
#include <optional>

namespace zelk {
class Connection;
}

// Company set-up: starting the books over (New Company) and editing the company's
// name and contact data (Company). Plain logic, driven by the two windows and by tests.
namespace zelk::company {

// What the New Company window gathers. A list with nothing chosen is 0.
struct NewCompanyInput {
    QString Name, Address, Phone, Fax, eMail;
    int FinancialPeriodBegin = 0; // month 1..12 of "Financial Period Start"
    int StartYear = 0;            // the chosen year
    int StartMonth = 0;           // month 1..12 of "Start Period"
};

// The five contact fields of the company row.
struct CompanyInfo {
    QString Name, Address, Phone, Fax, eMail;
};

// The period at which bookkeeping begins: the period of StartMonth in a fiscal year
// that starts in FinancialPeriodBegin.
int BeginPeriodOf(int financialPeriodBegin, int startMonth);

// The first failing check of the New Company input, in the window's order, as an
// input error (number 1, source "New Company"); nothing when the input is complete.
std::optional<ErrorRecord> CheckNewCompany(const NewCompanyInput& input);
// Runs the checks and reports the first failure (Fix, Abort): 0 valid, 1 fix, 2 give up.
int ValidateCompany(const NewCompanyInput& input);

// Empties every ledger table and writes the company row, in one database transaction.
// The caller has validated the input.
CommandOutcome SaveNewCompany(Connection& cnn, const NewCompanyInput& input);
// The Save command of New Company: validation, the question whether the books may be
// emptied, a snapshot of the books, then the save. Committed: close; Fix (also No to the
// question, or a snapshot that failed): stay with the input; Abort: close, nothing
// written.
CommandOutcome NewCompanySaveCommand(Connection& cnn, const NewCompanyInput& input);

// The company's contact data and the name of its fiscal start month.
struct CompanySettings {
    CompanyInfo info;
    QString FinancialPeriodStart; // "January" ... "December"
};
CompanySettings LoadCompanySettings(Connection& cnn);

// The company row keeps its required fields: an empty name, address or phone is
// refused with New Company's messages (number 1, source "Company").
std::optional<ErrorRecord> CheckCompanyInfo(const CompanyInfo& info);
int ValidateCompanyInfo(const CompanyInfo& info);
// Writes the five contact fields (empty fax or e-mail as NULL) in one transaction.
CommandOutcome SaveCompanyInfo(Connection& cnn, const CompanyInfo& info);
// The Save command of Company: validation, then the save.
CommandOutcome CompanySaveCommand(Connection& cnn, const CompanyInfo& info);

} // namespace zelk::company
