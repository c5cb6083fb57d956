// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing/Form2.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "history/History.h"
#include "platform/ControlLayout.h"
#include "platform/Narrator.h"
#include "settings/Settings.h"

using namespace platform;

namespace {

constexpr double ClientWidth = 4095;
constexpr double ClientHeight = 2355;
constexpr double OffsetLeft = 11000; // from the centred main window's left edge
constexpr double OffsetTop = 780;

// Column by column within a row: white/grey/black, red, orange, yellow, green, cyan, blue, magenta.
constexpr QRgb Swatches[24] = {
    0xFFFFFF, 0xFFC0C0, 0xFFE0C0, 0xFFFFC0, 0xC0FFC0, 0xC0FFFF, 0xC0C0FF, 0xFFC0FF, // pale tints
    0xE0E0E0, 0xFF8080, 0xFFC080, 0xFFFF80, 0x80FF80, 0x80FFFF, 0x8080FF, 0xFF80FF, // light colours
    0x000000, 0xFF0000, 0xFF8000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, // full colours
};

// The swatches' names, said when the pointer rests on one (the setting speech).
constexpr const char *SwatchNames[24] = {
    "しろ", "うすい あか", "うすい だいだい", "うすい きいろ", "うすい みどり", "うすい みずいろ", "うすい あお", "うすい むらさき",
    "はいいろ", "あかるい あか", "あかるい だいだい", "あかるい きいろ", "あかるい みどり", "あかるい みずいろ", "あかるい あお", "あかるい むらさき",
    "くろ", "あか", "だいだい", "きいろ", "みどり", "みずいろ", "あお", "むらさき",
};

const std::vector<ControlSpec> &Layout()
{
    static const std::vector<ControlSpec> table = [] {
        std::vector<ControlSpec> entries;
        for (int i = 0; i < 24; ++i) {
            entries.push_back({.name = "Label3", .kind = ControlKind::Label, .left = 120.0 + 480 * (i % 8),
                             .top = 120.0 + 480 * (i / 8), .width = 495, .height = 495,
                             .backColor = Rgb(Swatches[i]), .index = i, .borderStyle = 1});
        }
        entries.push_back({.name = "Command12", .kind = ControlKind::Button, .left = 840, .top = 1680, .width = 2415,
                         .height = 615, .caption = "OK", .face = FontFace::RoundedGothic, .fontSize = 20.25,
                         .fontStyle = FontStyle::Bold, .backColor = Rgb(0xFFFFFF)});
        return entries;
    }();
    return table;
}

} // namespace

QRgb Form2::SwatchColor(int index)
{
    return Swatches[index];
}

Form2::Form2(Form1 &form)
    : Window(QStringLiteral("Form2"), ClientWidth, ClientHeight, QColor(0xE0, 0xE0, 0xE0), &form), m_form(form)
{
    setCaption(QString());
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(client(), Layout());
    Command12 = FindControl<CommandButton>(client(), QStringLiteral("Command12"));
    for (int i = 0; i < 24; ++i) {
        Label3[i] = FindControl<Label>(client(), QStringLiteral("Label3(%1)").arg(i));
        connect(Label3[i], &Label::click, this, &Form2::SwatchClicked);
        if (settings::Current().speech) {
            Label3[i]->setProperty(SpokenCaptionProperty, QString::fromUtf8(SwatchNames[i]));
            Label3[i]->setAccessibleName(QString::fromUtf8(SwatchNames[i]));
        }
    }
    connect(Command12, &QPushButton::clicked, this, &Form2::Apply);

    // Placed from where the centred main window would be, whether or not it was moved since.
    setTwipsLeft((screenWidthTwips() - form.twipsWidth()) / 2 + OffsetLeft);
    setTwipsTop((screenHeightTwips() - form.twipsHeight()) / 2 + OffsetTop);
}

void Form2::SwatchClicked(int index)
{
    Command12->setBackColor(Label3[index]->backColor());
}

void Form2::Apply()
{
    const QColor colour = Command12->backColor();
    const int slot = Module1::SelectedIndex;
    switch (Module1::ColorTarget) {
    case 1: // the paper: a plain new paper, without the dots or a picture of an earlier step
        m_form.Command12->setBackColor(colour);
        m_form.Picture1->setPicture(Picture());
        m_form.Picture1->setBackColor(colour);
        break;
    case 2: // the pen
        m_form.Command13->setBackColor(colour);
        break;
    case 3: // the frame of the selected text slot, even while it is hidden
        if (slot >= 0 && slot < 10)
            m_form.Text1[slot]->setBackColor(colour);
        break;
    case 4: // the text colour of the selected text slot
        if (slot >= 0 && slot < 10)
            m_form.Text1[slot]->setForeColor(colour);
        break;
    default:
        break;
    }
    hide();
    history::GestureEnded(m_form);
}
