#include "frmCustomReports.h"

#include "core/custom_reports/CustomReportDefinition.h"
#include "frmCustomReport.h"
#include "frmCustomReportPrint.h"

ListWindowSpec frmCustomReports::Spec() {
    ListWindowSpec s;
    s.objectName = QStringLiteral("frmCustomReports");
    s.caption = QStringLiteral("Custom Reports");
    s.statement = zelk::CustomReportListStatement();
    s.columns = zelk::CustomReportListColumns();
    s.buttonWidthTwips = 1308;
    s.busyPointer = false;
    s.buttons = {
        {QStringLiteral("&Add"), 48, ListButton::Add, {}},
        {QStringLiteral("&Edit"), 1368, ListButton::Edit, {}},
        {QStringLiteral("&Delete"), 2688, ListButton::Delete, {}},
        // Print asks for the month of the current row's definition (with no row, the
        // build says "No data").
        {QStringLiteral("&Print"), 4008, ListButton::Custom,
         [](ListWindow& list) {
             frmCustomReportPrint window(&list);
             window.PrintCustomReport(list.currentKey());
         }},
        {QStringLiteral("&Close"), 5328, ListButton::Close, {}},
    };
    s.add = [](QWidget* parent) {
        frmCustomReport editor(parent);
        editor.Add();
    };
    s.edit = [](QWidget* parent, const QString& key) {
        frmCustomReport editor(parent);
        editor.Edit(key);
    };
    s.deletion = zelk::CustomReportDeletion();
    return s;
}

frmCustomReports::frmCustomReports(QWidget* parent) : ListWindow(Spec(), parent) {}
