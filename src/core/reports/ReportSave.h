#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How the viewer saves a report: as the name's ending says when it is a known one,
// otherwise as the file type chosen in the save dialog.
namespace zelk::reports {

// RTF: the document as written; PDF: laid out as shown; Text: the visible text.
enum class SaveFormat { Rtf, Pdf, Text };

// The format of a known ending (".rtf", ".pdf", ".txt" in any case); false otherwise.
bool KnownSaveFormat(const QString& fileName, SaveFormat* format = nullptr);
// The extension of a format, with its dot: ".rtf", ".pdf", ".txt".
QString SaveExtension(SaveFormat format);

// The file a save writes and its format.
struct SaveTarget {
    QString fileName;
    SaveFormat format;
};
// A name with a known ending keeps it and its format; a name without an extension gets
// the chosen type's extension; any other name is kept and saved as the chosen type.
SaveTarget SaveTargetOf(const QString& fileName, SaveFormat chosen);

// The visible text as a text file: each line followed by CR LF, in Windows-1252; when a
// line holds a character that code page lacks, the whole file is UTF-8 with a byte-order
// mark instead, so that no letter is lost.
QByteArray PlainTextBytes(const QStringList& lines);

} // namespace zelk::reports
