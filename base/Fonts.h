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

} // namespace platform
