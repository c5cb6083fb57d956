// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/frmListLayout.h"

#include <array>

using namespace platform;

namespace {

// The window's own colour, which the labels share.
constexpr ColorSpec Panel = Rgb(0xE0E0E0);
// The window font of this window: "ＭＳ ゴシック" 9 pt.
constexpr double WindowPoints = 9;

constexpr ControlSpec Label(const char *name, const char *caption, double left, double top, double width,
                            double height, FontFace face, double points)
{
    return {.name = name, .kind = ControlKind::Label, .left = left, .top = top, .width = width, .height = height,
            .caption = caption, .face = face, .fontSize = points, .backColor = Panel};
}

constexpr ControlSpec InWindowFont(const char *name, ControlKind kind, double left, double top, double width,
                                   double height)
{
    return {.name = name, .kind = kind, .left = left, .top = top, .width = width, .height = height,
            .face = FontFace::Gothic, .fontSize = WindowPoints};
}

constexpr const char *PhraseNames[PhraseCount] = {"Text11", "Text12", "Text13", "Text14", "Text15",
                                                  "Text16", "Text17", "Text18", "Text19", "Text20"};

constexpr auto Build()
{
    std::array<ControlSpec, 7 + PhraseCount> table{
        // The heading starts left of the client area and is cut off there, as designed.
        Label("Label3", "データの設定", -240, 120, 3375, 375, FontFace::PGothic, 20.25),
        Label("Label4", "画像ファイル", 360, 600, 1695, 255, FontFace::Gothic, 12),
        Label("Label1", "文字", 4800, 600, 615, 255, FontFace::Gothic, 12),
        InWindowFont("File1", ControlKind::FileList, 480, 960, 2055, 3510),
        InWindowFont("Drive1", ControlKind::DriveList, 2640, 960, 1935, 300),
        InWindowFont("Dir1", ControlKind::FolderList, 2640, 1440, 1935, 3030),
        ControlSpec{.name = "Command12", .kind = ControlKind::Button, .left = 5760, .top = 4600, .width = 2295,
                    .height = 615, .caption = "これでよし", .face = FontFace::Gothic, .fontSize = 15.75,
                    .fontStyle = FontStyle::Bold},
    };
    for (int k = 1; k <= PhraseCount; ++k)
        table[6 + k] = InWindowFont(PhraseNames[k - 1], ControlKind::PlainTextBox, 4920, 960 + 360 * (k - 1), 3200, 270);
    return table;
}

constexpr auto Table = Build();

} // namespace

std::span<const ControlSpec> frmListLayout()
{
    return Table;
}
