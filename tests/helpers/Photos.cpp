// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Photos.h"

#include "Files.h"

#include <QBuffer>
#include <QImageWriter>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

QByteArray Encoded(const QImage& image, const QByteArray& format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format.constData(), qPrintable(writer.errorString()));
    return bytes;
}

QByteArray WithOrientation(const QByteArray& jpeg, quint16 orientation)
{
    QByteArray exif("Exif\0\0MM\0\x2a\0\0\0\x08", 14);
    exif += QByteArray::fromHex("0001" "0112" "0003" "00000001");
    exif += char(orientation >> 8);
    exif += char(orientation & 0xFF);
    exif += QByteArray::fromHex("0000" "00000000");
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment += char((exif.size() + 2) >> 8);
    segment += char((exif.size() + 2) & 0xFF);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

QString WritePhoto(const QString& path, QSize size, const QColor& colour, quint16 orientation)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QByteArray jpeg = Encoded(image, "jpeg");
    WriteFile(path, orientation == 1 ? jpeg : WithOrientation(jpeg, orientation));
    return path;
}

namespace {

// libjpeg's errors end the test rather than the process.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void ThrowBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->back, 1);
}

}  // namespace

QByteArray EncodedByLibjpeg(const QImage& image, const JpegLayout& layout)
{
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = ThrowBack;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        qFatal("libjpeg could not write the picture");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = layout.grey ? 1 : layout.cmyk ? 4 : 3;
    info.in_color_space = layout.grey ? JCS_GRAYSCALE : layout.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (layout.adobeRgb)
        jpeg_set_colorspace(&info, JCS_RGB);
    jpeg_set_quality(&info, layout.quality, TRUE);
    if (!layout.grey && !layout.cmyk) {
        info.comp_info[0].h_samp_factor = layout.across;
        info.comp_info[0].v_samp_factor = layout.down;
    }
    info.restart_interval = JDIMENSION(layout.restartInterval);
    info.optimize_coding = layout.optimized;
    info.arith_code = layout.arithmetic;
    if (layout.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<JSAMPLE> row(size_t(image.width()) * size_t(info.input_components));
    while (info.next_scanline < info.image_height) {
        const uchar* pixels = rgb.constScanLine(int(info.next_scanline));
        for (int x = 0; x < image.width(); ++x) {
            const uchar* pixel = pixels + 3 * x;
            if (layout.grey)
                row[size_t(x)] = JSAMPLE(qGray(pixel[0], pixel[1], pixel[2]));
            else
                for (int c = 0; c < info.input_components; ++c)
                    row[size_t(x * info.input_components + c)] = c < 3 ? pixel[c] : JSAMPLE(255 - pixel[0]);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}
