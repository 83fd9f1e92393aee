#include "PeriodRun.h"

#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"

namespace zelk::periods {

namespace {

// Unwinds the run when a cancel is confirmed.
struct RunCancelled {};

// Unwinds the run when it refuses to go on, with the reason for the user.
struct RunRefused {
    QString message;
};

} // namespace

PeriodRun::PeriodRun(Connection& cnn, ProgressSink& progress)
    : m_cnn(cnn), m_progress(progress), m_runner(cnn) {}

PeriodRun::~PeriodRun() = default;

RowSet PeriodRun::execute(const QString& sql) {
    return m_runner.run(sql);
}

RowSet PeriodRun::stream(const QString& sql) {
    return m_runner.stream(sql);
}

int PeriodRun::count(const QString& sql) {
    const RowSet rs = execute(sql);
    return rs.eof() ? 0 : int(rs.value(0).toLongLong());
}

CompanyRow PeriodRun::readCompany() {
    return CompanyRow::fromRows(execute(modDBUtil::GetCompany()));
}

void PeriodRun::startSteps(int maximum) {
    m_value = 0;
    m_progress.setMaximum(maximum);
    m_progress.setValue(0);
}

void PeriodRun::step() {
    ++m_value;
    m_progress.setValue(m_value);
    m_progress.pumpEvents();
    if (m_Cancel)
        throw RunCancelled{};
}

void PeriodRun::refuse(const QString& message) {
    throw RunRefused{message};
}

void PeriodRun::rollback() {
    if (m_Running || m_cnn.inTransaction())
        m_cnn.rollbackTrans();
    m_Running = false;
}

bool PeriodRun::tryQuery(const QString& sql, RowSet& rows) {
    try {
        rows = execute(sql);
        return true;
    } catch (const CommandUnwind&) {
        return false;
    }
}

RunOutcome PeriodRun::perform(const QString& doneMessage, const std::function<void()>& body) {
    TransactionGuard guard(m_cnn);
    try {
        m_runner.attempt([this] { m_cnn.beginTrans(); });
        m_Running = true;
        body();
        if (m_Cancel)
            throw RunCancelled{};
        m_runner.attempt([this] { m_cnn.commitTrans(); });
    } catch (const RunCancelled&) {
        rollback();
        return RunOutcome::Cancelled;
    } catch (const RunRefused& refusal) {
        rollback();
        ui().messageBox(refusal.message, appTitle());
        return RunOutcome::Refused;
    } catch (const CommandUnwind& unwind) {
        rollback();
        return unwind.answer() == Abort ? RunOutcome::Abort : RunOutcome::Fix;
    } catch (const ZelkError& e) {
        // A failure that is not a refused statement (a row without a field it needs):
        // nothing to retry.
        rollback();
        modErrors::ShowMessageDialog(modErrors::ComposeErrorText(e.record()), 4,
                                     QStringLiteral("DB Error"));
        return RunOutcome::Abort;
    } catch (const std::exception& e) {
        // A total that would leave the range of an amount, say.
        rollback();
        modErrors::ShowMessageDialog(
            modErrors::ComposeErrorText({0, appTitle(), QString::fromUtf8(e.what())}), 4,
            QStringLiteral("DB Error"));
        return RunOutcome::Abort;
    }
    ui().messageBox(doneText(doneMessage), appTitle());
    return RunOutcome::Done;
}

QString withNotes(const QStringList& notes, const QString& doneMessage) {
    QStringList paragraphs;
    for (const QString& note : notes)
        if (!note.isEmpty())
            paragraphs << note;
    paragraphs << doneMessage;
    return paragraphs.join(QStringLiteral("\n\n"));
}

QString accountKey(const QString& accountNo) {
    const char16_t* begin = reinterpret_cast<const char16_t*>(accountNo.constData());
    const char16_t* end = begin + accountNo.size();
    const char16_t* upper = begin;
    while (upper != end && !(*upper >= u'A' && *upper <= u'Z'))
        ++upper;
    if (upper == end)
        return accountNo; // most numbers have no capital letter: shared, not copied
    QString key = accountNo;
    for (QChar& c : key)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(char16_t(c.unicode() + ('a' - 'A')));
    return key;
}

bool sameAccount(const QString& a, const QString& b) {
    return a.size() == b.size() && accountKey(a) == accountKey(b);
}

} // namespace zelk::periods
