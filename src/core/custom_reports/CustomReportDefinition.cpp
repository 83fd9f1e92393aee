#include "CustomReportDefinition.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"

namespace zelk {

namespace {

const QString Heading = QStringLiteral("Heading");
const QString Detail = QStringLiteral("Detail");
const QString Total = QStringLiteral("Total");

// The answer to an input error as the validation's result: Fix 1, Abort 2.
int fixOrAbort(int answer) {
    return answer == Abort ? 2 : 1;
}

} // namespace

const QStringList CustomReportDefinition::RowTypes = {Heading, Detail, Total};

CustomReportDefinition::CustomReportDefinition(Connection& cnn) : m_cnn(cnn) {
    for (RowSet rs = m_cnn.execute(modDBUtil::GetCustomReportTypes()); !rs.eof(); rs.moveNext())
        m_types.push_back(
            {rs.text(QStringLiteral("Name")), long(rs.integer(QStringLiteral("ReportTypeID")))});
    m_lookup = accounts::AccountLookup::Load(m_cnn);
    rows.resize(EntryRows);
}

bool CustomReportDefinition::load(const QString& reportName) {
    RowSet head = m_cnn.execute(modDBUtil::GetCustomReport(reportName));
    if (head.eof())
        return false;
    name = head.text(QStringLiteral("Name"));
    title = head.text(QStringLiteral("Title"));
    reportTypeId = long(head.integer(QStringLiteral("ReportTypeID")));
    RowSet details = m_cnn.execute(modDBUtil::GetCustomReportDetails(reportName));
    rows.assign(size_t(std::max(EntryRows, details.recordCount())), DefinitionRow{});
    size_t r = 0;
    for (; !details.eof(); details.moveNext(), ++r) {
        DefinitionRow& row = rows[r];
        row.name = details.text(QStringLiteral("RowName"));
        row.type = details.text(QStringLiteral("RowType"));
        const QString first = details.text(QStringLiteral("AccountStart"));
        const QString last = details.text(QStringLiteral("AccountEnd"));
        if (row.type == Detail) {
            // The numbers are held as they are stored; the names are shown. A number
            // whose account is gone shows as the number itself.
            row.start = {nameOf(first).isEmpty() ? first : nameOf(first), first};
            if (!last.isEmpty())
                row.end = {nameOf(last).isEmpty() ? last : nameOf(last), last};
        } else {
            row.start = {first, QString()};
            row.end = {last, QString()};
        }
    }
    return true;
}

bool CustomReportDefinition::canEditType(int row) const {
    return !rows.at(size_t(row)).name.isEmpty();
}

bool CustomReportDefinition::canEditAccounts(int row) const {
    return rows.at(size_t(row)).type == Detail;
}

void CustomReportDefinition::setType(int row, const QString& type) {
    DefinitionRow& r = rows.at(size_t(row));
    r.type = type;
    if (type == Heading || type == Total) {
        r.start = {};
        r.end = {};
    }
}

void CustomReportDefinition::pickAccount(int row, bool end, const QString& accountNo) {
    DefinitionRow::AccountCell& cell = end ? rows.at(size_t(row)).end : rows.at(size_t(row)).start;
    cell = {nameOf(accountNo), accountNo};
}

void CustomReportDefinition::typeAccountText(int row, bool end, const QString& text) {
    DefinitionRow::AccountCell& cell = end ? rows.at(size_t(row)).end : rows.at(size_t(row)).start;
    cell = {text, QString()};
}

QString CustomReportDefinition::nameOf(const QString& accountNo) const {
    const auto* a = m_lookup.findNo(accountNo);
    return a ? a->AccountName : QString();
}

QString CustomReportDefinition::numberOfName(const QString& accountName) const {
    const auto* a = m_lookup.findName(accountName);
    return a ? a->AccountNo : QString();
}

int CustomReportDefinition::validate(std::vector<DefinitionLine>& lines) const {
    lines.clear();
    try {
        if (name.isEmpty())
            return fixOrAbort(modErrors::ShowInputErrorMessage(
                {1, QStringLiteral("Custom report"), QStringLiteral("Report name is missing.")}));
        if (title.isEmpty())
            return fixOrAbort(modErrors::ShowInputErrorMessage(
                {1, QStringLiteral("Custom report"), QStringLiteral("Report title is missing.")}));
        if (reportTypeId == 0)
            return fixOrAbort(modErrors::ShowInputErrorMessage(
                {1, QStringLiteral("Custom Report"), QStringLiteral("Report type is missing.")}));

        int invalid = 0, headings = 0, totals = 0;
        // The first Detail row whose range runs backwards (grid row number, its bounds).
        int backwardsRow = 0;
        QString backwardsFirst, backwardsLast;
        // The number of an account cell: the one it holds, else the first account of
        // the name shown; empty when neither gives one.
        auto numberOf = [&](const DefinitionRow::AccountCell& cell) {
            return cell.number.isEmpty() ? numberOfName(cell.text) : cell.number;
        };
        for (size_t r = 0; r < rows.size(); ++r) {
            const DefinitionRow& row = rows[r];
            if (row.isEmpty())
                continue;
            if (row.type == Heading)
                ++headings;
            else if (row.type == Total)
                ++totals;
            bool valid = !row.name.isEmpty() && !row.type.isEmpty();
            DefinitionLine line{row.name, row.type, row.start.text, row.end.text};
            if (valid && row.type == Detail) {
                line.first = numberOf(row.start);
                line.last = row.end.isEmpty() ? QString() : numberOf(row.end);
                valid = !row.start.isEmpty() && !line.first.isEmpty() &&
                        (row.end.isEmpty() || !line.last.isEmpty());
            }
            if (valid && row.type == Detail && !line.last.isEmpty() && backwardsRow == 0 &&
                compareKeys(line.first, line.last) > 0) {
                backwardsRow = int(r) + 1;
                backwardsFirst = line.first;
                backwardsLast = line.last;
            }
            if (valid)
                lines.push_back(line);
            else
                ++invalid;
        }
        if (invalid > 0) {
            const int answer = modErrors::ShowInputErrorMessage(
                {2, QStringLiteral("Custom Report"),
                 QStringLiteral("Invalid: ") + QString::number(invalid) +
                     QStringLiteral(" row(s). Yes: fix input, No:Cancel, ")});
            if (answer != Ignore)
                return fixOrAbort(answer);
        }
        // A range that runs backwards covers no account at all.
        if (backwardsRow > 0)
            return fixOrAbort(modErrors::ShowInputErrorMessage(
                {1, QStringLiteral("Custom Report"),
                 QStringLiteral("Row %1: Account Start %2 comes after Account End %3.")
                     .arg(backwardsRow)
                     .arg(backwardsFirst, backwardsLast)}));
        if (headings != totals)
            return fixOrAbort(modErrors::ShowInputErrorMessage(
                {3, QStringLiteral("Custom Report"),
                 QStringLiteral("Invalid: Total row and heading row are not equally counted.")}));
        return 0;
    } catch (const std::exception& e) {
        modErrors::ShowInputErrorMessage(
            {0, QStringLiteral("Custom Report"), QString::fromUtf8(e.what())});
        return 2;
    }
}

CommandOutcome CustomReportDefinition::save(bool editMode,
                                            const std::vector<DefinitionLine>& lines) {
    return runSavingCommand(m_cnn, [&](StatementRunner& run) {
        if (editMode)
            run.run(modDBUtil::DeleteCustomReport(name));
        run.run(modDBUtil::InsertCustomReport(name, title, reportTypeId));
        long seq = 0;
        for (const DefinitionLine& line : lines)
            run.run(modDBUtil::InsertCustomReportDetail(name, ++seq, line.name, line.type,
                                                        line.first, line.last));
    });
}

QString CustomReportListStatement() {
    return modDBUtil::GetCustomReportList();
}

std::vector<ListColumn> CustomReportListColumns() {
    return {
        {QStringLiteral("Name"), 2496, QStringLiteral("ReportName"), QStringLiteral("Name")},
        {QStringLiteral("Title"), 2496, QString(), QStringLiteral("Title")},
        {QStringLiteral("Type"), 1500, QString(), QStringLiteral("Description")},
    };
}

ListDeletion CustomReportDeletion() {
    ListDeletion d;
    d.question = [](const QString& name) {
        return QStringLiteral("Delete report ") + name + QStringLiteral("?");
    };
    d.statements = [](const QString& name) {
        return QStringList{modDBUtil::DeleteCustomReport(name)};
    };
    return d;
}

} // namespace zelk
