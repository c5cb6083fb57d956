// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon for the desktop's icon theme, under the folder given:
// hicolor/NxN/apps/tovimaru.png at the usual sizes and hicolor/scalable/apps/tovimaru.svg.
// Run at build time; needs no display.

#include "app/AppIcon.h"

#include <QDir>
#include <QFont>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        const QString file = root.filePath(folder + QStringLiteral("/tovimaru.png"));
        if (!root.mkpath(folder) || !AppIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const QString folder = QStringLiteral("hicolor/scalable/apps");
    const QString file = root.filePath(folder + QStringLiteral("/tovimaru.svg"));
    if (!root.mkpath(folder)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Tovimaru"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    // The drawing has no text, but every group names a font: a real size keeps viewers quiet.
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(10);
    painter.setFont(font);
    PaintAppIcon(painter, 64);
    return painter.end() ? 0 : 1;
}
