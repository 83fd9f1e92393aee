#pragma once

#include <QString>

class QWidget;

namespace zelk {
struct DataTable;
}

// The file dialogs of export and import, behind a small interface so that tests can
// choose a file without a dialog on the screen.
class ExchangeDialogs {
public:
    virtual ~ExchangeDialogs() = default;
    // The save dialog of Export… ("CSV (*.csv)", "Excel workbook (*.xlsx)"), offering
    // `suggestedName`. The chosen name, ending in .csv or .xlsx as the chosen type says
    // when the user typed no ending; empty when cancelled.
    virtual QString chooseExportFile(QWidget* parent, const QString& suggestedName) = 0;
    // The open dialog of an import ("CSV (*.csv)"); empty when cancelled.
    virtual QString chooseImportFile(QWidget* parent, const QString& title) = 0;
    // The save dialog of New Books… (create) or the open dialog of Open Books…, "Zelk
    // books (*.mdb)", starting in `folder`; a new name gets .mdb when it has no ending.
    // Empty when cancelled.
    virtual QString chooseBooksFile(QWidget* parent, bool create, const QString& folder);
};

// The dialogs in use: the real ones unless a test has installed its own.
ExchangeDialogs& exchangeDialogs();
// Installs `dialogs` (nullptr: the real dialogs again).
void setExchangeDialogs(ExchangeDialogs* dialogs);

namespace zelk::controls {

// Export…: asks for the file and writes the table as CSV or workbook by the name's
// ending. A file that cannot be written is told in a message box titled `title`.
void ExportTable(QWidget* parent, const DataTable& table, const QString& title);

} // namespace zelk::controls
