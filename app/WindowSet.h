#pragma once
// The program's six windows, created once at start-up, hidden, in a fixed order; the first
// is the main window. The others belong to it on the desktop: they have no task-bar entry of
// their own, stay with it, and are minimised and restored with it.

#include <QStringList>

void CreateWindowSet();
// The map file named on the command line, as a desktop entry passes the file it opens, goes into
// the main window: the first argument after the program's own name. Given the application's
// arguments, from which Qt has taken its own (-platform and the like).
void TakeMapFileArgument(const QStringList& arguments);
void DestroyWindowSet();
