// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The running program: the main window, the registration window while it exists, start-up,
// the menu and the two ways of ending.

#include "registration/frmList.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace output {
class PrintController;
}
namespace images {
class GalleryController;
class PictureSlotController;
}
namespace text {
class KeyboardController;
}
namespace platform {
class Narrator;
}
class DrawingController;
class Form1;
class WizardController;

class Program final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Program)
public:
    Program();
    ~Program() override;

    Form1 &form() const { return *m_form; }
    frmList *registration() const { return m_registration; }
    DrawingController &drawing() const { return *m_drawing; }
    output::PrintController &printing() const { return *m_printing; }
    images::GalleryController &gallery() const { return *m_gallery; }
    text::KeyboardController &keyboard() const { return *m_keyboard; }
    images::PictureSlotController &pictureSlots() const { return *m_pictureSlots; }
    // What reads the program aloud: nullptr unless the setting speech is on.
    platform::Narrator *narrator() const { return m_narrator; }

    // Centres the main window, sets the start values, shows step 1 and opens the registration
    // window above it; returns when both windows are shown. The phrase store is kept in
    // dataFolder, or in the first picture folder (the current folder) when it is empty.
    // picturesFolder, when given, is the first picture folder instead of the current folder
    // (the program's own pictures): ImageDir, and where each new registration window opens its
    // lists until a folder is confirmed.
    void start(const QString &dataFolder = {}, const QString &picturesFolder = {});

    // ImageDir := the current directory with one trailing "/".
    static void InitImageDir();

    // The question of the setting quitPrompt, its title and its two answers.
    static const QString QuitQuestion; // "おわりに しますか？"
    static const QString QuitTitle;    // "おわり"
    static const QString QuitYes;      // "はい"
    static const QString QuitNo;       // "いいえ"

    // "おわり", "終了(&Q)" and the window's frame: ends the program, with quitPrompt after asking
    // when the poster changed since it was last printed or saved.
    void end();

private:
    // The steps of the poster, with undo or quitPrompt.
    void createHistory();
    void openRegistration(); // "ディレクトリの指定(&D)"
    void createRegistration();

    std::unique_ptr<Form1> m_form;
    WizardController *m_wizard;
    DrawingController *m_drawing;
    output::PrintController *m_printing;
    images::GalleryController *m_gallery;
    text::KeyboardController *m_keyboard;
    images::PictureSlotController *m_pictureSlots;
    QPointer<frmList> m_registration;
    QString m_picturesFolder; // start()'s picturesFolder
    platform::Narrator *m_narrator = nullptr;
};
