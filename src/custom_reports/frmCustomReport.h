#pragma once

#include "CustomReportDefinition.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The custom report definition editor: name, title, type, and 99 rows of headings,
// account-range details and totals.
class frmCustomReport : public QDialog {
    Q_OBJECT
public:
    explicit frmCustomReport(QWidget* parent = nullptr);
    ~frmCustomReport() override;

    // Opens empty / on the definition of that name, modally; returns when it closes.
    void Add();
    void Edit(const QString& ReportName);
    bool Success() const { return m_success; }

    zelk::CustomReportDefinition& definition() { return *m_definition; }

private:
    void loadLists();
    void showRow(int row);
    void cmdSave_Click();
    void gridEdited(int row, int column);
    void cellChosen(int row, int column, const QString& text, const QVariant& data);

    std::unique_ptr<zelk::CustomReportDefinition> m_definition;
    bool m_editMode = false;
    bool m_success = false;
    bool m_filling = false;
    QLineEdit* txtName;
    QLineEdit* txtTitle;
    QComboBox* cmbReportType;
    QTableWidget* grdDetail;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

    friend class CustomReportCellDelegate;
};
