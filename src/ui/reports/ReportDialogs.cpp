#include "ReportDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <algorithm>

namespace {

class RealReportDialogs : public ReportDialogs {
public:
    SaveChoice chooseSaveFile(QWidget* parent) override {
        QFileDialog dlg(parent, QStringLiteral("Save Report"));
        dlg.setObjectName(QStringLiteral("dlgReport"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        // The user's documents, not the program folder.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        dlg.setDirectory(QDir(documents).exists() ? documents : QDir::homePath());
        using zelk::reports::SaveFormat;
        const QStringList filters = {QStringLiteral("Text File (*.txt)"),
                                     QStringLiteral("Rich Text (*.rtf)"),
                                     QStringLiteral("PDF (*.pdf)")};
        const SaveFormat types[] = {SaveFormat::Text, SaveFormat::Rtf, SaveFormat::Pdf};
        dlg.setNameFilters(filters);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return {};
        const qsizetype chosen = std::max<qsizetype>(0, filters.indexOf(dlg.selectedNameFilter()));
        return {dlg.selectedFiles().first(), types[chosen]};
    }

    bool choosePrinter(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dlg(&printer, parent);
        dlg.setObjectName(QStringLiteral("dlgReport"));
        // No choice of page numbers; the selection only when there is one.
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dlg.setOption(QAbstractPrintDialog::PrintSelection,
                      printer.printRange() == QPrinter::Selection);
        return dlg.exec() == QDialog::Accepted;
    }
};

RealReportDialogs s_real;
ReportDialogs* s_dialogs = nullptr;

} // namespace

ReportDialogs& reportDialogs() {
    return s_dialogs ? *s_dialogs : s_real;
}

void setReportDialogs(ReportDialogs* dialogs) {
    s_dialogs = dialogs;
}
