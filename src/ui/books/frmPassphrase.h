#pragma once

#include "core/books/Passphrases.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The start-up question for the passphrase of the books: the file's path, a note after
// a wrong try, the passphrase masked, OK and Cancel.
class frmPassphrase : public QDialog {
    Q_OBJECT
public:
    frmPassphrase(const QString& path, const QString& note, QWidget* parent = nullptr);
    // The passphrase typed as UTF-8; the text box is emptied and the copy wiped.
    QByteArray takePassphrase();

private:
    QLabel* lblFile;
    QLabel* lblNote;
    QLineEdit* txtPassphrase;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};

// Start-up asks through this window.
class PassphraseWindow : public zelk::PassphrasePrompt {
public:
    std::optional<QByteArray> askPassphrase(const QString& path, const QString& note) override;
};

// "Change Passphrase": the current passphrase (empty and disabled while the file uses the
// program's own key), the new one twice with an estimate of its strength as it is typed,
// OK and Cancel. A weak new passphrase is asked about before it is used.
class frmChangePassphrase : public QDialog {
    Q_OBJECT
public:
    explicit frmChangePassphrase(QWidget* parent = nullptr);

private:
    void cmdOk_Click();
    void txtNew_Change();
    // Whether a new passphrase is to be used: yes unless it is weak and the user says no.
    bool acceptNew(const QByteArray& passphrase);

    QLineEdit* txtCurrent;
    QLineEdit* txtNew;
    QLineEdit* txtConfirm;
    QLabel* lblStrength;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QStringList m_words; // the company's name: a guess of its own
};

// The text of a masked text box, taken out of it: the box is emptied (its undo history
// with it) before the copy is handed over, so the caller's copy is the only one left.
QString takeSecretText(QLineEdit* box);
