// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/Form1Layout.h"

using namespace platform;

namespace {

constexpr ColorSpec Panel = Rgb(0xE0E0E0);
constexpr ColorSpec StepButton = Rgb(0xC0C0C0);
constexpr ColorSpec White = Rgb(0xFFFFFF);
constexpr ColorSpec KeyYellow = Rgb(0xFFFF80);
constexpr ColorSpec KeyGreen = Rgb(0xC0FFC0);
constexpr ColorSpec KeyBlue = Rgb(0xC0C0FF);
constexpr ColorSpec KeyPink = Rgb(0xFF80FF);

ControlSpec Button(const char *name, const char *caption, double left, double top, double width, double height,
                   double points, ColorSpec back = DefaultColor, bool visible = true, bool enabled = true)
{
    return {.name = name, .kind = ControlKind::Button, .left = left, .top = top, .width = width,
            .height = height, .caption = caption, .face = FontFace::RoundedGothic, .fontSize = points,
            .fontStyle = FontStyle::Bold, .backColor = back, .visible = visible, .enabled = enabled};
}

// The keys of the on-screen keyboard. The kana grid runs in columns from right to left and in
// rows from top to bottom; every ordinary key is 885 twips square with a 39.75 pt caption.
struct KeySpec
{
    int index;
    const char *caption;
    double left, top, width, height, points;
    ColorSpec back;
};

constexpr double Columns[] = {9960, 9075, 8190, 7305, 6420, 5535, 4650, 3765, 2880, 1995};
constexpr double Rows[] = {4800, 5685, 6570, 7455, 8340};
constexpr double KeySize = 885;
constexpr double KeyPoints = 39.75;

constexpr KeySpec Key(int index, const char *caption, int column, int row)
{
    return {index, caption, Columns[column], Rows[row], KeySize, KeySize, KeyPoints, KeyYellow};
}

constexpr KeySpec Keys[] = {
    Key(0, "あ", 0, 0), Key(1, "い", 0, 1), Key(2, "う", 0, 2), Key(3, "え", 0, 3), Key(4, "お", 0, 4),
    Key(5, "か", 1, 0), Key(6, "き", 1, 1), Key(7, "く", 1, 2), Key(8, "け", 1, 3), Key(9, "こ", 1, 4),
    Key(10, "さ", 2, 0), Key(11, "し", 2, 1), Key(12, "す", 2, 2), Key(13, "せ", 2, 3), Key(14, "そ", 2, 4),
    Key(15, "た", 3, 0), Key(16, "ち", 3, 1), Key(17, "つ", 3, 2), Key(18, "て", 3, 3), Key(19, "と", 3, 4),
    Key(20, "な", 4, 0), Key(21, "に", 4, 1), Key(22, "ぬ", 4, 2), Key(23, "ね", 4, 3), Key(24, "の", 4, 4),
    Key(25, "は", 5, 0), Key(26, "ひ", 5, 1), Key(27, "ふ", 5, 2), Key(28, "へ", 5, 3), Key(29, "ほ", 5, 4),
    Key(30, "ま", 6, 0), Key(31, "み", 6, 1), Key(32, "む", 6, 2), Key(33, "め", 6, 3), Key(34, "も", 6, 4),
    Key(35, "や", 7, 0), Key(36, "ゆ", 7, 2), Key(37, "よ", 7, 4),
    Key(38, " ゛", 9, 4), Key(39, " ゜", 9, 3), // each caption begins with one ASCII space
    Key(40, "ら", 8, 0), Key(41, "り", 8, 1), Key(42, "る", 8, 2), Key(43, "れ", 8, 3), Key(44, "ろ", 8, 4),
    Key(45, "わ", 9, 0), Key(46, "を", 9, 1), Key(47, "ん", 9, 2),
    {48, "、", 120, 5685, KeySize, KeySize, KeyPoints, KeyYellow},
    {49, "。", 1005, 5685, KeySize, KeySize, KeyPoints, KeyYellow},
    {50, "こ\u3000もじ", 120, 8340, KeySize, KeySize, 20.25, KeyYellow},
    // The digit row, "１" at the left to "０" at the right.
    {51, "１", 1995, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {52, "２", 2880, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {53, "３", 3765, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {54, "４", 4650, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {55, "５", 5535, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {56, "６", 6420, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {57, "７", 7305, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {58, "８", 8190, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {59, "９", 9075, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {60, "０", 9960, 9360, KeySize, KeySize, KeyPoints, KeyYellow},
    {61, "漢\u3000\u3000字", 1005, 8340, KeySize, KeySize, 20.25, KeyYellow},
    {62, "", 1005, 6570, KeySize, KeySize, KeyPoints, KeyYellow}, // the space bar
    {63, "←", 120, 9360, KeySize, KeySize, KeyPoints, KeyGreen},
    {64, "ＯＫ", 9120, 3120, 1725, 720, 33, KeyPink},
    {65, "カタカナ", 1005, 7455, KeySize, KeySize, 20.25, KeyYellow},
    {66, "ひらがな", 120, 7455, KeySize, KeySize, 20.25, KeyYellow},
    {67, "ー", 120, 6570, KeySize, KeySize, KeyPoints, KeyYellow},
    {68, "け\u3000\u3000す", 1005, 9360, KeySize, KeySize, 20.25, KeyGreen},
    {69, "カナ入力きりかえ", 120, 4800, 1770, 810, 18.75, KeyBlue},
    {70, "つぎ", 9120, 3960, 1725, 720, 30.75, KeyPink},
};
static_assert(std::size(Keys) == 71);

std::vector<ControlSpec> Build()
{
    std::vector<ControlSpec> table = {
        // Header and step controls.
        {.name = "Label3", .kind = ControlKind::Label, .left = 240, .top = 300, .width = 6495, .height = 735,
         .caption = "Tovimaru２", .face = FontFace::UIGothic, .fontSize = 30.75,
         .fontStyle = FontStyle::BoldItalic, .backColor = Rgb(0xC0FFFF), .foreColor = Rgb(0x0000FF)},
        {.name = "Label5", .kind = ControlKind::Label, .left = 6960, .top = 480, .width = 4695, .height = 495,
         .caption = "１．かみのいろを きめます", .face = FontFace::UIGothic, .fontSize = 18,
         .fontStyle = FontStyle::Bold, .backColor = Panel, .foreColor = Rgb(0x800000)},
        {.name = "Label2", .kind = ControlKind::Label, .left = 11160, .top = 1560, .width = 4095, .height = 375,
         .caption = "ここで もどると すべて きえます", .face = FontFace::UIGothic, .fontSize = 12.75,
         .fontStyle = FontStyle::Bold, .backColor = Panel, .foreColor = Rgb(0x000000), .visible = false},
        Button("Command3", "おわり", 1080, 1800, 1815, 735, 20.25),
        Button("Command5", "もどる", 11040, 360, 1815, 1095, 20.25, StepButton, true, false),
        Button("Command15", "もどる", 11040, 360, 1815, 1095, 20.25, StepButton, false),
        Button("Command16", "もどる", 11040, 360, 1815, 1095, 20.25, StepButton, false),
        Button("Command11", "つぎへ", 13080, 360, 1815, 1095, 20.25, StepButton),
        Button("Command4", "つぎへ", 13080, 360, 1815, 1095, 20.25, StepButton, false),
        Button("Command6", "つぎへ", 13080, 360, 1815, 1095, 20.25, StepButton, false),

        // Working buttons and the side panel.
        // A graphical button like those with a back colour: flat in the desktop's button colour.
        Button("Command19", "クリア", 3240, 1800, 1695, 735, 20.25, ButtonFaceColor),
        Button("Command10", "クリア", 3240, 1800, 1695, 735, 20.25, DefaultColor, false),
        Button("Command9", "クリア", 3240, 1800, 1695, 735, 20.25, DefaultColor, false),
        Button("Command1", "ちいさく", 5280, 1800, 2055, 735, 20.25, DefaultColor, false),
        Button("Command2", "おおきく", 7680, 1800, 2055, 735, 20.25, DefaultColor, false),
        Button("Command12", "かみのいろ", 11400, 2880, 3135, 1695, 21.75, White),
        Button("Command13", "せんのいろ", 11400, 5040, 3135, 975, 20.25, White),
        {.name = "HScroll1", .kind = ControlKind::HScrollBar, .left = 11400, .top = 6480, .width = 3135,
         .height = 495, .visible = false, .range = {.minimum = 1, .maximum = 30, .smallChange = 1, .largeChange = 5, .value = 5}},
        Button("Command17", "もじいろ", 11040, 1680, 1815, 735, 18.75, DefaultColor, false),
        Button("Command18", "わくいろ", 13080, 1680, 1815, 735, 18.75, DefaultColor, false),
        Button("Command20", "ほぞん", 11400, 2880, 3135, 1695, 20.25, White, false),
        Button("Command14", "いんさつ", 11400, 8760, 3135, 1215, 20.25, White, false),
        Button("Command21", "もじ の へんしゅう", 11040, 9720, 3855, 735, 18.75, DefaultColor, false),
        {.name = "VScroll1", .kind = ControlKind::VScrollBar, .left = 14880, .top = 2280, .width = 255,
         .height = 7575, .visible = false, .range = {.minimum = 0, .maximum = 0, .smallChange = 5, .largeChange = 10, .value = 0}},
        {.name = "Check1", .kind = ControlKind::CheckBox, .left = 9000, .top = 2880, .width = 255, .height = 180,
         .caption = "Check1", .backColor = White, .visible = false},
        {.name = "Label4", .kind = ControlKind::Label, .left = 9240, .top = 2880, .width = 1575, .height = 255,
         .caption = "［つぎ］ボタンを表示", .backColor = White, .visible = false},
        {.name = "Text2", .kind = ControlKind::PlainTextBox, .left = 240, .top = 3120, .width = 8775, .height = 1575,
         .face = FontFace::PGothic, .fontSize = 20.25, .visible = false},

        // The poster area.
        {.name = "Image2", .kind = ControlKind::Image, .left = 240, .top = 2760, .width = 10605, .height = 7485,
         .layer = Layer::Background},
        {.name = "Picture1", .kind = ControlKind::PictureBox, .left = 240, .top = 2760, .width = 10605, .height = 7485,
         .backColor = WindowColor, .foreColor = WindowTextColor, .layer = Layer::PictureBoxes},
        {.name = "Picture2", .kind = ControlKind::PictureBox, .left = 240, .top = 2760, .width = 10605, .height = 7485,
         .backColor = WindowColor, .foreColor = WindowTextColor, .visible = false, .layer = Layer::PictureBoxes},
        {.name = "Picture3", .kind = ControlKind::PictureBox, .left = 1560, .top = 1200, .width = 3375, .height = 495,
         .visible = false, .layer = Layer::PictureBoxes},
    };

    for (int i = 0; i < 10; ++i) { // gallery cells, two columns and five rows
        table.push_back({.name = "Image1", .kind = ControlKind::Image, .left = i % 2 ? 13080.0 : 11040.0,
                         .top = 2280.0 + 1560 * (i / 2), .width = 1785, .height = 1340, .visible = false,
                         .layer = Layer::Gallery, .index = i});
    }
    for (int i = 0; i <= 10; ++i) { // picture slots, fanned out in the side panel
        table.push_back({.name = "Image3", .kind = ControlKind::Image, .left = 11040.0 + 120 * i, .top = 0,
                         .width = 1785, .height = 1335, .visible = false, .layer = Layer::PictureSlots, .index = i});
    }
    for (int i = 0; i < 10; ++i) { // text slots at their home positions
        table.push_back({.name = "Text1", .kind = ControlKind::RichTextBox, .left = 11040, .top = 2520.0 + 720 * i,
                         .width = 3855, .height = 555, .face = FontFace::PGothic, .fontSize = 24,
                         .visible = false, .layer = Layer::TextSlots, .index = i});
    }
    std::vector<KeySpec> keys(std::begin(Keys), std::end(Keys));
    std::sort(keys.begin(), keys.end(), [](const KeySpec &a, const KeySpec &b) { return a.index < b.index; });
    for (const KeySpec &key : keys) {
        table.push_back({.name = "Label1", .kind = ControlKind::KeyLabel, .left = key.left, .top = key.top,
                         .width = key.width, .height = key.height, .caption = key.caption,
                         .face = FontFace::PGothic, .fontSize = key.points, .backColor = key.back,
                         .visible = false, .layer = Layer::Keys, .index = key.index});
    }
    return table;
}

} // namespace

const std::vector<ControlSpec> &Form1Layout()
{
    static const std::vector<ControlSpec> table = Build();
    return table;
}
