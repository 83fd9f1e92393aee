#pragma once

#include "core/exchange/CsvImport.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace zelk::exchange {
class PreviewModel;
}

// The preview of an import: the rows that will be written, each with a check (the lines
// of one transaction are checked together), the problems of the file by line, and Import
// (disabled while there is a problem or nothing is checked) or Cancel.
class frmImport : public QDialog {
    Q_OBJECT
public:
    frmImport(QWidget* parent, const QString& caption,
              std::unique_ptr<zelk::exchange::CsvImport> import);
    ~frmImport() override;

    // Reads the file and shows what came of it.
    void Load(const QString& path);
    const zelk::exchange::CsvImport& import() const { return *m_import; }

    void cmdImport_Click();

private:
    void updateImport();

    std::unique_ptr<zelk::exchange::CsvImport> m_import;
    zelk::exchange::PreviewModel* m_model;
    QLabel* lblFile;
    QTableView* grdPreview;
    QPlainTextEdit* txtProblems;
    QPushButton* cmdImport;
    QPushButton* cmdCancel;
};
