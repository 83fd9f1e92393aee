#pragma once

#include "Errors.h"
#include "UserPorts.h"

// Reporting errors through the program's own message dialog.
namespace modErrors {

// Shows the message dialog with the buttons of the mask enabled; returns the button index.
int ShowMessageDialog(const QString& Message, long Buttons, const QString& Title);
// "Error: n", "Source: s", "Desc: d" on three lines (CR LF between them).
QString ComposeErrorText(const zelk::ErrorRecord& error);
// A database error: Fix, Retry and Abort, titled "DB Error".
int ShowErrorMessage(const zelk::ErrorRecord& error);
// An input error: the buttons by its number (1 and 3: Fix, Abort; 2: Fix, Abort, Ignore;
// any other: Abort only), titled "DB Error".
int ShowInputErrorMessage(const zelk::ErrorRecord& error);
int InputErrorMask(int number);

} // namespace modErrors
