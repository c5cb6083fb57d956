// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The four steps of the main window and the six moves between them. A step is nothing but which
// controls are shown, hidden or disabled, the caption of Label5 and what the poster area shows;
// each move sets all of it, in the order the program has always done it, with its yields.
//
//   step 1 (paper) --Command11--> step 2 (pictures) --Command6--> step 3 (texts) --Command4--> step 4
//   step 1 <--Command5-- step 2 <--Command15-- step 3 <--Command16-- step 4
//
// Leaving step 1 freezes the paper into the still picture Image2 (and Picture1, for a way back);
// leaving step 3 freezes the whole poster into Picture2, on which step 4 draws, prints and saves.

#include <QObject>

class Form1;

class WizardController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WizardController)
public:
    explicit WizardController(Form1 &form, QObject *parent = nullptr);

    static const QString StepCaption1; // "１．かみのいろを きめます"
    static const QString StepCaption2; // "２．がぞうを　はります"
    static const QString StepCaption3; // "３．もじを　はります"
    static const QString StepCaption4; // "４．しあげ／ほぞんします"

    void ForwardFromStep1(); // Command11 "つぎへ"
    void ForwardFromStep2(); // Command6 "つぎへ"
    void ForwardFromStep3(); // Command4 "つぎへ"
    void BackFromStep2();    // Command5 "もどる": withdraws every picture and text
    void BackFromStep3();    // Command15 "もどる": keeps what is placed
    void BackFromStep4();    // Command16 "もどる": drops the finished still picture

    // The moves forward from step 1 to step, for a poster taken up again from its file: the file
    // brings the still pictures, so nothing is captured on the way.
    void ForwardTo(int step);

protected:
    // The guard against a double click on the step buttons (the setting wizardGuard).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowGalleryCells();

    Form1 &m_form;
    // When the last press on a step button that was let through happened (the input's own
    // time, in ms), or -1 before the first.
    qint64 m_lastStepPress = -1;
    // False while ForwardTo moves: the still pictures are left as they are.
    bool m_capturing = true;
};
