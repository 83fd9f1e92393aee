#pragma once

#include "core/reports/ReportSave.h"
#include "core/reports/RtfReader.h"
#include "core/shared/DataTable.h"

#include <QByteArray>
#include <QDialog>
#include <QFont>

class QGroupBox;
class QPushButton;
class QTextEdit;

// The window in which every report is read, printed and saved: a command strip with
// Print and Save above a read-only view of the report document in Courier New.
class frmReport : public QDialog {
    Q_OBJECT
public:
    // The height of the command strip.
    static constexpr int CommandStripTwips = 600;

    explicit frmReport(QWidget* parent = nullptr);

    // Loads the report file and shows the window modally; returns when the user has
    // closed it. A file that cannot be read is reported and nothing is shown.
    void ShowFile(const QString& FileName);
    // Loads the report file into the view; false (after a message) when it cannot be read.
    bool LoadFile(const QString& FileName);

    // Print: the printer dialog, then the selection (when there is one) or the whole report.
    void cmdPrint_Click();
    // Save: the save dialog, then RTF, PDF or plain text: by the name's ending when it
    // is a known one, else by the chosen file type, whose extension a bare name gets.
    void cmdSave_Click();

    // Export…: the report's figures as data (set by setData; without them the button is
    // disabled), to a CSV file or a workbook.
    void setData(zelk::DataTable data);
    void cmdExport_Click();

    // The fixed-pitch font of reports: Courier New, or the system's fixed font without it.
    static QFont reportFont();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    void showDocument();
    void saveAs(const QString& fileName, zelk::reports::SaveFormat format);
    void failed(const QString& message);

    QGroupBox* fraCommand;
    QPushButton* cmdPrint;
    QPushButton* cmdSave;
    QPushButton* cmdExport;
    QGroupBox* fraReport;
    QTextEdit* rtfReport;
    QByteArray m_rtf;
    zelk::rtf::Document m_document;
    zelk::DataTable m_data;
};
