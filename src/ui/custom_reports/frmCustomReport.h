#pragma once

#include "core/custom_reports/CustomReportDefinition.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zelk::controls {
class EntryGrid;
}

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

    // Escape, Cancel and the window's frame: asks before typed input is thrown away.
    void reject() override;

private:
    void loadLists();
    void showRow(int row);
    void cmdSave_Click();
    void gridEdited(int row, int column);
    void cellChosen(int row, int column, const QString& text, const QVariant& data);
    QModelIndex nextCell(const QModelIndex& from) const;
    void readHeader();
    // The input as the editor shows it, to tell whether anything was changed.
    struct Shown {
        QString name, title;
        long type = 0;
        std::vector<zelk::DefinitionRow> rows;
        bool operator==(const Shown&) const = default;
    };
    Shown shown();
    Shown m_shown;

    std::unique_ptr<zelk::CustomReportDefinition> m_definition;
    zelk::accounts::AccountLookup m_lookupView; // the accounts, for the account cells
    bool m_editMode = false;
    bool m_success = false;
    bool m_filling = false;
    QLineEdit* txtName;
    QLineEdit* txtTitle;
    QComboBox* cmbReportType;
    zelk::controls::EntryGrid* grdDetail;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

    friend class CustomReportCellDelegate;
};
