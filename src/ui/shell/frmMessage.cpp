#include "frmMessage.h"

#include "ui/widgets/Twips.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmMessage::frmMessage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(QStringLiteral("Message"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    fraMessage = new QGroupBox(this);
    fraMessage->setObjectName(QStringLiteral("fraMessage"));
    lblMessage = new QLabel(fraMessage);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setMinimumSize(twips(5844), twips(1404));
    auto* frameLayout = new QVBoxLayout(fraMessage);
    frameLayout->setContentsMargins(twips(72), twips(192) - twips(120), twips(72), twips(72));
    frameLayout->addWidget(lblMessage);

    static const char* const captions[4] = {"&Fix", "&Retry", "&Abort", "&Ignore"};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]), this);
        b->setObjectName(QStringLiteral("cmdConfirm_%1").arg(i));
        b->setFixedSize(twips(924), twips(348));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { cmdConfirm_Click(i); });
        buttons->addWidget(b);
        cmdConfirm[size_t(i)] = b;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraMessage);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(twips(6036), twips(2076))));
}

QString frmMessage::Title() const {
    return windowTitle();
}
void frmMessage::setTitle(const QString& title) {
    setWindowTitle(title);
}
QString frmMessage::Message() const {
    return lblMessage->text();
}

void frmMessage::setMessage(const QString& message) {
    QString shown = message;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lblMessage->setText(shown);
    setFixedSize(sizeHint().expandedTo(QSize(twips(6036), twips(2076))));
}

bool frmMessage::ButtonEnabled(int index) const {
    return cmdConfirm.at(size_t(index))->isEnabled();
}

void frmMessage::setButtonEnabled(int index, bool enabled) {
    cmdConfirm.at(size_t(index))->setEnabled(enabled);
}

void frmMessage::cmdConfirm_Click(int index) {
    m_result = qint16(index);
    hide();
    done(index);
}
