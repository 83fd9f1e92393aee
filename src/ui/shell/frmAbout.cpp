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

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Zelk Help"));
    auto* fraHelp = new QGroupBox(this);
    fraHelp->setObjectName(QStringLiteral("fraHelp"));
    auto* lblHelp = new QLabel(
        QStringLiteral("Not Implemented yet. Read the readme.txt for instructions."), fraHelp);
    lblHelp->setObjectName(QStringLiteral("lblHelp"));
    lblHelp->setWordWrap(true);
    auto* inner = new QVBoxLayout(fraHelp);
    inner->addWidget(lblHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraHelp, 1);
    layout->addWidget(confirmFrame(this));
    setFixedSize(sizeHint().expandedTo(QSize(twips(4800), twips(1800))));
}
