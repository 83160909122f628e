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

#include <QBuffer>
#include <QImage>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <jpeglib.h>

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

// The picture libjpeg decodes at an eighth, with its warnings of damage counted; null where it
// fails.
QImage LibjpegEighth(const QByteArray& jpeg, long& warnings, std::string& message)
{
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) {
        auto* errors = reinterpret_cast<JpegErrors*>(common->err);
        errors->manager.format_message(common, errors->message);
        std::longjmp(errors->back, 1);
    };
    // Its warnings of damaged data are counted, as the program's reading takes them (others,
    // an unknown JFIF revision say, leave the pixels as they are); the last one is kept to be told.
    errors.manager.emit_message = [](j_common_ptr common, int level) {
        auto* errors = reinterpret_cast<JpegErrors*>(common->err);
        if (level >= 0)
            return;
        errors->manager.format_message(common, errors->message);
        for (const char* damage : {"Corrupt JPEG data", "Premature end of JPEG file", "Inconsistent progression sequence",
                                   "Invalid SOS parameters"})
            if (std::strncmp(errors->message, damage, std::strlen(damage)) == 0)
                ++errors->manager.num_warnings;
    };
    QImage image;
    if (setjmp(errors.back)) {
        message = errors.message;
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    const bool grey = info.output_components == 1;
    image = QImage(int(info.output_width), int(info.output_height), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {image.scanLine(int(info.output_scanline))};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    warnings = errors.manager.num_warnings;
    message = errors.message;
    jpeg_destroy_decompress(&info);
    return grey ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

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
    const QImage libjpeg = LibjpegEighth(jpeg, warnings, message);
    if (libjpeg.isNull() || warnings != 0 || *eighth != libjpeg) {
        std::fprintf(stderr, "decoded where libjpeg %s: %s\n",
                     libjpeg.isNull() ? "fails" : warnings ? "warns" : "gives other pixels", message.c_str());
        std::abort();
    }
    return 0;
}
