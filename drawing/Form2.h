// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The colour picker: 24 fixed swatches in three rows of eight (pale tints, light colours, full
// colours) and one button "OK". A swatch paints the button in its colour as a preview; "OK"
// applies the button's colour to what ColorTarget names and hides the window. It has no cancel
// button: closing it through its frame destroys it without applying anything.

#include "platform/Controls.h"
#include "platform/Window.h"

#include <array>

class Form1;

class Form2 final : public platform::Window
{
    Q_OBJECT
public:
    // Creating the window runs its load: it places itself over the main window's side panel.
    explicit Form2(Form1 &form);

    platform::CommandButton *Command12;      // "OK"; its back colour is the chosen colour
    std::array<platform::Label *, 24> Label3; // the swatches

    static QRgb SwatchColor(int index);

private:
    void SwatchClicked(int index);
    void Apply();

    Form1 &m_form;
};
