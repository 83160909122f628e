// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer entry: any bytes through the program's decoding of a JPEG at an eighth, as the map
// window runs it (after the structural checks, shared between as many cores as the first byte
// says), against libjpeg's own decoding at that scale. Declining is a normal outcome; a crash,
// a sanitizer report, a hang, or a picture other than the one libjpeg decodes without a warning
// is a finding. libjpeg is held to its plain C code: its SIMD transforms work in 16 bits and
// wrap, where coefficients larger than any encoder of 8-bit samples writes, otherwise than its C
// code does, which the program's decoder follows.

#include "picture/JpegEighth.h"
#include "picture/PictureStructure.h"
#include "tests/helpers/LibjpegEighth.h"

#include <QBuffer>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("JSIMD_FORCENONE", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    QByteArray jpeg = QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::ReadOnly);
    if (CheckStructure("jpeg", buffer).verdict != PictureStructure::Verdict::Whole)
        return 0;
    const std::optional<QImage> eighth = DecodeJpegEighth(jpeg, 1 + data[0] % 3);
    if (!eighth)
        return 0;
    long warnings = 0;
    std::string message;
    const QImage libjpeg = DecodedByLibjpegAtAnEighth(jpeg, &warnings, &message);
    if (libjpeg.isNull() || warnings != 0 || *eighth != libjpeg) {
        std::fprintf(stderr, "decoded where libjpeg %s: %s\n",
                     libjpeg.isNull() ? "fails" : warnings ? "warns" : "gives other pixels", message.c_str());
        std::abort();
    }
    return 0;
}
