#include "Statement.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace zelk::bank {

QString formatName(Format format) {
    switch (format) {
    case Format::Camt053:
        return QStringLiteral("CAMT.053");
    case Format::Ofx:
        return QStringLiteral("OFX");
    case Format::Csv:
        return QStringLiteral("CSV");
    case Format::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString defaultPrefix(const QString& bankAccount) {
    return QStringLiteral("B") + bankAccount + QLatin1Char('-');
}

Format detectFormat(const QByteArray& bytes) {
    const QByteArray head = bytes.left(4096);
    const QByteArray lower = head.toLower();
    if (lower.contains("ofxheader") || lower.contains("<ofx>"))
        return Format::Ofx;
    const QByteArray trimmed = head.trimmed();
    if (trimmed.startsWith("<?xml") || trimmed.startsWith("<") ||
        trimmed.startsWith("\xEF\xBB\xBF<"))
        return bytes.contains("BkToCstmrStmt") ? Format::Camt053 : Format::Unknown;
    // Text of lines with separators; a NUL byte or other control bytes: a binary file.
    int separators = 0;
    for (const char c : head) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return Format::Unknown;
        if (c == ',' || c == ';' || c == '\t')
            ++separators;
    }
    return separators > 0 && head.contains('\n') ? Format::Csv : Format::Unknown;
}

void assignIdentities(Statement& statement) {
    QHash<QString, int> seen;
    for (StatementLine& line : statement.lines) {
        const QString base = line.reference.isEmpty()
                                 ? QStringLiteral("%1|%2|%3")
                                       .arg(line.date.toString(Qt::ISODate),
                                            line.amount.toSqlText(), line.text.simplified())
                                 : line.reference;
        const int n = ++seen[base];
        // a line without a reference always carries its occurrence; a reference only from
        // its second time on
        line.identity = line.reference.isEmpty() ? base + QStringLiteral("|%1").arg(n)
                        : n == 1                 ? base
                                                 : base + QStringLiteral("#%1").arg(n);
    }
}

// --- CAMT.053 ---------------------------------------------------------------------------

namespace {

// An element of the XML with its text and children, read whole (an entry or a balance).
struct Node {
    QString name;
    QString text;
    std::vector<Node> children;

    const Node* child(QStringView n) const {
        for (const Node& c : children)
            if (c.name == n)
                return &c;
        return nullptr;
    }
    // The node at a path of child names ("AmtDtls/TxAmt/Amt"), or nullptr.
    const Node* at(const QString& path) const {
        const Node* n = this;
        for (const QStringView part : QStringView(path).split(QLatin1Char('/'))) {
            n = n->child(part);
            if (!n)
                return nullptr;
        }
        return n;
    }
    QString textAt(const QString& path) const {
        const Node* n = at(path);
        return n ? n->text.trimmed() : QString();
    }
    std::vector<const Node*> all(QStringView n) const {
        std::vector<const Node*> out;
        for (const Node& c : children)
            if (c.name == n)
                out.push_back(&c);
        return out;
    }
};

Node readNode(QXmlStreamReader& xml) {
    Node node;
    node.name = xml.name().toString();
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            node.children.push_back(readNode(xml));
        else if (token == QXmlStreamReader::Characters)
            node.text += xml.text();
        else if (token == QXmlStreamReader::EndElement)
            break;
    }
    return node;
}

std::optional<Amount> signedAmount(const QString& amount, const QString& indicator) {
    std::optional<Amount> a = Amount::parse(amount);
    if (!a || amount.contains(QLatin1Char(',')) || a->isNegative())
        return std::nullopt;
    if (indicator == QLatin1String("DBIT"))
        return -*a;
    if (indicator == QLatin1String("CRDT"))
        return a;
    return std::nullopt;
}

QString realReference(const QString& ref) {
    return ref.compare(QLatin1String("NOTPROVIDED"), Qt::CaseInsensitive) == 0 ? QString() : ref;
}

struct Party {
    QString name, iban;
};

Party partyOf(const Node* related, const char* role) {
    Party p;
    if (!related)
        return p;
    const QString r = QLatin1String(role);
    p.name = related->textAt(r + QStringLiteral("/Nm"));
    if (p.name.isEmpty())
        p.name = related->textAt(r + QStringLiteral("/Pty/Nm"));
    p.iban = related->textAt(r + QStringLiteral("Acct/Id/IBAN"));
    return p;
}

// The counterparty of a detail: the debtor of money in, the creditor of money out.
Party counterpartyOf(const Node* detail, bool moneyIn) {
    const Node* related = detail ? detail->child(u"RltdPties") : nullptr;
    Party first = partyOf(related, moneyIn ? "Dbtr" : "Cdtr");
    if (first.name.isEmpty() && first.iban.isEmpty())
        first = partyOf(related, moneyIn ? "Cdtr" : "Dbtr");
    return first;
}

QString remittanceOf(const Node* detail) {
    if (!detail)
        return {};
    QStringList parts;
    if (const Node* rmt = detail->child(u"RmtInf")) {
        for (const Node* u : rmt->all(u"Ustrd"))
            if (!u->text.trimmed().isEmpty())
                parts << u->text.simplified();
        if (parts.isEmpty())
            for (const Node* s : rmt->all(u"Strd")) {
                const QString ref = s->textAt(QStringLiteral("CdtrRefInf/Ref"));
                if (!ref.isEmpty())
                    parts << ref;
            }
    }
    if (parts.isEmpty())
        parts << detail->textAt(QStringLiteral("AddtlTxInf")).simplified();
    return parts.join(QLatin1Char(' ')).trimmed();
}

QDate camtDate(const Node& entry, const char* element) {
    const QString e = QLatin1String(element);
    QString text = entry.textAt(e + QStringLiteral("/Dt"));
    if (text.isEmpty())
        text = entry.textAt(e + QStringLiteral("/DtTm")).left(10);
    return QDate::fromString(text.left(10), Qt::ISODate);
}

void readEntry(const Node& entry, int entryNo, Statement& out) {
    QString status = entry.textAt(QStringLiteral("Sts/Cd"));
    if (status.isEmpty())
        status = entry.textAt(QStringLiteral("Sts"));
    if (status != QLatin1String("BOOK"))
        return; // pending and information entries are not booked yet
    const QString indicator = entry.textAt(QStringLiteral("CdtDbtInd"));
    const std::optional<Amount> amount =
        signedAmount(entry.textAt(QStringLiteral("Amt")), indicator);
    if (!amount)
        throw StatementError(QStringLiteral("Entry %1 has no amount with a credit or debit "
                                            "indicator.")
                                 .arg(entryNo));
    QDate date = camtDate(entry, "BookgDt");
    if (!date.isValid())
        date = camtDate(entry, "ValDt");
    if (!date.isValid())
        throw StatementError(QStringLiteral("Entry %1 has no booking date.").arg(entryNo));
    const QString entryRef = realReference(entry.textAt(QStringLiteral("AcctSvcrRef")));
    const bool reversal = entry.textAt(QStringLiteral("RvslInd"))
                              .compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    std::vector<const Node*> details;
    for (const Node* d : entry.all(u"NtryDtls"))
        for (const Node* t : d->all(u"TxDtls"))
            details.push_back(t);

    auto line = [&](const Node* detail, Amount a, const QString& ref) {
        StatementLine l;
        l.date = date;
        l.amount = a;
        const Party party = counterpartyOf(detail, !a.isNegative());
        l.counterparty = party.name.simplified();
        l.iban = party.iban;
        l.text = remittanceOf(detail);
        if (l.text.isEmpty())
            l.text = entry.textAt(QStringLiteral("AddtlNtryInf")).simplified();
        l.reference = ref;
        l.reversal = reversal;
        l.number = int(out.lines.size()) + 1;
        out.lines.push_back(l);
    };

    // A batch: one line per detail, when every detail tells its amount and they add up to
    // the entry's.
    if (details.size() > 1) {
        std::vector<Amount> parts;
        Amount sum;
        for (const Node* d : details) {
            QString text = d->textAt(QStringLiteral("AmtDtls/TxAmt/Amt"));
            if (text.isEmpty())
                text = d->textAt(QStringLiteral("Amt"));
            QString ind = d->textAt(QStringLiteral("CdtDbtInd"));
            if (ind.isEmpty())
                ind = indicator;
            const std::optional<Amount> a = signedAmount(text, ind);
            if (!a)
                break;
            parts.push_back(*a);
            sum += *a;
        }
        if (parts.size() == details.size() && sum == *amount) {
            for (size_t i = 0; i < details.size(); ++i) {
                QString ref = realReference(details[i]->textAt(QStringLiteral("Refs/AcctSvcrRef")));
                if (ref.isEmpty())
                    ref = realReference(details[i]->textAt(QStringLiteral("Refs/EndToEndId")));
                if (ref.isEmpty() && !entryRef.isEmpty())
                    ref = entryRef + QStringLiteral("/%1").arg(i + 1);
                line(details[i], parts[i], ref);
            }
            return;
        }
    }
    const Node* only = details.size() == 1 ? details.front() : nullptr;
    QString ref = entryRef;
    if (ref.isEmpty() && only)
        ref = realReference(only->textAt(QStringLiteral("Refs/EndToEndId")));
    line(only, *amount, ref);
    if (details.size() > 1 && out.lines.back().text.isEmpty())
        out.lines.back().text = QStringLiteral("Batch of %1 payments").arg(details.size());
}

void readBalance(const Node& bal, Statement& out) {
    const QString code = bal.textAt(QStringLiteral("Tp/CdOrPrtry/Cd"));
    const std::optional<Amount> a =
        signedAmount(bal.textAt(QStringLiteral("Amt")), bal.textAt(QStringLiteral("CdtDbtInd")));
    if (!a)
        return;
    if ((code == QLatin1String("OPBD") || code == QLatin1String("PRCD")) && !out.opening)
        out.opening = a;
    if (code == QLatin1String("CLBD"))
        out.closing = a;
}

} // namespace

Statement readCamt(const QByteArray& bytes) {
    Statement out;
    out.format = Format::Camt053;
    QXmlStreamReader xml(bytes);
    bool statement = false;
    int entries = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"BkToCstmrStmt") {
            statement = true;
        } else if (statement && (name == u"Bal" || name == u"Ntry")) {
            const Node node = readNode(xml);
            if (xml.hasError())
                break; // a cut or damaged element: told below
            if (node.name == u"Bal")
                readBalance(node, out);
            else
                readEntry(node, ++entries, out);
        }
    }
    if (xml.hasError()) {
        QString why = xml.errorString(); // Qt's own end with a full stop, or not
        if (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        throw StatementError(QStringLiteral("The CAMT.053 file is damaged: line %1, column %2: "
                                            "%3.")
                                 .arg(xml.lineNumber())
                                 .arg(xml.columnNumber())
                                 .arg(why));
    }
    if (!statement)
        throw StatementError(QStringLiteral("The XML file is not a CAMT.053 bank statement (it "
                                            "has no BkToCstmrStmt)."));
    assignIdentities(out);
    return out;
}

Statement readStatementFile(const QString& path, const std::optional<CsvProfile>& profile,
                            int fiscalYear) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw StatementError(
            QStringLiteral("The file %1 cannot be read: %2.").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    switch (detectFormat(bytes)) {
    case Format::Camt053:
        return readCamt(bytes);
    case Format::Ofx:
        return readOfx(bytes);
    case Format::Csv:
        if (!profile)
            throw StatementError(QStringLiteral("The file %1 is a CSV file; it needs the "
                                                "bank account's CSV profile.")
                                     .arg(path));
        return readCsv(bytes, *profile, fiscalYear);
    case Format::Unknown:
        break;
    }
    throw StatementError(QStringLiteral("The file %1 is not a bank statement Zelk can read "
                                        "(CAMT.053, OFX or CSV).")
                             .arg(path));
}

} // namespace zelk::bank
