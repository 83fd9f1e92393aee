#include "frmPassphrase.h"

#include "PassphraseStrength.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

using namespace zelk;

namespace {

QLineEdit* secretBox(QWidget* parent, const QString& name) {
    QLineEdit* box = controls::textBox(parent, name);
    box->setEchoMode(QLineEdit::Password);
    box->setMinimumWidth(twips(4200));
    return box;
}

} // namespace

QString takeSecretText(QLineEdit* box) {
    QString text = box->text();
    box->setText(QString()); // also drops the box's undo history
    return text;
}

frmPassphrase::frmPassphrase(const QString& path, const QString& note, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmPassphrase"));
    setWindowTitle(appTitle());
    auto* fra = controls::frame(this, QStringLiteral("fraPassphrase"));
    auto* lblAsk = new QLabel(QStringLiteral("The books are encrypted with a passphrase:"), fra);
    lblFile = new QLabel(path, fra);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setTextFormat(Qt::PlainText);
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblNote = new QLabel(note, fra);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setVisible(!note.isEmpty());
    txtPassphrase = secretBox(fra, QStringLiteral("txtPassphrase"));
    auto* inner = new QVBoxLayout(fra);
    inner->addWidget(lblAsk);
    inner->addWidget(lblFile);
    inner->addWidget(new QLabel(QStringLiteral("Passphrase:"), fra));
    inner->addWidget(txtPassphrase);
    inner->addWidget(lblNote);
    auto* fraConfirm = controls::okCancelFrame(this, &cmdOk, &cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fra);
    layout->addWidget(fraConfirm);
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtPassphrase->setFocus();
}

QByteArray frmPassphrase::takePassphrase() {
    QString text = takeSecretText(txtPassphrase);
    QByteArray utf8 = text.toUtf8();
    wipeSecret(text);
    return utf8;
}

std::optional<QByteArray> PassphraseWindow::askPassphrase(const QString& path,
                                                          const QString& note) {
    frmPassphrase dlg(path, note);
    if (dlg.exec() != QDialog::Accepted) {
        dlg.takePassphrase(); // not kept in the closed window
        return std::nullopt;
    }
    return dlg.takePassphrase();
}

frmChangePassphrase::frmChangePassphrase(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmChangePassphrase"));
    setWindowTitle(QLatin1String(ChangePassphraseTitle));
    auto* fra = controls::frame(this, QStringLiteral("fraPassphrase"));
    txtCurrent = secretBox(fra, QStringLiteral("txtCurrent"));
    txtNew = secretBox(fra, QStringLiteral("txtNew"));
    txtConfirm = secretBox(fra, QStringLiteral("txtConfirm"));
    controls::labelledFields(fra, {{QStringLiteral("Current passphrase:"), txtCurrent},
                                   {QStringLiteral("New passphrase:"), txtNew},
                                   {QStringLiteral("New passphrase again:"), txtConfirm}});
    lblStrength = new QLabel(this);
    lblStrength->setObjectName(QStringLiteral("lblStrength"));
    lblStrength->setWordWrap(true);
    lblStrength->setMinimumHeight(lblStrength->fontMetrics().lineSpacing() * 2);
    auto* lblHint = new QLabel(QStringLiteral("An empty new passphrase goes back to the "
                                              "program's own key.\nA forgotten passphrase "
                                              "cannot be recovered."),
                               this);
    auto* fraConfirm = controls::okCancelFrame(this, &cmdOk, &cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fra);
    layout->addWidget(lblStrength);
    layout->addWidget(lblHint);
    layout->addWidget(fraConfirm);
    cmdOk->setDefault(true);
    const bool programKey = g_cnn && g_cnn->usesProgramKey();
    txtCurrent->setEnabled(!programKey);
    (programKey ? txtNew : txtCurrent)->setFocus();
    connect(cmdOk, &QPushButton::clicked, this, &frmChangePassphrase::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtNew, &QLineEdit::textChanged, this, &frmChangePassphrase::txtNew_Change);
    if (g_cnn) {
        try {
            const QString name =
                g_cnn->execute(QStringLiteral("SELECT Name FROM SYS_Company")).value(0).toString();
            m_words = name.split(QRegularExpression(QStringLiteral("\\W+")), Qt::SkipEmptyParts);
            m_words << name << QStringLiteral("zelk");
        } catch (const DbError&) {
            // the estimate does without the company's name
        }
    }
}

void frmChangePassphrase::txtNew_Change() {
    QByteArray typed = txtNew->text().toUtf8();
    if (typed.isEmpty()) {
        lblStrength->clear();
        return;
    }
    const strength::Estimate e = strength::estimate(typed, m_words);
    wipeSecret(typed);
    lblStrength->setText(e.weak ? QStringLiteral("Strength: %1. It could be guessed in %2 by a "
                                                 "guessing program: %3.")
                                      .arg(e.level, e.time, e.reason)
                                : QStringLiteral("Strength: %1. A guessing program would need "
                                                 "%2.")
                                      .arg(e.level, e.time));
}

bool frmChangePassphrase::acceptNew(const QByteArray& passphrase) {
    const strength::Estimate e = strength::estimate(passphrase, m_words);
    return !e.weak ||
           ui().askYesNo(QStringLiteral("This passphrase could be guessed in %1 by a guessing "
                                        "program. Use it anyway?")
                             .arg(e.time),
                         QLatin1String(ChangePassphraseTitle));
}

void frmChangePassphrase::cmdOk_Click() {
    if (!g_cnn)
        return;
    PassphraseChange change{takeSecretText(txtCurrent), takeSecretText(txtNew),
                            takeSecretText(txtConfirm),
                            [this](const QByteArray& p) { return acceptNew(p); }};
    if (ChangePassphrase(*g_cnn, change)) {
        accept();
        return;
    }
    const bool programKey = g_cnn->usesProgramKey();
    txtCurrent->setEnabled(!programKey);
    (programKey ? txtNew : txtCurrent)->setFocus();
}
