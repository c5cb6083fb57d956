// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The faces the windows are designed with, and the Debian faces that stand in for them.

#include <QFont>

namespace platform {

enum class FontFace {
    Window,        // the desktop's window font (9 pt proportional gothic)
    RoundedGothic, // buttons: "HG丸ｺﾞｼｯｸM-PRO", here Motoya L Maruberi
    UIGothic,      // header labels: "MS UI Gothic", here IPAPGothic
    PGothic,       // keys and text slots: "ＭＳ Ｐゴシック", here IPAPGothic
    Gothic,        // registration window: "ＭＳ ゴシック", here IPAGothic
};

enum class FontStyle { Regular = 0, Bold = 1, Italic = 2, BoldItalic = 3 };

// The font of a control. Sizes are points at 96 dpi (20.25 pt = 27 logical pixels), applied
// as a pixel size so that the layout does not depend on the screen's reported resolution.
QFont MakeFont(FontFace face, double points, FontStyle style = FontStyle::Regular);

// The Debian family that stands in for a face ("MotoyaLMaru", "IPAPGothic", "IPAGothic").
QString FamilyOf(FontFace face);

// Points as the control reports them again from a font made by MakeFont.
double PointsOf(const QFont &font);

// Keeps bold captions bold on screens of any scale. The rounded gothic and the proportional
// gothic have one weight each, which the font engine emboldens; glyphs that Qt's glyph cache
// draws through a scaling transform (a device pixel ratio other than 1, QT_SCALE_FACTOR=2)
// get the emboldening of the unscaled size, half as strong at a ratio of 2, and look regular.
// Glyphs drawn as outlines are emboldened at the size they are drawn. So where a screen has
// another ratio than 1, every glyph is drawn as an outline; at 1 nothing changes. Call once the
// application exists and before the first text is drawn (Qt reads the setting once). A
// QT_MAX_CACHED_GLYPH_SIZE set by the user is left as it is.
void KeepSyntheticBoldAtEveryScale();

} // namespace platform
