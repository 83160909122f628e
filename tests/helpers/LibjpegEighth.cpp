// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LibjpegEighth.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX] = {};
    long damage = 0;
};

// libjpeg's decoding into `image`, false where it fails: the jump back from its errors lands
// here, where nothing of this function's own is used after it.
bool Decode(jpeg_decompress_struct& info, JpegErrors& errors, const QByteArray& jpeg, QImage& image)
{
    if (setjmp(errors.back))
        return false;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height),
                   info.output_components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {image.scanLine(int(info.output_scanline))};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

QImage DecodedByLibjpegAtAnEighth(const QByteArray& jpeg, long* damage, std::string* message)
{
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = [](j_common_ptr common) {
        auto* errors = reinterpret_cast<JpegErrors*>(common->err);
        errors->manager.format_message(common, errors->message);
        std::longjmp(errors->back, 1);
    };
    errors.manager.emit_message = [](j_common_ptr common, int level) {
        auto* errors = reinterpret_cast<JpegErrors*>(common->err);
        if (level >= 0)
            return;
        errors->manager.format_message(common, errors->message);
        for (const char* told : {"Corrupt JPEG data", "Premature end of JPEG file", "Inconsistent progression sequence",
                                 "Invalid SOS parameters"})
            if (std::strncmp(errors->message, told, std::strlen(told)) == 0)
                ++errors->damage;
    };
    jpeg_create_decompress(&info);
    QImage image;
    const bool decoded = Decode(info, errors, jpeg, image);
    jpeg_destroy_decompress(&info);
    if (!decoded)
        image = QImage();
    else if (image.format() == QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (damage)
        *damage = errors.damage;
    if (message)
        *message = errors.message;
    return image;
}
