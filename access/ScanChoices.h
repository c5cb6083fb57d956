// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What switch scanning offers: the choices of the active window in groups a child can follow,
// and the places on the paper where a carried element can be put down.
//
// In the main window the groups are, in this order: the working buttons of the step, the
// pictures and texts on the poster, the paper (where dots are drawn), the gallery (a row, then
// its cells), the texts waiting beside the poster, the on-screen keyboard (a row of keys, then its
// keys) and the moving buttons ("つぎへ", "もどる", "おわり"); the dot size bar comes among the
// working buttons, the gallery's scroll bar after its cells. Any other window (the colour
// picker, the registration window, a dialog, a message box) offers its buttons and controls row
// by row, top to bottom. A group of one is that one choice; only what is shown and enabled is
// offered.
//
// A scroll bar is a group of its steps, lit over the quarters of the bar in order: a page back,
// a step back, a step on, a page on (the page steps only where a page is more than a step). A
// drop-down list is a group of two steps, to the item above and to the item below, lit over the
// halves of the list, so that the child sees each value it takes (a number box likewise, down and
// up). A list is a group of its items, in groups of at most eight where there are more; the tabs
// of a page of tabs are a group of tabs.

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class Form1;

namespace accessibility {

struct ScanChoice
{
    enum class Kind {
        Group,   // choices of its own, lit one after another once it is taken
        Control, // a control: taking it clicks its centre
        Paper,   // a drawing surface: taking it starts the point scan
        Place,   // a place on the paper for what is carried
        Own,     // a choice of the scan's own ("このまま", "やめる", "もういちど", "おわり")
        Step,    // a step of a scroll bar (value: the slider's action), of a drop-down list or
                 // of a number box (value: its key, up or down); the light stays on it
        Item,    // an item of a list (value: its row): taking it clicks it, and taking the
                 // selected one again double-clicks it (a folder opens)
    };
    Kind kind = Kind::Group;
    // The same for the same choice while the window keeps it, so that the scan can come back to it.
    QString id;
    // What is said when it is lit.
    QString caption;
    // Where the light goes, in global coordinates.
    QRect rect;
    QPointer<QWidget> control; // Control, Paper, Step, Item
    int value = 0;             // Step, Item
    QList<ScanChoice> choices; // Group

    // Whether this choice is one that test holds, or holds one.
    bool holds(const std::function<bool(const ScanChoice &)> &test) const;
};

// The choices of a window; form is the main window.
ScanChoice ChoicesOf(QWidget *window, Form1 &form);

// The paper of the current step in global coordinates (the paper of step 1 where no other shows).
QRect PaperRect(Form1 &form);

// The places on the paper: the 3 x 3 areas, each holding its own 3 x 3 places.
ScanChoice PlacesOn(QRect paper);

} // namespace accessibility
