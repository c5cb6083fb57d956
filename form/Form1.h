// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the header, the step buttons, the side panel and the poster area with
// every control of the four steps at once. The steps only show, hide, enable and move them.
// Every control is built from the window's layout table (Form1Layout.cpp); this class only
// names them. The poster's state lives in these controls and in the values below.

#include "platform/Controls.h"
#include "platform/Window.h"

#include <QAction>

#include <array>
#include <cstdint>

class Form1 final : public platform::Window
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    // Header and step controls.
    platform::Label *Label3;           // "Tovimaru２"
    platform::Label *Label5;           // the caption of the current step
    platform::Label *Label2;           // warning of step 2: going back wipes the poster
    platform::CommandButton *Command3;  // "おわり": ends the program
    platform::CommandButton *Command5;  // "もどる" from step 2
    platform::CommandButton *Command15; // "もどる" from step 3
    platform::CommandButton *Command16; // "もどる" from step 4
    platform::CommandButton *Command11; // "つぎへ" from step 1
    platform::CommandButton *Command6;  // "つぎへ" from step 2
    platform::CommandButton *Command4;  // "つぎへ" from step 3

    // Working buttons and the side panel.
    platform::CommandButton *Command19; // "クリア" of step 1: clears the paper
    platform::CommandButton *Command10; // "クリア" of step 2: takes the placed pictures off
    platform::CommandButton *Command9;  // "クリア" of step 3: sends the texts home
    platform::CommandButton *Command1;  // "ちいさく"
    platform::CommandButton *Command2;  // "おおきく"
    platform::CommandButton *Command12; // "かみのいろ": paper colour
    platform::CommandButton *Command13; // "せんのいろ": pen colour, shown as its back colour
    platform::ScrollBar *HScroll1;      // dot size
    platform::CommandButton *Command17; // "もじいろ": text colour
    platform::CommandButton *Command18; // "わくいろ": frame colour
    platform::CommandButton *Command20; // "ほぞん": save the poster
    platform::CommandButton *Command14; // "いんさつ": print the poster
    platform::CommandButton *Command21; // "もじ の へんしゅう": text-editing mode
    platform::ScrollBar *VScroll1;      // pages of the gallery
    platform::CheckBox *Check1;         // one character at a time
    platform::Label *Label4;            // caption of Check1
    platform::PlainTextBox *Text2;      // the typing line

    // The poster area, back to front.
    platform::ImageControl *Image2;   // still picture of the paper of step 1
    platform::PictureBox *Picture1;   // the paper of step 1 and its drawing surface
    platform::PictureBox *Picture2;   // the finished poster and drawing surface of step 4
    platform::PictureBox *Picture3;   // scratch box, never shown
    std::array<platform::ImageControl *, 10> Image1; // gallery cells
    std::array<platform::ImageControl *, 11> Image3; // picture slots; 10 is the overflow slot
    std::array<platform::RichTextBox *, 10> Text1;   // text slots
    std::array<platform::KeyLabel *, 71> Label1;     // keys of the on-screen keyboard

    platform::Timer *Timer1; // 1000 ms; its ticks are counted in TimerTicks

    QAction *ItemSetDir; // "ディレクトリの指定(&D)"
    QAction *itemend;    // "終了(&Q)"

    // Values of the main window.
    std::int16_t HasSelection = 0; // 1 once a poster element was picked; the size buttons need it
    std::int16_t GrabX = 0;        // pick-up point inside the element being dragged, twips
    std::int16_t GrabY = 0;
    std::int16_t PenDown = 0;      // 1 while a button is held on a drawing surface
    std::int16_t BrushRadius = 50; // radius of the dot being drawn, twips
    std::int16_t TimerTicks = 0;   // ticks of Timer1 since it was started, 0 while idle
    std::array<std::int16_t, 11> OnPoster{}; // whether each picture slot has had its enlargement

signals:
    // The window was closed through its frame.
    void closedByFrame();

protected:
    void closeEvent(QCloseEvent *event) override;
};
