#include "frmRestoreSnapshot.h"
#include "frmPassphrase.h"

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace zelk;

namespace {

QString sizeText(qint64 bytes) {
    return QLocale::c().toString((bytes + 1023) / 1024) + QStringLiteral(" KB");
}

} // namespace

frmRestoreSnapshot::frmRestoreSnapshot(std::function<bool()> closeWindows, QWidget* parent,
                                       zelk::PassphrasePrompt* prompt)
    : QDialog(parent), m_closeWindows(std::move(closeWindows)),
      m_ownPrompt(prompt ? nullptr : new PassphraseWindow),
      m_prompt(prompt ? prompt : m_ownPrompt.get()) {
    setObjectName(QStringLiteral("frmRestoreSnapshot"));
    setWindowTitle(QLatin1String(Title));
    grdSnapshots = new QTableWidget(0, 5, this);
    grdSnapshots->setObjectName(QStringLiteral("grdSnapshots"));
    grdSnapshots->setHorizontalHeaderLabels(
        {QStringLiteral("Date and Time"), QStringLiteral("Step"), QStringLiteral("Company"),
         QStringLiteral("Fiscal Year"), QStringLiteral("Size")});
    grdSnapshots->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSnapshots->setSelectionMode(QAbstractItemView::SingleSelection);
    grdSnapshots->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSnapshots->verticalHeader()->hide();
    grdSnapshots->setWordWrap(false);
    const int widths[] = {2400, 2000, 5400, 1300, 1400};
    for (int c = 0; c < 5; ++c)
        grdSnapshots->setColumnWidth(c, twips(widths[c]));
    grdSnapshots->horizontalHeader()->setStretchLastSection(true);
    grdSnapshots->setMinimumSize(twips(13000), twips(4000));

    auto* fraConfirm = controls::frame(this, QStringLiteral("fraConfirm"));
    cmdRestore =
        controls::button(fraConfirm, QStringLiteral("cmdRestore"), QStringLiteral("&Restore"));
    cmdCancel = controls::button(fraConfirm, QStringLiteral("cmdCancel"), QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout(fraConfirm);
    buttons->addStretch(1);
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grdSnapshots, 1);
    layout->addWidget(fraConfirm);

    connect(cmdRestore, &QPushButton::clicked, this, &frmRestoreSnapshot::cmdRestore_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grdSnapshots, &QTableWidget::itemSelectionChanged, this,
            &frmRestoreSnapshot::grdSnapshots_SelectionChanged);
    connect(grdSnapshots, &QTableWidget::cellDoubleClicked, this,
            &frmRestoreSnapshot::cmdRestore_Click);
    Form_Load();
}

void frmRestoreSnapshot::Form_Load() {
    // Each snapshot under a passphrase costs its key derivation to open.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_snapshots = g_cnn ? snapshots::list(*g_cnn) : std::vector<snapshots::Snapshot>{};
    QApplication::restoreOverrideCursor();
    grdSnapshots->clearContents();
    grdSnapshots->setRowCount(int(m_snapshots.size()));
    for (int r = 0; r < int(m_snapshots.size()); ++r) {
        const snapshots::Snapshot& s = m_snapshots[size_t(r)];
        const QStringList cells = {
            s.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), s.step,
            s.usable     ? s.company
            : s.otherKey ? QStringLiteral("Another key: Restore asks for its passphrase")
                         : QStringLiteral("Cannot be opened: ") + s.problem,
            s.usable ? QString::number(s.year) : QString(), sizeText(s.size)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!s.usable && !s.otherKey)
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            grdSnapshots->setItem(r, c, item);
        }
    }
    if (!m_snapshots.empty())
        grdSnapshots->selectRow(0);
    grdSnapshots_SelectionChanged();
}

void frmRestoreSnapshot::grdSnapshots_SelectionChanged() {
    const int row = grdSnapshots->currentRow();
    const bool chosen =
        grdSnapshots->selectionModel()->hasSelection() && row >= 0 && row < int(m_snapshots.size());
    cmdRestore->setEnabled(chosen &&
                           (m_snapshots[size_t(row)].usable || m_snapshots[size_t(row)].otherKey));
}

bool frmRestoreSnapshot::unlock(snapshots::Snapshot& chosen, QByteArray& passphrase) {
    QString note;
    for (int tries = 0; tries < PassphraseTries; ++tries) {
        std::optional<QByteArray> typed = m_prompt->askPassphrase(chosen.path, note);
        if (!typed)
            return false;
        note = QStringLiteral("Wrong passphrase.");
        bool opened = false;
        {
            controls::BusyPointer busy; // the key derivation takes a moment
            opened = snapshots::unlock(*g_cnn, chosen, *typed);
        }
        if (opened) {
            passphrase = *typed;
            wipeSecret(*typed);
            return true;
        }
        wipeSecret(*typed);
    }
    ui().messageBox(QStringLiteral("The snapshot %1 does not open with the passphrases given.")
                        .arg(QDir::toNativeSeparators(chosen.path)),
                    QLatin1String(Title));
    return false;
}

void frmRestoreSnapshot::cmdRestore_Click() {
    const int row = grdSnapshots->currentRow();
    if (!g_cnn || row < 0 || row >= int(m_snapshots.size()))
        return;
    snapshots::Snapshot chosen = m_snapshots[size_t(row)];
    // the passphrase of a snapshot under another key, wiped whatever happens
    QByteArray passphrase;
    struct Wipe {
        QByteArray& secret;
        ~Wipe() { wipeSecret(secret); }
    } wipe{passphrase};
    if (!chosen.usable && !(chosen.otherKey && unlock(chosen, passphrase)))
        return;
    const QString title = QLatin1String(Title);
    const QString when = chosen.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!ui().askYesNo(QStringLiteral("Replace the books with the snapshot of %1, taken before "
                                      "%2 (%3, fiscal year %4)?\nThe books as they are now are "
                                      "kept as a snapshot first, and every open window is "
                                      "closed.")
                           .arg(when, chosen.step, chosen.company)
                           .arg(chosen.year),
                       title))
        return;
    if (m_closeWindows && !m_closeWindows())
        return;
    try {
        controls::BusyPointer busy;
        snapshots::restore(*g_cnn, chosen, passphrase);
    } catch (const snapshots::SnapshotError& e) {
        ui().messageBox(e.message(), title);
        Form_Load();
        return;
    }
    ui().messageBox(
        QStringLiteral("The books have been restored from the snapshot of %1.").arg(when), title);
    accept();
}
