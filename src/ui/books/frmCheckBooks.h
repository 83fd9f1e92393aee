#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// File → Check Books…: the full check of the file and of the books' sums, with a
// progress bar while the engine reads every page; Close stops a check that is going.
class frmCheckBooks : public QDialog {
    Q_OBJECT
public:
    explicit frmCheckBooks(QWidget* parent = nullptr);

    bool checking() const { return m_checking; }

protected:
    void reject() override;

private:
    void cmdCheck_Click();

    QLabel* lblInfo = nullptr;
    QProgressBar* prgCheck = nullptr;
    QPlainTextEdit* txtResult = nullptr;
    QPushButton* cmdCheck = nullptr;
    QPushButton* cmdClose = nullptr;
    bool m_checking = false;
    bool m_stop = false;
};
