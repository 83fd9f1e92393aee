#include "ReportSave.h"

#include "modRptUtil.h"

namespace zelk::reports {

SaveFormat SaveFormatOf(const QString& fileName) {
    const QString ending = fileName.right(3).toUpper();
    if (ending == QLatin1String("RTF"))
        return SaveFormat::Rtf;
    if (ending == QLatin1String("PDF"))
        return SaveFormat::Pdf;
    return SaveFormat::Text;
}

QByteArray PlainTextBytes(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    bool lossless = true;
    QByteArray bytes = modRptUtil::ToWindows1252(text, &lossless);
    if (lossless)
        return bytes;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace zelk::reports
