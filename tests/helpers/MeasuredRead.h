// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reading pictures from memory as the map window reads them, and measuring what a read takes.

#include <QByteArray>
#include <QString>

class TBitmap;

// Reads the bytes into the picture as a file's content, named "mémoire" in messages.
void ReadInto(TBitmap& bitmap, const QByteArray& bytes);

// The error a read raises, as "Class: message"; empty when the read succeeds.
QString ReadFailure(const QByteArray& bytes);

// A read's outcome ("Class: message", or empty) and the most virtual memory it took at once, in
// MiB. Measured in a child process, whose peak starts where its parent stands: what earlier
// reads took cannot hide it, and memory reserved but never touched counts too.
struct MeasuredRead {
    QString failure;
    qint64 peakMiB = -1;
};
MeasuredRead ReadInChild(const QByteArray& bytes);
