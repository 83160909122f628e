// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What libjpeg itself decodes of a JPEG at an eighth of its size: the measure of the program's
// own decoding, for the tests and the fuzz target alike.

#include <QByteArray>
#include <QImage>
#include <string>

// The JPEG as libjpeg decodes it at an eighth, with Qt's reader's settings: grey for one
// component, else RGB32; null where libjpeg fails. `damage`, when given, counts its warnings of
// damaged data as the program's reading takes them (others, an unknown JFIF revision say, leave
// the pixels as they are), and `message` keeps its last word.
QImage DecodedByLibjpegAtAnEighth(const QByteArray& jpeg, long* damage = nullptr, std::string* message = nullptr);
