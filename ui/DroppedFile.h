// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What a window takes from a drag and drop: a file of this computer, whatever its name (the
// picture's reader tells by its content whether it is a picture).

#include <QString>
#include <QStringList>
#include <optional>

class QMimeData;

// The first of the dragged items when it is a local file; nothing for text, links to other
// computers and the like.
std::optional<QString> DroppedLocalFile(const QMimeData* data);

// Every dragged item that is a local file or folder, in the order dragged; the others are left.
QStringList DroppedLocalFiles(const QMimeData* data);
