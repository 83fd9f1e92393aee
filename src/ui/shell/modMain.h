#pragma once

#include <QString>

class frmMain;
class frmToolWindow;

// Start-up and shutdown.
namespace modMain {

// Opens the database connection in the program folder (creating the file when it is
// missing; asking for the passphrase when the file has one), then shows the main window
// and the tool window. Returns 0, or 1 when the database is not opened (the reason has
// been shown to the user, unless they cancelled the passphrase).
int Main();
// Unloads every window other than the main window, then closes the connection.
void CloseApplication(frmMain* mainWindow);

frmMain* mainWindow();
frmToolWindow* toolWindow();

} // namespace modMain
