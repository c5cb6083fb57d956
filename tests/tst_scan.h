// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Switch scanning, one test program built from two files: tst_scan.cpp holds the tests and
// main(); tst_scan_driver.cpp how they work the program, by the switch or by the mouse (started
// with the options, a choice reached, a control carried, a dot drawn, a whole poster made and
// saved).

#include "PosterPointer.h"
#include "TestSupport.h"

#include "access/Scan.h"
#include "access/ScanLight.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "history/PosterState.h"
#include "output/PosterCapture.h"
#include "platform/Narrator.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using accessibility::ScanChoice;
using accessibility::Scanner;

namespace scantests {

// The light's times in the tests: short, yet long enough for a wait to see each step.
constexpr int StepMs = 60;

// The poster as the switch or the mouse left it.
struct Look
{
    QRectF slot; // picture slot 0, in twips
    QImage capture;
};

} // namespace scantests

using scantests::Look;
using scantests::StepMs;

class TestScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void theLightGoesRoundAndRests();
    void takingForwardGoesToStep2_data();
    void takingForwardGoesToStep2();
    void aHeldPressGoesBackUp();
    void aPictureGoesOntoThePaperAsByTheMouse_data();
    void aPictureGoesOntoThePaperAsByTheMouse();
    void cancelPutsThePictureBack();
    void theSweepDrawsTheDotTheMouseDraws_data();
    void theSweepDrawsTheDotTheMouseDraws();
    void anyPlacedPictureIsEnlargedAsByTheMouse_data();
    void anyPlacedPictureIsEnlargedAsByTheMouse();
    void aFolderIsTakenThenOpened();
    void aDialogIsWorkedBySwitches_data();
    void aDialogIsWorkedBySwitches();
    void withScanOffTheKeysAreKeys();
    void aWholePosterAsByTheMouse();
    void withSpeechTheLitChoiceIsSaid();

private:
    void start(int switches, bool saveFormats = false, bool speech = false);
    // The poster of the whole program, made by the switch (switches 1 or 2) or by the mouse (0),
    // saved as BMP into path.
    void makePoster(int switches, const QString &path);
    Scanner *scanner() const { return CurrentProgram()->findChild<Scanner *>(); }
    // Takes a control by the switch, or clicks it (m_switches 0).
    void use(QWidget *control);
    // Carries a control's element to place j of area k of the paper, by the switch or by a drag.
    void carry(QWidget *control, int k, int j);
    // The switch's key, to where the keyboard's keys go.
    void press(Qt::Key key)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_form, key);
    }
    // Takes, level by level, the choice test names.
    void reach(const std::function<bool(const ScanChoice &)> &test);
    bool lightIn(const QWidget *window) const { return scanner()->light() && scanner()->light()->window() == window; }
    static std::function<bool(const ScanChoice &)> item(const QString &caption)
    {
        return [caption](const ScanChoice &c) { return c.kind == ScanChoice::Kind::Item && c.caption.trimmed() == caption; };
    }
    // A press held long enough to go back up one level.
    void holdBack()
    {
        QTest::keyPress(m_form, Qt::Key_Space);
        QTest::qWait(Scanner::HoldMs + 100);
        QTest::keyRelease(m_form, Qt::Key_Space);
    }
    // A dot where the lines stopped at across and down cross, by the switch or by a click there.
    void dot(int across, int down);
    // Stops the sweeping line at step k.
    void stopAt(int k);
    bool isControl(const ScanChoice &choice, const QWidget *control) const { return choice.control == control; }
    Look look() const
    {
        const platform::ImageControl *slot = m_form->Image3[0];
        return {{slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()},
                output::CapturePoster(m_form->client()).image()};
    }
    void mouse(QEvent::Type type, QPoint global);
    QList<QRectF> slotRects() const
    {
        QList<QRectF> rects;
        for (const platform::ImageControl *slot : {m_form->Image3[0], m_form->Image3[1]})
            rects.append({slot->twipsLeft(), slot->twipsTop(), slot->twipsWidth(), slot->twipsHeight()});
        const platform::RichTextBox *text = m_form->Text1[0];
        rects.append({text->twipsLeft(), text->twipsTop(), text->twipsWidth(), text->twipsHeight()});
        return rects;
    }

    QTemporaryDir m_folder;
    Form1 *m_form = nullptr;
    int m_switches = 0;
};
