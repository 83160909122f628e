// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer entry: any bytes through the BMP reader. A reader error is a normal outcome; a
// crash, a sanitizer report, a leak or a hang is a finding.

#include "core/Errors.h"
#include "picture/BmpReader.h"

#include <QBuffer>

// Enough for any picture a fuzzed header can ask for without the run spending its time
// clearing memory; larger requests give "Mémoire insuffisante" like any refused allocation.
constexpr qint64 FuzzMemoryLimit = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const BmpPicture picture = ReadBmp(buffer, FuzzMemoryLimit);
        if (!picture.image.isNull()) {
            // Touch every pixel so that a wrongly sized image shows up under the sanitizers.
            volatile QRgb sink = 0;
            for (int y = 0; y < picture.image.height(); y += 7)
                sink = sink ^ picture.image.pixel(picture.image.width() - 1, y);
        }
    } catch (const Exception&) {
    }
    return 0;
}
