#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How the viewer saves a report: the chosen name's last three letters decide.
namespace zelk::reports {

enum class SaveFormat { Rtf, Pdf, Text };

// "RTF" in any case: the document as written; "PDF": a PDF laid out as shown; anything
// else: the visible text. The file type chosen in the dialog plays no part.
SaveFormat SaveFormatOf(const QString& fileName);

// The visible text as a text file: each line followed by CR LF, in Windows-1252; when a
// line holds a character that code page lacks, the whole file is UTF-8 with a byte-order
// mark instead, so that no letter is lost.
QByteArray PlainTextBytes(const QStringList& lines);

} // namespace zelk::reports
