// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A file name as the system takes it.

#include <QByteArray>
#include <QString>
#include <optional>

// The bytes the system knows the file by. Nothing for a name holding a NUL: the system would
// silently take the shorter name before it.
//
// Qt decodes file names as UTF-8; the bytes of a name that is not (a name from an archive made
// elsewhere, in Latin-1) come out as U+FFFD, in the file dialog's answer, on the command line, in
// a dropped file, and cannot be encoded back. A name holding U+FFFD that the system lacks is
// therefore looked up in its folder, part by part, among the names that Qt decodes to the same
// text: the one found stands for it. When none or several do, the name stays as Qt encodes it,
// and the system's failure names it.
std::optional<QByteArray> SystemFileName(const QString& fileName);
