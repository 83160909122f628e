// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The map as a picture file: what the map window shows, with a line under it that tells which
// survey it is.

#include <QByteArray>
#include <QImage>
#include <QString>

// The map's pixels as they are, and below them a white band holding `legend` on one line in
// black. A map narrower than its legend is widened on the right, in white, so that the legend is
// read whole.
QImage MapWithLegend(const QImage& map, const QString& legend);

// The picture as the bytes of a PNG file.
QByteArray PngBytes(const QImage& picture);
