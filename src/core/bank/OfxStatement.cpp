// OFX and QFX statements (1.x SGML and 2.x XML), read with libofx.

#include "Statement.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cmath>
#include <libofx/libofx.h>

namespace zelk::bank {

namespace {

// libofx hands amounts over as double. Money never comes from a double by arithmetic:
// the double is rounded to the nearest ten-thousandth, which is the file's own decimal
// text as long as it has at most four decimals and fewer than fifteen digits, as
// statement amounts have. Larger values are refused rather than guessed.
std::optional<Amount> exactAmount(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e11)
        return std::nullopt;
    return Amount::fromRaw(std::llround(value * double(Amount::Scale)));
}

// libofx gives a date as the moment it names; a date without a time is noon-ish in UTC,
// so the UTC date is the one the file holds.
QDate dateOf(time_t t) {
    return QDateTime::fromSecsSinceEpoch(qint64(t), Qt::UTC).date();
}

struct OfxReading {
    Statement statement;
    int amountsRefused = 0;
};

int onTransaction(const struct OfxTransactionData data, void* context) {
    auto* r = static_cast<OfxReading*>(context);
    StatementLine l;
    std::optional<Amount> a;
    if (data.amount_valid)
        a = exactAmount(data.amount);
    if (!a || !data.date_posted_valid) {
        ++r->amountsRefused;
        return 0;
    }
    l.amount = *a;
    l.date = dateOf(data.date_posted);
    if (data.name_valid)
        l.counterparty = QString::fromUtf8(data.name).simplified();
    QStringList text;
    if (data.memo_valid)
        text << QString::fromUtf8(data.memo).simplified();
    if (data.check_number_valid && data.check_number[0])
        text << QStringLiteral("Check %1").arg(QString::fromUtf8(data.check_number).trimmed());
    text.removeAll(QString());
    l.text = text.join(QStringLiteral(", "));
    if (data.fi_id_valid)
        l.reference = QString::fromUtf8(data.fi_id).trimmed();
    l.number = int(r->statement.lines.size()) + 1;
    r->statement.lines.push_back(l);
    return 0;
}

int onStatement(const struct OfxStatementData data, void* context) {
    auto* r = static_cast<OfxReading*>(context);
    if (data.ledger_balance_valid)
        r->statement.closing = exactAmount(data.ledger_balance);
    return 0;
}

// libofx prints its messages to stderr unless told not to.
void silenceLibofx() {
    ofx_PARSER_msg = false;
    ofx_DEBUG_msg = false;
    ofx_DEBUG1_msg = false;
    ofx_DEBUG2_msg = false;
    ofx_DEBUG3_msg = false;
    ofx_DEBUG4_msg = false;
    ofx_DEBUG5_msg = false;
    ofx_STATUS_msg = false;
    ofx_INFO_msg = false;
    ofx_WARNING_msg = false;
    ofx_ERROR_msg = false;
}

} // namespace

Statement readOfx(const QByteArray& bytes) {
    // libofx reads a file by its name.
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        throw StatementError(QStringLiteral("The OFX file could not be passed to its reader: %1.")
                                 .arg(file.errorString()));
    file.close();

    silenceLibofx();
    OfxReading reading;
    reading.statement.format = Format::Ofx;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, onTransaction, &reading);
    ofx_set_statement_cb(context, onStatement, &reading);
    const int rc = libofx_proc_file(context, QFile::encodeName(file.fileName()).constData(), OFX);
    libofx_free_context(context);

    // Every transaction the file holds must have been read: a damaged or cut file gives
    // fewer (or none) rather than an error.
    static const QRegularExpression transaction(QStringLiteral("<STMTTRN>"),
                                                QRegularExpression::CaseInsensitiveOption);
    const int inFile = int(QString::fromLatin1(bytes).count(transaction));
    const int read = int(reading.statement.lines.size());
    if (rc != 0 || read != inFile || reading.amountsRefused > 0 ||
        (inFile == 0 && !reading.statement.closing))
        throw StatementError(QStringLiteral("The OFX file is damaged or incomplete: %1 of its "
                                            "%2 transactions could be read.")
                                 .arg(read)
                                 .arg(inFile));
    assignIdentities(reading.statement);
    return reading.statement;
}

} // namespace zelk::bank
