#pragma once

#include <QString>

class frmMain;
class frmToolWindow;

// Start-up and shutdown.
namespace modMain {

// Opens the books (a file, or Zelk.mdb in a folder; the program's folder when empty),
// creating the file when it is missing and asking for the passphrase when it has one,
// then shows the main window, named after the books, and the tool window. Returns 0, or
// 1 when the books are not opened (the reason has been shown to the user, unless they
// cancelled the passphrase).
int Main(const QString& books = QString());
// How often the main window looks whether another program has changed the books.
constexpr int WatchIntervalMs = 1500;
// Opens other books in place of the open ones: every window of these is closed first
// (false when one refuses). Books that do not open leave the open ones as they were.
// create: new books, on which New Company opens.
bool OpenBooks(const QString& path, bool create = false);
// Unloads every window other than the main window, then closes the connection.
void CloseApplication(frmMain* mainWindow);

frmMain* mainWindow();
frmToolWindow* toolWindow();

} // namespace modMain
