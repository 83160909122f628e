// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What a picture file's own structure tells before anything is decoded: whether the file holds
// all that its headers announce, and whether it is a kind of picture that Qt's readers cannot
// decode. A decoder given a file cut short takes the memory of the whole picture first, and fills
// what is missing without a word; these checks read the bytes once, taking no memory on a
// header's word.

#include <QByteArray>
#include <QIODevice>
#include <QString>

struct PictureStructure {
    enum class Verdict { Whole, Damaged, Unsupported };
    Verdict verdict = Verdict::Whole;
    // For an unsupported picture, what it is, as a message names it: "un JPEG de 12 bits par
    // composante".
    QString kind;
};

// Reads the stream from its current position to as far as the format needs, by the format's
// name as Qt's readers give it ("jpeg", "png", "gif", "tiff", "webp"); the stream's position is
// left anywhere. The stream must be seekable.
PictureStructure CheckStructure(const QByteArray& format, QIODevice& stream);
