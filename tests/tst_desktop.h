// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program under a real X server, one test program built from two files: tst_desktop.cpp
// holds the places of the controls, the tests and main(); tst_desktop_hands.cpp how the tests
// start the installed program and work it by the pointer and the keys, as a person does.

#include "TestPaths.h"
#include "base/HelperPrograms.h"
#include "PrivateCups.h"
#include "TestSupport.h"
#include "XServer.h"

#include "form/Form1.h"
#include "app/Shelf.h"
#include "app/Startup.h"
#include "images/Gallery.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <csignal>

using testing::Output;
using testing::Tool;

namespace desktoptests {

inline const char Queue[] = "TOVIMARUDESKTOP";
constexpr QRgb Green = 0xFF00A040;
constexpr QRgb Blue = 0xFF3050E0;

inline bool Nearly(QColor c, QRgb colour)
{
    return qAbs(c.red() - qRed(colour)) < 30 && qAbs(c.green() - qGreen(colour)) < 30 && qAbs(c.blue() - qBlue(colour)) < 30;
}

// The pixels of a colour in an image, counting every step-th pixel of every step-th row.
inline int PixelsOf(const QImage &image, QRgb colour, int step = 1)
{
    int count = 0;
    for (int y = 0; y < image.height(); y += step) {
        for (int x = 0; x < image.width(); x += step)
            count += Nearly(image.pixelColor(x, y), colour);
    }
    return count;
}

inline int GreenPixels(const QImage &image, int step = 1)
{
    return PixelsOf(image, Green, step);
}

// How a whole poster is made without holding a button.
enum class Hand { Clicks, Dwell, Keys };

// Where the controls are inside their windows, taken from the same windows made in this process:
// the layout in twips, the menu bar and the style are those of the program under test.
struct Places
{
    QPoint confirm;       // "これでよし" in the registration window
    QPoint next1, next2, next3; // "つぎへ" of steps 1, 2 and 3
    QPoint cell0;         // the first gallery cell
    QPoint poster;        // a point on the poster
    QPoint print, save;   // "いんさつ" and "ほぞん"
    // For the whole posters.
    QPoint paperColour;            // "かみのいろ"
    QPoint swatch, pickerOk;       // in the colour picker: a pale colour and "OK"
    QPoint strokeFrom, strokeTo;   // on the paper of step 1
    QPoint cell1, poster0, poster1; // the second cell; where the two pictures go
    QPoint text0, posterText;      // the first text slot at home; where it goes
    QPoint edit;                   // "もじ の へんしゅう"
    QList<QPoint> keys;            // さ く ら ＯＫ on the on-screen keyboard
    QPoint printFromCorner;        // the print dialog's Print button, from its bottom-right corner
    QPoint end;           // "おわり"
    QPoint shelf;         // "たな", with the shelf on
    QPoint shelved;       // the first poster on the shelf's page
    QPoint printButton;   // the print dialog's own "Print"
};

inline QPoint Centre(QWidget *control)
{
    return control->mapTo(control->window(), control->rect().center());
}

} // namespace desktoptests

using namespace desktoptests;

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printAndSaveAsAPersonDoes();
    void aWholePosterWithoutHoldingAButton_data();
    void aWholePosterWithoutHoldingAButton();
    void aPosterFromTheShelfIsPrinted();

private:
    // Starts the installed program with arguments and confirms its registration window: the main
    // window's id, or "".
    QString startProgram(const QStringList &arguments);
    // Carries the first gallery cell's picture onto the poster, in step 2.
    void carryPicture(const QString &form);
    QString xdo(const QStringList &arguments) { return Output(QStringLiteral("xdotool"), arguments, m_env); }
    // The visible top-level windows of the display, by X id.
    QStringList windows() { return xdo({"search", "--onlyvisible", "--name", ""}).split('\n', Qt::SkipEmptyParts); }
    // named: only a window with a title (the colour picker's is blank).
    QString waitForNewWindow(const QStringList &before, int ms = 15000, bool named = true);
    QPoint origin(const QString &window);
    // Waits until the keyboard's input goes to window, as it does once the window is active.
    bool waitForFocus(const QString &window, int ms = 15000);
    // Clicks a button of window that opens a dialog: the dialog once it has the keyboard, or "".
    QString openDialog(const QString &window, QPoint button);
    void click(const QString &window, QPoint at);
    // A click made by the hand of the row at a point of the screen, and a carry from one point
    // to another (a click, the moves, a click).
    void use(Hand hand, QPoint at);
    void carryBy(Hand hand, QPoint from, QPoint to);
    void pointTo(Hand hand, QPoint at); // the pointer there, clicking nothing
    void shot(const QString &name);
    // Starts the installed program; its main window and registration window.
    void start(const QStringList &arguments, QString *form, QString *registration);
    QPoint m_pointer;   // where the keys have taken the pointer
    bool m_ctrl = false; // a text box has the keyboard focus: the pointer keys take Ctrl
    QString m_shots;    // TOVIMARU_DESKTOP_SHOTS: a folder for screenshots, or none

    testing::PrivateCups m_cups{QLatin1String(Queue)};
    QTemporaryDir m_work;
    QProcess m_xvfb;
    QProcess m_program;
    QProcessEnvironment m_env;
    Places m_places;
    QString m_prefix;
};
