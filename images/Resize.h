// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The size buttons of steps 2 and 3 and the clear button of step 3.
//
// "ちいさく" (Command1) and "おおきく" (Command2) make the selected picture slot or text slot
// 10 % smaller or bigger, texts also 2 points smaller or bigger. Each press works on the size the
// slot reports, read as whole twips, so presses compound. They act only once an element has
// been picked (HasSelection). A press that would take a width or height past 32767 twips, the
// most a size can be read back as, or a font size below 2 points, is refused: nothing changes.
//
// "クリア" (Command9) sends every text slot home to the side panel at its standard size; the
// texts keep their words and their visibility, the pictures stay where they are.

#include <QObject>

class Form1;

namespace images {

class ResizeController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResizeController)
public:
    explicit ResizeController(Form1 &form, QObject *parent = nullptr);

    static constexpr double SmallerFactor = 0.9;
    static constexpr double BiggerFactor = 1.1;
    static constexpr int FontStep = 2;         // points
    static constexpr double MostTwips = 32767; // the largest size that reads back as a whole twip
    static constexpr int LeastFontSize = 2;    // points

    void Smaller();   // Command1 "ちいさく"
    void Bigger();    // Command2 "おおきく"
    void ClearTexts(); // Command9 "クリア"

private:
    void Resize(double factor, int fontStep);

    Form1 &m_form;
};

} // namespace images
