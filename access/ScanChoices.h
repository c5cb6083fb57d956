// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What switch scanning offers: the choices of the active window in groups a child can follow,
// and the places on the paper where a carried element can be put down.
//
// In the main window the groups are, in this order: the working buttons of the step, the
// pictures and texts on the poster, the paper (where dots are drawn), the gallery (a row, then
// its cells), the texts waiting beside the poster, the on-screen keyboard (a row of keys, then its
// keys) and the moving buttons ("つぎへ", "もどる", "おわり"). Any other window (the colour
// picker, the registration window, a dialog, a message box) offers its buttons and controls row
// by row, top to bottom. A group of one is that one choice; only what is shown and enabled is
// offered.

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
        Own,     // a choice of the scan's own ("やめる", "もういちど", "おわり")
    };
    Kind kind = Kind::Group;
    // The same for the same choice while the window keeps it, so that the scan can come back to it.
    QString id;
    // What is said when it is lit.
    QString caption;
    // Where the light goes, in global coordinates.
    QRect rect;
    QPointer<QWidget> control; // Control, Paper
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
