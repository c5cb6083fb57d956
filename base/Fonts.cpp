// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Fonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cmath>

namespace platform {

namespace {
constexpr double PixelsPerPoint = 96.0 / 72.0;
constexpr double WindowFontPoints = 9.0;
} // namespace

QString FamilyOf(FontFace face)
{
    switch (face) {
    case FontFace::RoundedGothic:
        return QStringLiteral("MotoyaLMaru");
    case FontFace::Gothic:
        return QStringLiteral("IPAGothic");
    case FontFace::Window:
    case FontFace::UIGothic:
    case FontFace::PGothic:
        break;
    }
    return QStringLiteral("IPAPGothic");
}

QFont MakeFont(FontFace face, double points, FontStyle style)
{
    QFont font;
    // The proportional gothic is the fallback for the rounded face, should it be missing.
    font.setFamilies(QStringList{FamilyOf(face), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    const double size = points > 0 ? points : WindowFontPoints;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * PixelsPerPoint))));
    font.setBold(style == FontStyle::Bold || style == FontStyle::BoldItalic);
    font.setItalic(style == FontStyle::Italic || style == FontStyle::BoldItalic);
    // Keep the glyph shapes of the face at every size; the designed captions rely on their width.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double PointsOf(const QFont &font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize() / PixelsPerPoint;
    return font.pointSizeF();
}

void KeepSyntheticBoldAtEveryScale()
{
    static constexpr char Setting[] = "QT_MAX_CACHED_GLYPH_SIZE";
    if (!qGuiApp || qEnvironmentVariableIsSet(Setting))
        return;
    bool scaled = false;
    for (const QScreen *screen : QGuiApplication::screens())
        scaled = scaled || !qFuzzyCompare(screen->devicePixelRatio(), 1.0);
    if (scaled)
        qputenv(Setting, "1"); // no glyph is small enough for the cache: all are outlines
}

} // namespace platform
