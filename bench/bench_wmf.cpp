// SPDX-License-Identifier: GPL-3.0-or-later
// How long the metafile player takes for each metafile of the corpus and of the samples: parsing,
// playing at a gallery thumbnail (fitted into 119 x 89 pixels) and at the capture density (its
// natural size, reduced to fit the 707 x 499 poster where it is larger, at four device pixels per
// logical pixel). Best of 5 runs; the first play of a file with text also pays for loading its
// fonts, so it is reported apart.
//
//   bench_wmf [FILE...]      (default: the corpus's wmf/ folder and the samples)

#include "tests/TestPaths.h"
#include "base/Twips.h"
#include "wmf/WmfPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Runs = 5;

double bestOf(const std::function<void()> &work, double *first = nullptr)
{
    double best = 1e9;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (run == 0 && first)
            *first = ms;
        best = std::min(best, ms);
    }
    return best;
}

QStringList defaultFiles()
{
    QStringList files;
    for (const QString &folder : {testing::SourcePath(QStringLiteral("../shared/testdata/images/wmf")), testing::SourcePath(QStringLiteral("samples"))}) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.wmf"), QStringLiteral("*.WMF")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    if (files.isEmpty())
        files = defaultFiles();
    std::printf("%-24s %7s %6s %9s | %-9s %7s %7s | %-9s %7s %7s\n", "file", "records", "parse", "natural",
                "thumbnail", "first", "best", "capture", "first", "best");
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        std::optional<platform::wmf::Metafile> metafile;
        const double parse = bestOf([&] { metafile = platform::wmf::Metafile::parse(bytes); });
        const QString name = QFileInfo(path).fileName();
        if (!metafile || !metafile->isPlaceable() || metafile->unitsPerInch() == 0) {
            std::printf("%-24s not a picture (no placeable header)\n", qPrintable(name));
            continue;
        }
        const QSizeF natural = QSizeF(metafile->frame().size()) * 96.0 / metafile->unitsPerInch();
        const QSize thumbnail = natural.scaled(QSizeF(119, 89), Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1));
        const QSizeF poster(707, 499);
        const QSizeF onPoster = natural.width() <= poster.width() && natural.height() <= poster.height()
                ? natural
                : natural.scaled(poster, Qt::KeepAspectRatio);
        const QSize capture = (onPoster * platform::CaptureDensity).toSize().expandedTo(QSize(1, 1));
        double thumbnailFirst = 0;
        double captureFirst = 0;
        const double thumbnailBest = bestOf([&] { metafile->render(thumbnail); }, &thumbnailFirst);
        const double captureBest = bestOf([&] { metafile->render(capture, platform::CaptureDensity); }, &captureFirst);
        std::printf("%-24s %7d %6.2f %4.0fx%-4.0f | %4dx%-4d %7.2f %7.2f | %4dx%-4d %7.2f %7.2f\n", qPrintable(name),
                    int(metafile->records().size()), parse, natural.width(), natural.height(), thumbnail.width(),
                    thumbnail.height(), thumbnailFirst, thumbnailBest, capture.width(), capture.height(), captureFirst,
                    captureBest);
    }
    return 0;
}
