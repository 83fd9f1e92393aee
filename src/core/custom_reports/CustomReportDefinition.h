#pragma once

#include "core/accounts/AccountLookup.h"
#include "core/data/SavingCommand.h"
#include "core/lists/ListDeletion.h"
#include "core/lists/ListModel.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zelk {

class Connection;

// One row of a custom report definition as the editor holds it. An account cell shows
// the account's name and holds the account's number, loaded or picked, so two accounts
// of the same name stay apart and an old definition keeps its bounds when saved again.
struct DefinitionRow {
    struct AccountCell {
        QString text;   // shown: the account's name (or what the user typed)
        QString number; // held: the account number; empty when only text is known
        bool isEmpty() const { return text.isEmpty() && number.isEmpty(); }
        bool operator==(const AccountCell&) const = default;
    };
    QString name;
    QString type; // "Heading", "Detail", "Total" or empty
    AccountCell start;
    AccountCell end;

    bool isEmpty() const {
        return name.isEmpty() && type.isEmpty() && start.isEmpty() && end.isEmpty();
    }
    bool operator==(const DefinitionRow&) const = default;
};

// A row as it is stored: the account bounds as numbers.
struct DefinitionLine {
    QString name, type, first, last;
};

// The editing, checking and saving of one custom report definition.
class CustomReportDefinition {
public:
    static constexpr int EntryRows = 99;
    static const QStringList RowTypes; // "Heading", "Detail", "Total"

    explicit CustomReportDefinition(Connection& cnn);

    // The report types (name and id, in database order) and the accounts.
    struct ReportType {
        QString name;
        long id;
    };
    const std::vector<ReportType>& reportTypes() const { return m_types; }
    const std::vector<accounts::AccountLookup::Account>& accounts() const {
        return m_lookup.accounts();
    }

    // Loads a saved definition; false when there is none of that name.
    bool load(const QString& name);

    QString name, title;
    long reportTypeId = 0; // 0: no type chosen
    std::vector<DefinitionRow> rows;

    // The editing rules of the row grid.
    bool canEditType(int row) const;
    bool canEditAccounts(int row) const;
    // Setting the type to "Heading" or "Total" empties the row's account cells.
    void setType(int row, const QString& type);
    void pickAccount(int row, bool end, const QString& accountNo);
    void typeAccountText(int row, bool end, const QString& text);

    // The account name of a number, and the first account of a name (empty if none).
    QString nameOf(const QString& accountNo) const;
    QString numberOfName(const QString& accountName) const;

    // Checks the input in order and reports the first failing check through the input
    // error dialog. Returns 0 (go on; invalid rows left out when the user chose
    // Ignore), 1 (fix the input) or 2 (give up); `lines` receives the rows to save.
    int validate(std::vector<DefinitionLine>& lines) const;

    // Writes the definition in one database transaction: in edit mode the old one is
    // deleted first (its rows go with it); rows are numbered 1, 2, 3 ...
    CommandOutcome save(bool editMode, const std::vector<DefinitionLine>& lines);

private:
    Connection& m_cnn;
    std::vector<ReportType> m_types;
    accounts::AccountLookup m_lookup;
};

// The custom report list: its statement, columns and deletion.
QString CustomReportListStatement();
std::vector<ListColumn> CustomReportListColumns();
ListDeletion CustomReportDeletion();

} // namespace zelk
