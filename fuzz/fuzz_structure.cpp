// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer entry: any bytes through the structural checks that run before a picture is decoded,
// the first byte choosing the format. A verdict of any kind is a normal outcome; a crash, a
// sanitizer report, a leak, a hang or a huge allocation is a finding.

#include "picture/PictureStructure.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const QByteArray formats[] = {"jpeg", "png", "gif", "tiff", "webp"};
    const QByteArray& format = formats[data[0] % std::size(formats)];
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CheckStructure(format, buffer);
    return 0;
}
