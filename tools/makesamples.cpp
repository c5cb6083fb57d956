// SPDX-License-Identifier: GPL-3.0-or-later
// makesamples: draws the sample pictures that ship in samples/ so that the program has
// something to show on first start.
//
// Usage: makesamples <output folder>
//
// Every picture is described once as a short list of flat shapes in its own logical units
// (tools/samples/Pictures.h). Raster pictures are painted from that list and written as 24-bit
// BMP, RLE8/RLE4 BMP, GIF or JPEG; vector pictures are written as placeable Windows metafiles
// (tools/samples/Output.h). The BMP, RLE, GIF and WMF writers are the small hand-written encoders
// of the tests (Qt cannot write RLE, GIF or WMF), so the output is the same, byte for byte, on
// every run.

#include "tools/samples/Output.h"
#include "tools/samples/Pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>

namespace {

using samples::Format;

struct Sample
{
    QString fileName;
    Format format;
    samples::Drawing (*draw)();
    QSize pixels; // raster pictures
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: makesamples <output folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << "\n";
        return 1;
    }
    const Sample list[] = {
        {QStringLiteral("SUN.BMP"), Format::Bmp24, samples::Sun, {400, 300}},
        {QStringLiteral("balloons.bmp"), Format::Bmp24, samples::Balloons, {240, 360}},
        {QStringLiteral("fish.dib"), Format::Bmp24, samples::Fish, {320, 224}},
        {QStringLiteral("HOUSE.RLE"), Format::Rle8, samples::House, {480, 400}},
        {QStringLiteral("apple.rle"), Format::Rle4, samples::Apple, {320, 360}},
        {QStringLiteral("flower.jpg"), Format::Jpeg, samples::Flower, {360, 480}},
        {QStringLiteral("CAR.JPG"), Format::Jpeg, samples::Car, {600, 340}},
        {QStringLiteral("rainbow.JPG"), Format::Jpeg, samples::Rainbow, {640, 320}},
        {QStringLiteral("IMG_0412.JPG"), Format::PhoneJpeg, samples::Balloons, {360, 480}},
        {QStringLiteral("tree.gif"), Format::Gif, samples::Tree, {320, 480}},
        {QStringLiteral("STAR.GIF"), Format::Gif, samples::Star, {360, 360}},
        {QStringLiteral("little boat.GIF"), Format::Gif, samples::Boat, {500, 360}},
        {QString::fromUtf8("ねこ の かお.gif"), Format::Gif, samples::CatFace, {400, 400}},
        {QStringLiteral("kite.wmf"), Format::Wmf, samples::Kite, {}},
        {QStringLiteral("Snowman.WMF"), Format::Wmf, samples::Snowman, {}},
        {QStringLiteral("ladybug.wmf"), Format::Wmf, samples::Ladybug, {}},
    };
    for (const Sample &sample : list) {
        QString error;
        const QByteArray bytes = samples::Encode(sample.draw(), sample.format, sample.pixels, &error);
        if (bytes.isEmpty()) {
            err << sample.fileName << ": " << error << "\n";
            return 1;
        }
        QFile file(folder.filePath(sample.fileName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            err << "cannot write " << file.fileName() << "\n";
            return 1;
        }
        QTextStream(stdout) << sample.fileName << "  " << bytes.size() << " bytes\n";
    }
    return 0;
}
