#pragma once

#include "core/books/Passphrases.h"
#include "core/books/Snapshots.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QPushButton;
class QTableWidget;

// "Restore Snapshot": the snapshots of the books, newest first, with the step each was
// taken before, the company, its open fiscal year and the file's size. Restore asks for
// confirmation, closes every open window (closeWindows; false when one refused) and
// replaces the books with the chosen snapshot. One encrypted with another key is
// restorable once its passphrase is given (asked through prompt, the passphrase window
// when none), and comes back under the books' current key.
class frmRestoreSnapshot : public QDialog {
    Q_OBJECT
public:
    explicit frmRestoreSnapshot(std::function<bool()> closeWindows, QWidget* parent = nullptr,
                                zelk::PassphrasePrompt* prompt = nullptr);

    static constexpr const char* Title = "Restore Snapshot";

private:
    void Form_Load();
    void cmdRestore_Click();
    void grdSnapshots_SelectionChanged();
    // Asks for the passphrase of a snapshot under another key, up to three times: true
    // when it opens (chosen is then usable and passphrase holds it).
    bool unlock(zelk::snapshots::Snapshot& chosen, QByteArray& passphrase);

    std::function<bool()> m_closeWindows;
    std::unique_ptr<zelk::PassphrasePrompt> m_ownPrompt;
    zelk::PassphrasePrompt* m_prompt;
    std::vector<zelk::snapshots::Snapshot> m_snapshots;
    QTableWidget* grdSnapshots;
    QPushButton* cmdRestore;
    QPushButton* cmdCancel;
};
