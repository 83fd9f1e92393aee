#include "frmAbout.h"

#include "core/data/UserPorts.h"
#include "ui/widgets/Twips.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

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

// The manual's screenshots are as wide as a screen; in the help window they are shown
// no wider than the text beside them.
void fitImages(QTextDocument* doc, qreal maxWidth) {
    struct Sized {
        int position, length;
        QTextImageFormat format;
    };
    QList<Sized> sized; // the images, each with the size it is shown at
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            const QVariant data = doc->resource(QTextDocument::ImageResource, QUrl(image.name()));
            QImage picture = data.value<QImage>();
            if (picture.isNull())
                picture.loadFromData(data.toByteArray());
            if (picture.isNull())
                continue;
            const qreal width = std::min<qreal>(picture.width(), maxWidth);
            image.setWidth(width);
            image.setHeight(picture.height() * width / picture.width());
            sized.append({it.fragment().position(), it.fragment().length(), image});
        }
    for (const Sized& w : sized) { // an image is a character of the text
        QTextCursor cursor(doc);
        cursor.setPosition(w.position);
        cursor.setPosition(w.position + w.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(w.format);
    }
}

} // namespace

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Zelk Help"));
    auto* fraHelp = new QGroupBox(this);
    fraHelp->setObjectName(QStringLiteral("fraHelp"));
    // The manual is the README, built into the program with its screenshots.
    auto* txtHelp = new QTextBrowser(fraHelp);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setOpenExternalLinks(true);
    txtHelp->setSource(QUrl(QStringLiteral("qrc:/manual/README.md")),
                       QTextDocument::MarkdownResource);
    fitImages(txtHelp->document(), twips(9000));
    auto* inner = new QVBoxLayout(fraHelp);
    inner->addWidget(txtHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraHelp, 1);
    layout->addWidget(confirmFrame(this));
    resize(twips(11400), twips(10500));
}
