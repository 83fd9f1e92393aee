#include "ExchangeDialogs.h"

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "core/exchange/TableExport.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

const QString CsvFilter = QStringLiteral("CSV (*.csv)");
const QString XlsxFilter = QStringLiteral("Excel workbook (*.xlsx)");

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

class RealExchangeDialogs : public ExchangeDialogs {
public:
    QString chooseExportFile(QWidget* parent, const QString& suggestedName) override {
        QFileDialog dlg(parent, QStringLiteral("Export"));
        dlg.setObjectName(QStringLiteral("dlgExport"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setDirectory(documentsFolder());
        dlg.setNameFilters({CsvFilter, XlsxFilter});
        dlg.selectFile(suggestedName);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return QString();
        QString name = dlg.selectedFiles().first();
        if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) &&
            !name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
            name += dlg.selectedNameFilter() == XlsxFilter ? QStringLiteral(".xlsx")
                                                           : QStringLiteral(".csv");
        return name;
    }

    QString chooseImportFile(QWidget* parent, const QString& title) override {
        return QFileDialog::getOpenFileName(parent, title, documentsFolder(),
                                            CsvFilter + QStringLiteral(";;All files (*)"));
    }
};

RealExchangeDialogs s_real;
ExchangeDialogs* s_dialogs = nullptr;

} // namespace

ExchangeDialogs& exchangeDialogs() {
    return s_dialogs ? *s_dialogs : s_real;
}

void setExchangeDialogs(ExchangeDialogs* dialogs) {
    s_dialogs = dialogs;
}

namespace zelk::controls {

void ExportTable(QWidget* parent, const DataTable& table, const QString& title) {
    const QString name = table.title.isEmpty() ? QStringLiteral("export") : table.title;
    const QString file = exchangeDialogs().chooseExportFile(parent, name + QStringLiteral(".csv"));
    if (file.isEmpty())
        return;
    try {
        exchange::WriteTable(table, file, g_cnn);
    } catch (const exchange::ExportError& e) {
        ui().messageBox(e.message(), title);
    }
}

} // namespace zelk::controls
