#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QGroupBox;
class QPushButton;

// The program's own message dialog: a message and up to four answers
// (Fix, Retry, Abort, Ignore). Result is the index of the button pressed, 0 until one is.
class frmMessage : public QDialog {
    Q_OBJECT
public:
    explicit frmMessage(QWidget* parent = nullptr);

    QString Title() const;
    void setTitle(const QString& title);
    QString Message() const;
    void setMessage(const QString& message);
    bool ButtonEnabled(int index) const;
    void setButtonEnabled(int index, bool enabled);
    qint16 Result() const { return m_result; }

private:
    void cmdConfirm_Click(int index);

    QGroupBox* fraMessage;
    QLabel* lblMessage;
    std::array<QPushButton*, 4> cmdConfirm{};
    qint16 m_result = 0;
};
