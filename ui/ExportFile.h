#pragma once
// How the program writes what leaves it (the results as a spreadsheet, the map as a picture):
// one save dialog and one way of writing, so that every export behaves alike.

#include <QByteArray>
#include <QString>

class QWidget;

// The file an export offers at first: `name` beside the survey's map, or in the home folder
// before any map.
QString ExportNameBeside(const QString& mapFile, const QString& name);

// Asks, through the desktop's save dialog titled `title` and opened on `offered`, for the file
// to write: `filter` names its kind, and a name typed without a suffix takes `suffix`. The dialog
// asks before replacing a file. Empty when the user gives up.
QString AskFileToWrite(QWidget* parent, const QString& title, const QString& offered,
                       const QString& filter, const QString& suffix);

// Writes the file whole through a temporary file renamed over the old one: a failed write leaves
// the old file as it was and raises EFCreateError, naming the file and the system's reason.
void WriteWhole(const QString& fileName, const QByteArray& bytes);
