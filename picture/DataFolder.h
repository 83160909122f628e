// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the program's own data files are (the demo map, the chart), and the file that a picture's
// name stands for: a bare name that the current folder lacks is found among those data files too,
// whatever folder the program was started from.

#include <QString>

// The data folder of a program whose executable lies in `executableFolder`: the installed one,
// `<executableFolder>/../share/sondelio`, when it exists, else the executable's own folder, where
// the build puts the data files beside the program.
QString DataFolderFor(const QString& executableFolder);

// The name itself when the file is in the current folder, when the name has a folder part, or
// when the data folder lacks it too (its failure then names the current folder's file, as ever);
// else the file of that name in the running program's data folder.
QString PictureFilePath(const QString& fileName);
