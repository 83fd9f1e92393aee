#pragma once

#include "ui/widgets/ExchangeDialogs.h"

#include <QFile>

// The export and import file dialogs, answered by the test with the names it set.
class ScriptedFiles : public ExchangeDialogs {
public:
    QString exportName; // empty: the dialog is cancelled
    QString importName;
    QString suggested; // the name the export dialog offered

    ScriptedFiles() { setExchangeDialogs(this); }
    ~ScriptedFiles() override { setExchangeDialogs(nullptr); }
    QString chooseExportFile(QWidget*, const QString& suggestedName) override {
        suggested = suggestedName;
        return exportName;
    }
    QString chooseImportFile(QWidget*, const QString&) override { return importName; }

    // The exported file's text, without its byte-order mark.
    QString exported() const {
        QFile f(exportName);
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        QByteArray bytes = f.readAll();
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        return QString::fromUtf8(bytes);
    }
};
