// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's seven windows, created once at start-up, hidden, in a fixed order; the first
// is the main window. The others belong to it on the desktop: they have no task-bar entry of
// their own, stay with it, and are minimised and restored with it.

#include <QStringList>

void CreateWindowSet();
// The file named on the command line, as a desktop entry passes the file it opens: the first
// argument after the program's own name. A session (".sondelio") is opened in the map window,
// which shows it (a refused one is reported); any other name goes into the main window as the
// map file. Given the application's arguments, from which Qt has taken its own (-platform and
// the like), once the main window is shown.
void TakeFileArgument(const QStringList& arguments);
// Surveys that programs ended without saving, killed or crashed, kept in their journals: each is
// offered back in turn ("Reprendre" shows it in the map window, still to be saved; "Ne pas
// reprendre" lets it go; "Plus tard" keeps it for the next start). Once the main window is shown.
void OfferRecovery();
void DestroyWindowSet();
