#include "modErrors.h"

namespace modErrors {

int ShowMessageDialog(const QString& Message, long Buttons, const QString& Title) {
    return zelk::ui().showMessageDialog(Message, int(Buttons), Title);
}

QString ComposeErrorText(const zelk::ErrorRecord& error) {
    return QStringLiteral("Error: ") + QString::number(error.number) + QStringLiteral("\r\n") +
           QStringLiteral("Source: ") + error.source + QStringLiteral("\r\n") +
           QStringLiteral("Desc: ") + error.description;
}

int ShowErrorMessage(const zelk::ErrorRecord& error) {
    return ShowMessageDialog(ComposeErrorText(error), 7, QStringLiteral("DB Error"));
}

int InputErrorMask(int number) {
    switch (number) {
    case 1:
    case 3:
        return 5;
    case 2:
        return 13;
    default:
        return 4;
    }
}

int ShowInputErrorMessage(const zelk::ErrorRecord& error) {
    return ShowMessageDialog(ComposeErrorText(error), InputErrorMask(error.number),
                             QStringLiteral("DB Error"));
}

} // namespace modErrors
