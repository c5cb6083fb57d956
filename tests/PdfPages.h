// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A printed or saved PDF looked at as a page: rendered by pdftoppm (poppler-utils), and the box of
// what is printed on it.

#include "TestSupport.h"

#include <QImage>
#include <QRect>

namespace testing {

// The page of a one-page PDF at 72 dpi (one pixel per point), or of the part of it within
// region (in points) at dpi; a null image where it cannot be rendered.
inline QImage PdfPage(const QString &pdf, int dpi = 72, const QRect &region = QRect())
{
    const QString base = pdf + QStringLiteral(".page");
    QStringList arguments{"-r", QString::number(dpi), "-png", "-singlefile"};
    if (region.isValid()) {
        const auto at = [dpi](int points) { return QString::number(points * dpi / 72); };
        arguments << "-x" << at(region.x()) << "-y" << at(region.y()) << "-W" << at(region.width()) << "-H"
                  << at(region.height());
    }
    Run(QStringLiteral("pdftoppm"), arguments << pdf << base);
    return QImage(base + QStringLiteral(".png"));
}

// The bounding box of the pixels that are not white.
inline QRect Ink(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixelColor(x, y).lightness() < 245)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace testing
