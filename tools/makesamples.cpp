// SPDX-License-Identifier: GPL-3.0-or-later
// makesamples: draws the sample pictures that ship in samples/ so that the program has
// something to show on first start, and the program's own pictures that are installed with it.
//
// Usage: makesamples <output folder>             the samples of samples/
//        makesamples --builtin <output folder>   the program's own pictures (share/tovimaru/pictures)
//
// Every picture is described once as a short list of flat shapes in its own logical units
// (tools/samples/Pictures.h). Raster pictures are painted from that list and written as 24-bit
// BMP, RLE8/RLE4 BMP, GIF or JPEG; vector pictures are written as placeable Windows metafiles
// (tools/samples/Output.h). The BMP, RLE, GIF and WMF writers are the small hand-written encoders
// of the tests (Qt cannot write RLE, GIF or WMF), so the output is the same, byte for byte, on
// every run. The program's own pictures are read back with the program's own loader, and the
// tool fails unless each of them, and at least samples::BuiltinMinimum, decode.

#include "pictures/Picture.h"
#include "tools/samples/Sets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>

namespace {

// Why the file the program's loader reads is not the picture written; empty when it is.
QString CheckDecodes(const QString &path, const samples::Sample &sample)
{
    const platform::Picture picture = platform::LoadPicture(path);
    if (sample.format == samples::Format::Wmf)
        return picture.kind() == platform::Picture::Kind::Metafile ? QString() : QStringLiteral("not read as a metafile");
    if (picture.kind() != platform::Picture::Kind::Raster)
        return QStringLiteral("not read as a raster picture");
    if (picture.image().size() != sample.pixels)
        return QStringLiteral("read as %1 x %2 pixels").arg(picture.image().width()).arg(picture.image().height());
    return QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    const bool builtin = arguments.size() == 3 && arguments[1] == QLatin1String("--builtin");
    if (arguments.size() != 2 && !builtin) {
        err << "usage: makesamples [--builtin] <output folder>\n";
        return 2;
    }
    const QDir folder(arguments.last());
    if (!QDir().mkpath(folder.path())) {
        err << "cannot create " << folder.path() << "\n";
        return 1;
    }
    const std::vector<samples::Sample> &list = builtin ? samples::BuiltinSet() : samples::SampleSet();
    for (const samples::Sample &sample : list) {
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
        file.close();
        if (builtin) {
            const QString why = CheckDecodes(file.fileName(), sample);
            if (!why.isEmpty()) {
                err << sample.fileName << ": " << why << "\n";
                return 1;
            }
        } else {
            QTextStream(stdout) << sample.fileName << "  " << bytes.size() << " bytes\n";
        }
    }
    if (builtin && int(list.size()) < samples::BuiltinMinimum) {
        err << "only " << list.size() << " pictures of the program's own, fewer than " << samples::BuiltinMinimum << "\n";
        return 1;
    }
    return 0;
}
