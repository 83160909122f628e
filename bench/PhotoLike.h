// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A picture that stands for an aerial photo in the benchmarks.

#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

// Fields, a road and grain: smooth stretches with noise, as an aerial photo compresses.
inline QImage PhotoLikePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(346);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int field = (x / 700 + y / 500) % 4;
            const int grain = int(random.bounded(24));
            const int shade = int(20 * std::sin(x / 90.0) + 20 * std::cos(y / 70.0));
            line[x] = qRgb(std::clamp(60 + field * 40 + shade + grain, 0, 255),
                           std::clamp(120 + field * 15 - shade + grain, 0, 255),
                           std::clamp(50 + field * 10 + grain, 0, 255));
        }
    }
    return image;
}
