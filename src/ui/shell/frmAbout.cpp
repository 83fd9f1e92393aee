#include "frmAbout.h"

#include "core/data/UserPorts.h"
#include "ui/widgets/Twips.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* label(QWidget* parent, int index, const QString& text, const QFont& font,
              const QColor& color) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("lblAbout_%1").arg(index));
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

QGroupBox* confirmFrame(QDialog* dlg) {
    auto* fra = new QGroupBox(dlg);
    fra->setObjectName(QStringLiteral("fraConfirm"));
    auto* ok = new QPushButton(QStringLiteral("&Ok"), fra);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dlg, &QDialog::accept);
    auto* row = new QHBoxLayout(fra);
    row->addStretch(1);
    row->addWidget(ok);
    return fra;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + zelk::appTitle());
    auto* fraAbout = new QGroupBox(this);
    fraAbout->setObjectName(QStringLiteral("fraAbout"));
    fraAbout->setMinimumSize(twips(5400), twips(2200));

    QFont big(QStringLiteral("Arial"), 24, QFont::Bold);
    // The light-blue name lies over the blue one, offset by 24 twips: a shadow.
    QLabel* shadow = label(fraAbout, 0, zelk::appTitle(), big, QColor(0, 0, 255));
    shadow->move(twips(72), twips(96) + 12);
    QLabel* name = label(fraAbout, 1, zelk::appTitle(), big, QColor(128, 200, 255));
    name->move(twips(96), twips(120) + 12);
    QLabel* small =
        label(fraAbout, 2, zelk::appTitle(), QFont(QStringLiteral("Arial"), 8), QColor(128, 0, 0));
    small->move(twips(96), twips(120) + 12 + name->sizeHint().height());
    QLabel* text = label(fraAbout, 3,
                         QStringLiteral("Simple but usefull if used correctly, and because it is "
                                        "simple don't expect complexity out of it. :P It's free "
                                        "anyway........"),
                         QFont(QStringLiteral("Arial"), 9), palette().color(QPalette::WindowText));
    text->setWordWrap(true);
    text->setGeometry(twips(96), small->geometry().bottom() + 12, twips(5100), twips(900));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraAbout, 1);
    layout->addWidget(confirmFrame(this));
    setFixedSize(sizeHint());
}

namespace {

// The keys of the program, as the README's keyboard table lists them.
const char* const Keys[][2] = {
    {"Alt+letter", "a menu by its underlined letter, then an item by its letter; a button or "
                   "field by the underlined letter of its caption"},
    {"Ctrl+N", "Ledger \u2192 New Transaction"},
    {"F1", "Help \u2192 Help (these keys)"},
    {"Ctrl+Q", "File \u2192 Exit"},
    {"Ctrl+F", "the filter box of a list or browser (Esc empties it, Down goes to the rows)"},
    {"Enter, double click", "a list's Edit"},
    {"Shift+Enter, Shift+double click", "the Account Card of the account list's account"},
    {"Enter", "in a dialog or the account editor: OK, Save; in the transaction editor's "
              "header: the next field, from the last the lines"},
    {"Esc", "Cancel (an editor asks first when something was typed)"},
    {"Alt+S", "Save"},
    {"Alt+N", "the account editor's Save and New"},
    {"Ctrl+Enter", "the transaction editor's Save"},
    {"= or F4", "in an empty amount cell: the amount that balances the transaction"},
    {"Delete", "in a line grid: empties the line"},
    {"Up, Down, Enter, Tab", "in an account field: mark an account of the list, take it"},
    {"Alt+Down", "in an account field: every account; in a date field (or F4): the calendar"},
    {"Ctrl+P", "the report viewer's Print"},
};

QString keysTable() {
    QString rows;
    for (const auto& k : Keys)
        rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                    .arg(QString::fromUtf8(k[0]).toHtmlEscaped(),
                         QString::fromUtf8(k[1]).toHtmlEscaped());
    return QStringLiteral("<p>Zelk is kept by keyboard as well as by mouse. The README "
                          "describes a year with Zelk.</p><table>") +
           rows + QStringLiteral("</table>");
}

} // namespace

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Zelk Help"));
    auto* fraHelp = new QGroupBox(this);
    fraHelp->setObjectName(QStringLiteral("fraHelp"));
    auto* lblHelp = new QLabel(keysTable(), fraHelp);
    lblHelp->setObjectName(QStringLiteral("lblHelp"));
    lblHelp->setTextFormat(Qt::RichText);
    lblHelp->setWordWrap(true);
    auto* inner = new QVBoxLayout(fraHelp);
    inner->addWidget(lblHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraHelp, 1);
    layout->addWidget(confirmFrame(this));
    setFixedSize(sizeHint().expandedTo(QSize(twips(9000), twips(1800))));
}
