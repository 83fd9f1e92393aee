#include "frmReport.h"

#include "ReportDialogs.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "core/exchange/OutputFile.h"
#include "core/reports/ReportSave.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/Twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

QTextCharFormat charFormat(const QFont& base, const zelk::rtf::CharFormat& f) {
    QTextCharFormat out;
    QFont font = base;
    font.setPointSizeF(f.halfPoints / 2.0);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    out.setFont(font);
    return out;
}

} // namespace

frmReport::frmReport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Report"));
    setSizeGripEnabled(true);

    fraCommand = zelk::controls::frame(this, QStringLiteral("fraCommand"));
    cmdPrint =
        zelk::controls::button(fraCommand, QStringLiteral("cmdPrint"), QStringLiteral("Print"));
    cmdPrint->setShortcut(QKeySequence::Print);
    cmdSave = zelk::controls::button(fraCommand, QStringLiteral("cmdSave"), QStringLiteral("Save"));
    cmdPrint->setGeometry(twips(120), twips(120), twips(1095), twips(375));
    cmdSave->setGeometry(twips(120 + 1095 + 90), twips(120), twips(1095), twips(375));
    cmdExport = zelk::controls::button(fraCommand, QStringLiteral("cmdExport"),
                                       QStringLiteral("Export\u2026"));
    cmdExport->setGeometry(twips(120 + 2 * (1095 + 90)), twips(120), twips(1095), twips(375));
    cmdExport->setEnabled(false);

    fraReport = zelk::controls::frame(this, QStringLiteral("fraReport"));
    rtfReport = new QTextEdit(fraReport);
    rtfReport->setObjectName(QStringLiteral("rtfReport"));
    rtfReport->setReadOnly(true);
    rtfReport->setLineWrapMode(QTextEdit::NoWrap);
    rtfReport->setFont(reportFont());
    rtfReport->document()->setDefaultFont(reportFont());

    connect(cmdPrint, &QPushButton::clicked, this, &frmReport::cmdPrint_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmReport::cmdSave_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmReport::cmdExport_Click);

    QSize size(900, 680);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.95);
    resize(size);
    Form_Resize();
}

QFont frmReport::reportFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

void frmReport::ShowFile(const QString& FileName) {
    if (!LoadFile(FileName))
        return;
    exec();
}

bool frmReport::LoadFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        failed(QStringLiteral("The report file %1 could not be read: %2")
                   .arg(QDir::toNativeSeparators(FileName), file.errorString()));
        return false;
    }
    m_rtf = file.readAll();
    m_document = zelk::rtf::read(m_rtf);
    showDocument();
    return true;
}

// Each paragraph of the document becomes a block of the view, each run keeps its size,
// bold and italic.
void frmReport::showDocument() {
    QTextDocument* doc = rtfReport->document();
    doc->clear();
    const QFont base = reportFont();
    QTextCursor cursor(doc);
    bool first = true;
    for (const zelk::rtf::Paragraph& p : m_document.paragraphs) {
        const QTextCharFormat mark = charFormat(base, p.markFormat);
        if (first)
            cursor.setBlockCharFormat(mark);
        else
            cursor.insertBlock(QTextBlockFormat(), mark);
        first = false;
        for (const zelk::rtf::Run& run : p.runs)
            cursor.insertText(run.text, charFormat(base, run.format));
    }
    rtfReport->moveCursor(QTextCursor::Start);
}

void frmReport::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

// The strip across the top; the report area fills the rest; the view fills the area.
void frmReport::Form_Resize() {
    const int strip = twips(CommandStripTwips);
    const QRect inner = contentsRect();
    fraCommand->setGeometry(0, 0, inner.width(), strip);
    fraReport->setGeometry(0, strip, inner.width(), std::max(0, inner.height() - strip));
    rtfReport->setGeometry(0, 0, fraReport->width(), fraReport->height());
}

void frmReport::cmdPrint_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    if (rtfReport->textCursor().hasSelection())
        printer.setPrintRange(QPrinter::Selection);
    if (!reportDialogs().choosePrinter(printer, this))
        return;
    // Printing into a file: a file that cannot be written says why before anything is drawn.
    const QString outputFile = printer.outputFileName();
    if (!outputFile.isEmpty()) {
        QFile file(outputFile);
        if (!file.open(QIODevice::WriteOnly)) {
            failed(QStringLiteral("The report could not be printed to %1: %2")
                       .arg(QDir::toNativeSeparators(outputFile), file.errorString()));
            return;
        }
    }
    rtfReport->print(&printer);
    if (printer.printerState() == QPrinter::Error)
        failed(QStringLiteral("The report could not be printed: the printer %1 reported an error.")
                   .arg(outputFile.isEmpty() ? printer.printerName()
                                             : QDir::toNativeSeparators(outputFile)));
}

void frmReport::cmdSave_Click() {
    const ReportDialogs::SaveChoice choice = reportDialogs().chooseSaveFile(this);
    if (choice.fileName.isEmpty())
        return;
    const zelk::reports::SaveTarget target =
        zelk::reports::SaveTargetOf(choice.fileName, choice.type);
    // The dialog asked before replacing the name it was given, not the one with the
    // extension added.
    if (target.fileName != choice.fileName && QFileInfo::exists(target.fileName) &&
        !zelk::ui().askYesNo(QStringLiteral("%1 already exists. Replace it?")
                                 .arg(QDir::toNativeSeparators(target.fileName)),
                             windowTitle()))
        return;
    saveAs(target.fileName, target.format);
}

void frmReport::setData(zelk::DataTable data) {
    m_data = std::move(data);
    cmdExport->setEnabled(!m_data.header.isEmpty());
}

void frmReport::cmdExport_Click() {
    zelk::controls::ExportTable(this, m_data, windowTitle());
}

void frmReport::saveAs(const QString& fileName, zelk::reports::SaveFormat format) {
    // Written beside the file and renamed into place once whole; never over the books.
    try {
        zelk::exchange::OutputFile file(fileName, zelk::g_cnn);
        if (format == zelk::reports::SaveFormat::Pdf) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file.temporaryPath());
            printer.setDocName(windowTitle());
            rtfReport->document()->print(&printer);
            if (printer.printerState() == QPrinter::Error ||
                QFileInfo(file.temporaryPath()).size() == 0)
                throw zelk::exchange::ExportError(
                    file.failure(QStringLiteral("the PDF could not be made")));
        } else {
            file.write(format == zelk::reports::SaveFormat::Rtf
                           ? m_rtf
                           : zelk::reports::PlainTextBytes(m_document.lines()));
        }
        file.commit();
    } catch (const zelk::exchange::ExportError& e) {
        failed(e.message());
    }
}

void frmReport::failed(const QString& message) {
    zelk::ui().messageBox(message, windowTitle());
}
