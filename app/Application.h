// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The application object and its start-up settings; what the windows share about the running
// program (its title, showing a window, ending the program) is in ui/ApplicationFrame.h.

#include <QString>

class QApplication;

// The title from an executable's path: folder dropped, name cut at its first full stop, the
// first character in upper case and every other in lower case (sondelio gives Sondelio).
QString TitleFromExecutable(const QString& path);

// Start-up settings: the title, the regional decimal separator (read again whenever the
// desktop announces changed settings), the mapping of the layouts' font faces to installed ones.
void SetUpApplication(QApplication& application);
