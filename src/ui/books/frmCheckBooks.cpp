#include "frmCheckBooks.h"

#include "core/books/BooksCheck.h"
#include "core/data/Connection.h"
#include "core/data/modErrors.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

frmCheckBooks::frmCheckBooks(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCheckBooks"));
    setWindowTitle(QStringLiteral("Check Books"));
    lblInfo = new QLabel(QStringLiteral("Check reads every page of the books and compares their "
                                        "sums. With large books it takes a while."),
                         this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    prgCheck = new QProgressBar(this);
    prgCheck->setObjectName(QStringLiteral("prgCheck"));
    prgCheck->setRange(0, 1);
    prgCheck->setValue(0);
    txtResult = new QPlainTextEdit(this);
    txtResult->setObjectName(QStringLiteral("txtResult"));
    txtResult->setReadOnly(true);
    txtResult->setMinimumSize(480, 200);
    cmdCheck = new QPushButton(QStringLiteral("&Check"), this);
    cmdCheck->setObjectName(QStringLiteral("cmdCheck"));
    cmdCheck->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("C&lose"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdCheck, &QPushButton::clicked, this, &frmCheckBooks::cmdCheck_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmCheckBooks::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCheck);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(prgCheck);
    layout->addWidget(txtResult, 1);
    layout->addLayout(buttons);
    cmdCheck->setFocus(); // Enter starts the check
}

void frmCheckBooks::reject() {
    if (m_checking) {
        m_stop = true; // the check stops at its next look at the events
        return;
    }
    QDialog::reject();
}

void frmCheckBooks::cmdCheck_Click() {
    if (m_checking || !zelk::g_cnn)
        return;
    m_checking = true;
    m_stop = false;
    cmdCheck->setEnabled(false);
    txtResult->clear();
    prgCheck->setRange(0, 0); // the engine tells no share done: a busy bar
    QString text;
    bool finished = false;
    try {
        const zelk::BooksCheck c = zelk::checkBooks(*zelk::g_cnn, [this] {
            QCoreApplication::processEvents();
            return !m_stop;
        });
        finished = !c.cancelled;
        if (c.cancelled)
            text = QStringLiteral("The check was stopped before it was done.");
        else if (!c.fileSound())
            text = QStringLiteral("The file is damaged: restore a snapshot (File → Restore "
                                  "Snapshot…).\n") +
                   c.lines().first();
        else
            text = c.lines().join(QLatin1Char('\n'));
    } catch (const zelk::ZelkError& e) {
        text = modErrors::ComposeErrorText(e.record());
    }
    prgCheck->setRange(0, 1);
    prgCheck->setValue(finished ? 1 : 0);
    txtResult->setPlainText(text);
    cmdCheck->setEnabled(true);
    m_checking = false;
    cmdClose->setFocus();
}
