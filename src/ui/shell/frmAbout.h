#pragma once

#include <QDialog>

// The product name with an offset shadow, and a line of text.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

// The manual: the README, rendered from Markdown.
class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
};
