#include "frmPeriodWindows.h"

#include "frmEarningAccounts.h"

#include <QPushButton>

using namespace zelk;
using namespace zelk::periods;

frmPostTrxs::frmPostTrxs(QWidget* parent)
    : frmDateRangeRun(QStringLiteral("frmPostTrxs"), QStringLiteral("Post Transactions"),
                      QStringLiteral("Post Transaction"), parent) {
    serve<PostTransactions>();
}

frmRevertPostings::frmRevertPostings(QWidget* parent)
    : frmDateRangeRun(QStringLiteral("frmRevertPostings"), QStringLiteral("Revert Postings"),
                      QStringLiteral("Revert Postings"), parent) {
    serve<RevertPostings>();
}

frmEndMonth::frmEndMonth(QWidget* parent)
    : frmMonthRun(QStringLiteral("frmEndMonth"), QStringLiteral("End Month"),
                  QStringLiteral("End Month"), parent) {
    serve<EndMonth>();
}

frmRevertEndMonth::frmRevertEndMonth(QWidget* parent)
    : frmMonthRun(QStringLiteral("frmRevertEndMonth"), QStringLiteral("Revert End Month"),
                  QStringLiteral("Revert End Month"), parent) {
    serve<RevertEndMonth>();
}

namespace {

// The earning-account chooser of one year end: one window, shown again for each try.
class ChooserWindow : public EarningAccountChooser {
public:
    explicit ChooserWindow(QWidget* parent) : m_parent(parent) {}
    ~ChooserWindow() override { delete m_window; }
    QString chooseEarningAccount() override {
        if (!m_window)
            m_window = new frmEarningAccounts(m_parent);
        m_window->exec();
        return m_window->EarningAccount();
    }

private:
    QWidget* m_parent;
    frmEarningAccounts* m_window = nullptr;
};

} // namespace

frmEndYear::frmEndYear(QWidget* parent)
    : frmQuestionRun(QStringLiteral("frmEndYear"), QStringLiteral("End Year"),
                     QStringLiteral("End Year"), QStringLiteral("lblEndYear"),
                     QStringLiteral("End Year?"), parent),
      m_run(serve<EndYear>()) {}

void frmEndYear::cmdOk_Click() {
    if (m_run.confirmJournal()) {
        cmdOk->setEnabled(false);
        ChooserWindow chooser(this);
        const QString earning = m_run.chooseEarningAccount(chooser);
        if (!earning.isEmpty() && !m_run.cancelRequested())
            m_run.run(earning);
    }
    finish();
}

frmRevertEndYear::frmRevertEndYear(QWidget* parent)
    : frmQuestionRun(QStringLiteral("frmRevertEndYear"), QStringLiteral("Revert End Year"),
                     QStringLiteral("Revert End Year"), QStringLiteral("lblRevertEndYear"),
                     QStringLiteral("Revert End Year?"), parent),
      m_run(serve<RevertEndYear>()) {}

void frmRevertEndYear::cmdOk_Click() {
    if (m_run.confirmBeforeRun()) {
        cmdOk->setEnabled(false);
        m_run.run();
    }
    finish();
}
