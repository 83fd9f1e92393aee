#include "ReportRun.h"

namespace zelk::reports {

void ReportRun::start(int maximum) {
    m_value = 0;
    m_progress.setMaximum(maximum);
    m_progress.setValue(0);
}

bool ReportRun::step() {
    m_progress.setValue(++m_value);
    m_progress.pumpEvents();
    return !m_cancel;
}

} // namespace zelk::reports
