// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A printed or saved PDF looked at as a page: rendered by pdftoppm (poppler-utils), and the box of
// what is printed on it.

#include "TestSupport.h"

#include <QImage>
#include <QRect>

namespace testing {

// The page of a one-page PDF at 72 dpi (one pixel per point); a null image where it cannot be
// rendered.
inline QImage PdfPage(const QString &pdf)
{
    const QString base = pdf + QStringLiteral(".page");
    Run(QStringLiteral("pdftoppm"), {"-r", "72", "-png", "-singlefile", pdf, base});
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
