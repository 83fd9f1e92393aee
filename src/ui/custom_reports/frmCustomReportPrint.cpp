#include "frmCustomReportPrint.h"

#include "core/custom_reports/CustomReportPrint.h"

frmCustomReportPrint::frmCustomReportPrint(QWidget* parent)
    : frmRptOption(parent, QStringLiteral("frmCustomReportPrint"), QStringLiteral("Custom Report"),
                   Input::Month) {}

void frmCustomReportPrint::PrintCustomReport(const QString& ReportName) {
    m_reportName = ReportName;
    exec();
}

zelk::reports::BuildResult frmCustomReportPrint::build(zelk::reports::ReportRun& run) {
    return zelk::custom_reports::BuildCustomReport(m_reportName, month(), run);
}
