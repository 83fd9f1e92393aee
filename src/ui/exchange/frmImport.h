#pragma once

#include "core/exchange/CsvImport.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zelk::exchange {
class PreviewModel;
}

// The preview of an import: how the file is read (its decimal mark and date order, which
// the user may change: the file is then read again), the first rows that will be
// written, each with a check (the lines of one transaction are checked together), the
// count of the lines checked, the problems and notes by line, and Import (disabled while
// there is a problem or nothing is checked) or Cancel, which also stops a reading at once.
class frmImport : public QDialog {
    Q_OBJECT
public:
    frmImport(QWidget* parent, const QString& caption,
              std::unique_ptr<zelk::exchange::CsvImport> import);
    ~frmImport() override;

    // Reads the file and shows what came of it; false when the reading was cancelled.
    bool Load(const QString& path);
    const zelk::exchange::CsvImport& import() const { return *m_import; }

    void cmdImport_Click();
    void cmdCancel_Click();

private:
    friend class PreviewProgress;
    bool readFile();
    void showReading();
    void choiceChanged();
    void updateImport();
    void setBusy(bool busy);

    std::unique_ptr<zelk::exchange::CsvImport> m_import;
    zelk::exchange::PreviewModel* m_model;
    QString m_path;
    zelk::exchange::ImportChoices m_choices; // what the user chose in the combo boxes
    bool m_busy = false;
    bool m_cancel = false;
    QLabel* lblFile;
    QLabel* lblFormat;
    QComboBox* cmbDecimalMark;
    QComboBox* cmbDateOrder;
    QTableView* grdPreview;
    QPlainTextEdit* txtProblems;
    QLabel* lblCount;
    QProgressBar* pbStatus;
    QPushButton* cmdImport;
    QPushButton* cmdCancel;
};
