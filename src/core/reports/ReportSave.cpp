#include "ReportSave.h"

#include "core/shared/TextEncoding.h"
#include "modRptUtil.h"

#include <QFileInfo>

namespace zelk::reports {

bool KnownSaveFormat(const QString& fileName, SaveFormat* format) {
    for (SaveFormat f : {SaveFormat::Rtf, SaveFormat::Pdf, SaveFormat::Text})
        if (fileName.endsWith(SaveExtension(f), Qt::CaseInsensitive)) {
            if (format)
                *format = f;
            return true;
        }
    return false;
}

QString SaveExtension(SaveFormat format) {
    switch (format) {
    case SaveFormat::Rtf:
        return QStringLiteral(".rtf");
    case SaveFormat::Pdf:
        return QStringLiteral(".pdf");
    case SaveFormat::Text:
        break;
    }
    return QStringLiteral(".txt");
}

SaveTarget SaveTargetOf(const QString& fileName, SaveFormat chosen) {
    SaveTarget target{fileName, chosen};
    if (KnownSaveFormat(fileName, &target.format))
        return target;
    if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        target.fileName += SaveExtension(chosen);
    return target;
}

QByteArray PlainTextBytes(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    bool lossless = true;
    QByteArray bytes = zelk::ToWindows1252(text, &lossless);
    if (lossless)
        return bytes;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace zelk::reports
