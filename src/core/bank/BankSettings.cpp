#include "BankSettings.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"

#include <QRegularExpression>

namespace zelk::bank {

std::vector<BankAccount> bankAccounts(Connection& cnn) {
    std::vector<BankAccount> out;
    for (RowSet rs = cnn.execute(modDBUtil::GetBankAccounts()); !rs.eof(); rs.moveNext())
        out.push_back(
            {rs.text(QStringLiteral("AccountNo")), rs.text(QStringLiteral("AccountName"))});
    return out;
}

bool isBankAccount(Connection& cnn, const QString& accountNo) {
    RowSet rs = cnn.execute(modDBUtil::GetAccount(accountNo));
    if (rs.eof())
        return false;
    const qint64 cls = rs.integer(QStringLiteral("AccountClassID"));
    return cls == 1 || cls == 2;
}

namespace {

QString separatorText(char c) {
    return c == '\t' ? QStringLiteral("tab") : QString(QLatin1Char(c));
}

} // namespace

std::optional<CsvProfile> loadProfile(Connection& cnn, const QString& bankAccount) {
    RowSet rs = cnn.execute(modDBUtil::GetBankProfile(bankAccount));
    if (rs.eof())
        return std::nullopt;
    auto t = [&](const char* c) { return rs.text(QLatin1String(c)); };
    CsvProfile p;
    p.dateColumn = t("DateColumn");
    p.amountColumn = t("AmountColumn");
    p.debitColumn = t("DebitColumn");
    p.creditColumn = t("CreditColumn");
    p.indicatorColumn = t("IndicatorColumn");
    p.debitIndicator = t("DebitIndicator");
    p.counterpartyColumn = t("CounterpartyColumn");
    p.textColumn = t("TextColumn");
    p.referenceColumn = t("ReferenceColumn");
    p.balanceColumn = t("BalanceColumn");
    p.dateFormat = t("DateFormat");
    p.decimalMark = t("DecimalMark").isEmpty() ? QLatin1Char('.') : t("DecimalMark").at(0);
    const QString sep = t("Separator");
    p.separator = sep == QLatin1String("tab") ? '\t' : sep.isEmpty() ? ',' : sep.at(0).toLatin1();
    p.utf8 = t("Encoding") != QLatin1String("windows-1252");
    p.skipLines = int(rs.integer(QStringLiteral("SkipLines")));
    p.prefix = t("Prefix");
    return p;
}

void writeProfile(StatementRunner& run, const QString& bankAccount, const CsvProfile& p) {
    run.run(modDBUtil::DeleteBankProfile(bankAccount));
    run.run(modDBUtil::InsertBankProfile(
        bankAccount,
        {p.dateColumn, p.amountColumn, p.debitColumn, p.creditColumn, p.indicatorColumn,
         p.debitIndicator, p.counterpartyColumn, p.textColumn, p.referenceColumn, p.balanceColumn,
         p.dateFormat, QString(p.decimalMark), separatorText(p.separator),
         p.utf8 ? QStringLiteral("utf-8") : QStringLiteral("windows-1252"), p.prefix},
        p.skipLines));
}

CommandOutcome saveProfile(Connection& cnn, const QString& bankAccount, const CsvProfile& profile) {
    return runSavingCommand(cnn,
                            [&](StatementRunner& run) { writeProfile(run, bankAccount, profile); });
}

QString prefixOf(Connection& cnn, const QString& bankAccount) {
    const std::optional<CsvProfile> p = loadProfile(cnn, bankAccount);
    return p && !p->prefix.isEmpty() ? p->prefix : defaultPrefix(bankAccount);
}

QStringList profileLines(const CsvProfile& p) {
    QStringList out;
    auto add = [&](const char* caption, const QString& value) {
        if (!value.isEmpty())
            out << QLatin1String(caption) + QStringLiteral(": ") + value;
    };
    add("Date column", p.dateColumn);
    add("Amount column", p.amountColumn);
    add("Debit column", p.debitColumn);
    add("Credit column", p.creditColumn);
    add("Indicator column", p.indicatorColumn);
    add("Money out when the indicator is", p.debitIndicator);
    add("Counterparty column", p.counterpartyColumn);
    add("Text column", p.textColumn);
    add("Reference column", p.referenceColumn);
    add("Balance column", p.balanceColumn);
    add("Date format", p.dateFormat);
    add("Decimal mark", QString(p.decimalMark));
    add("Separator", separatorText(p.separator));
    add("Encoding", p.utf8 ? QStringLiteral("utf-8") : QStringLiteral("windows-1252"));
    add("Lines to skip", QString::number(p.skipLines));
    add("Prefix", p.prefix);
    return out;
}

bool Rule::matches(const StatementLine& line) const {
    if ((sign > 0 && line.amount.isNegative()) || (sign < 0 && !line.amount.isNegative()))
        return false;
    auto test = [&](const QString& value) {
        if (!regex)
            return value.contains(pattern, Qt::CaseInsensitive);
        const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
        return re.isValid() && re.match(value).hasMatch();
    };
    return (field != Field::Text && test(line.counterparty)) ||
           (field != Field::Counterparty && test(line.text));
}

QString Rule::text() const {
    const QString where = field == Field::Counterparty ? QStringLiteral("counterparty")
                          : field == Field::Text       ? QStringLiteral("text")
                                                       : QStringLiteral("counterparty or text");
    QString s =
        QStringLiteral("%1 %2 \"%3\"")
            .arg(where, regex ? QStringLiteral("matches") : QStringLiteral("contains"), pattern);
    if (sign != 0)
        s += sign > 0 ? QStringLiteral(" (money in)") : QStringLiteral(" (money out)");
    s += QStringLiteral(" -> ") + account;
    if (!description.isEmpty())
        s += QStringLiteral(", ") + description;
    return s;
}

QString Rule::problem() const {
    if (pattern.trimmed().isEmpty())
        return QStringLiteral("A rule needs a text to look for.");
    if (regex && !QRegularExpression(pattern).isValid())
        return QStringLiteral("%1 is not a regular expression: %2.")
            .arg(pattern, QRegularExpression(pattern).errorString());
    if (account.trimmed().isEmpty())
        return QStringLiteral("A rule needs the account its lines go to.");
    return {};
}

namespace {

QString fieldKey(Rule::Field f) {
    return f == Rule::Field::Counterparty ? QStringLiteral("counterparty")
           : f == Rule::Field::Text       ? QStringLiteral("text")
                                          : QStringLiteral("any");
}

} // namespace

std::vector<Rule> loadRules(Connection& cnn, const QString& bankAccount) {
    std::vector<Rule> out;
    for (RowSet rs = cnn.execute(modDBUtil::GetBankRules(bankAccount)); !rs.eof(); rs.moveNext()) {
        Rule r;
        const QString field = rs.text(QStringLiteral("Field"));
        r.field = field == QLatin1String("counterparty") ? Rule::Field::Counterparty
                  : field == QLatin1String("text")       ? Rule::Field::Text
                                                         : Rule::Field::Any;
        r.regex = rs.text(QStringLiteral("Matching")) == QLatin1String("matches");
        r.pattern = rs.text(QStringLiteral("Pattern"));
        r.sign = int(rs.integer(QStringLiteral("Sign")));
        r.account = rs.text(QStringLiteral("FKID_Account_To"));
        r.description = rs.text(QStringLiteral("Description"));
        out.push_back(r);
    }
    return out;
}

void writeRules(StatementRunner& run, const QString& bankAccount, const std::vector<Rule>& rules) {
    run.run(modDBUtil::DeleteBankRules(bankAccount));
    int seq = 0;
    for (const Rule& r : rules)
        run.run(modDBUtil::InsertBankRule(bankAccount, ++seq, fieldKey(r.field),
                                          r.regex ? QStringLiteral("matches")
                                                  : QStringLiteral("contains"),
                                          r.pattern, r.sign, r.account, r.description));
}

CommandOutcome saveRules(Connection& cnn, const QString& bankAccount,
                         const std::vector<Rule>& rules) {
    return runSavingCommand(cnn,
                            [&](StatementRunner& run) { writeRules(run, bankAccount, rules); });
}

} // namespace zelk::bank
