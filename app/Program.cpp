// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "access/Access.h"
#include "form/Form1.h"
#include "form/Form1Layout.h"
#include "form/Module1.h"
#include "app/Wizard.h"
#include "history/History.h"
#include "history/UndoButtons.h"
#include "drawing/Drawing.h"
#include "images/Gallery.h"
#include "images/PageButtons.h"
#include "images/PictureSlots.h"
#include "images/Resize.h"
#include "output/PrintAndSave.h"
#include "base/Twips.h"
#include "platform/EventLoop.h"
#include "platform/Narrator.h"
#include "input/KanaInputMethod.h"
#include "platform/MessageBox.h"
#include "registration/frmList.h"
#include "settings/Settings.h"
#include "text/EditMode.h"
#include "text/Keyboard.h"
#include "text/SpeakButton.h"
#include "text/TextSlots.h"
#include "app/Resume.h"

#include <QDir>
#include <QScreen>
#include <QTimer>

const QString Program::QuitQuestion = QStringLiteral("おわりに しますか？");
const QString Program::QuitTitle = QStringLiteral("おわり");
const QString Program::QuitYes = QStringLiteral("はい");
const QString Program::QuitNo = QStringLiteral("いいえ");

Program::Program()
    : m_form(std::make_unique<Form1>()),
      m_wizard(new WizardController(*m_form, this)),
      m_drawing(new DrawingController(*m_form, this)),
      m_printing(new output::PrintController({m_form.get(), m_form->client(), m_form->Picture2, &m_form->HasSelection}, this)),
      m_gallery(new images::GalleryController(*m_form, this)),
      m_keyboard(new text::KeyboardController(*m_form, this)),
      m_pictureSlots(new images::PictureSlotController(*m_form, this))
{
    Form1 &form = *m_form;
    // Controllers that nothing else calls: each wires its own controls.
    new images::ResizeController(form, this);
    new text::TextSlotsController(form, this);
    new text::EditModeController(form, this);
    // Options of the teacher's settings.
    if (settings::Current().galleryButtons)
        new images::PageButtons(form, this);
    if (settings::Current().speech) {
        m_narrator = new platform::Narrator(this);
        platform::KanaInputMethod::instance().setKeepReadings(true);
        new text::SpeakButton(form, *m_narrator, this);
    }
    connect(form.Command14, &QPushButton::clicked, m_printing, &output::PrintController::Print);
    connect(form.Command20, &QPushButton::clicked, m_printing, &output::PrintController::Save);
    if (settings::Current().undo || settings::Current().quitPrompt)
        createHistory();
    // Carrying by clicks and the pointer from the keyboard, when the settings ask for them.
    accessibility::Install(form, this);
    connect(form.Command3, &QPushButton::clicked, this, &Program::end);
    connect(form.itemend, &QAction::triggered, this, &Program::end);
    // Closing the main window through its frame ends the program as "終了(&Q)" does.
    connect(&form, &Form1::closedByFrame, this, &Program::end);
    connect(form.ItemSetDir, &QAction::triggered, this, &Program::openRegistration);
}

void Program::createHistory()
{
    Form1 &form = *m_form;
    auto *history = new history::PosterHistory(form, settings::Current().undo);
    // Every move of the wizard starts a fresh history, once the move is done.
    for (QPushButton *step : {form.Command11, form.Command6, form.Command4, form.Command5, form.Command15, form.Command16})
        connect(step, &QPushButton::clicked, history, &history::PosterHistory::startStep);
    connect(m_printing, &output::PrintController::captured, history, &history::PosterHistory::absorbCapture);
    connect(m_printing, &output::PrintController::writtenOut, history, &history::PosterHistory::markWrittenOut);
    if (settings::Current().undo)
        new history::UndoButtons(form, *history, this);
}

void Program::end()
{
    // With quitPrompt, a poster changed since it was last printed or saved is not lost unasked.
    const history::PosterHistory *history = history::PosterHistory::Of(*m_form);
    if (settings::Current().quitPrompt && history && history->changedSinceWrittenOut()
        && !platform::AskYesNo(m_form.get(), QuitQuestion, QuitTitle, QuitYes, QuitNo)) {
        return;
    }
    platform::EndProgram();
}

Program::~Program()
{
    delete m_registration;
}

void Program::start(const QString &dataFolder, const QString &picturesFolder)
{
    platform::YieldingHandler handler;
    Form1 &form = *m_form;
    Module1::Reset();

    // Centre with the designed size, then force the outer height; the top edge stays where
    // centring the designed height put it.
    form.setTwipsLeft((form.screenWidthTwips() - form.twipsWidth()) / 2);
    form.setTwipsTop((form.screenHeightTwips() - form.twipsHeight()) / 2);
    form.setTwipsHeight(Form1OuterHeight);
    // Drawn larger, the window is as large as the screen allows: it is centred as it now stands,
    // within the area the desktop leaves free, so that none of it is cut off.
    if (settings::Current().scale != 1 && !settings::Current().fullscreen) {
        const QRect area = form.screen() ? form.screen()->availableGeometry() : QRect();
        form.setTwipsLeft(platform::PixelsToTwips(area.left()) + (platform::PixelsToTwips(area.width()) - form.twipsWidth()) / 2);
        form.setTwipsTop(platform::PixelsToTwips(area.top()) + (platform::PixelsToTwips(area.height()) - Form1OuterHeight) / 2);
    }

    form.HasSelection = 0;
    form.PenDown = 0;
    form.TimerTicks = 0;
    form.BrushRadius = 50;
    Module1::EditMode = QStringLiteral("3");

    InitImageDir();
    Module1::DataDir = Module1::ImageDir;
    if (!dataFolder.isEmpty()) {
        Module1::DataDir = QDir(dataFolder).absolutePath();
        if (!Module1::DataDir.endsWith(QLatin1Char('/')))
            Module1::DataDir += QLatin1Char('/');
    }
    m_picturesFolder = picturesFolder;
    if (!picturesFolder.isEmpty())
        Module1::ImageDir = QDir(picturesFolder).absolutePath() + QLatin1Char('/');

    // In full screen the designed window stands centred on the screen (the settings chose a
    // factor at which it fits); its held position and height are kept all the same.
    if (settings::Current().fullscreen)
        form.fillScreen();
    else
        form.show();
    createRegistration();
    m_registration->show();
    // With autosave the poster is kept in the user's data folder, and one an earlier run kept is
    // offered; taken up again, its texts are offered in the registration window too.
    if (settings::Current().autosave || settings::Current().shelf) {
        auto *keeper = new PosterKeeper(form, *m_wizard, this);
        connect(keeper, &PosterKeeper::resumed, this, [this] {
            if (m_registration)
                m_registration->offerPosterTexts();
        });
        keeper->offer();
    }
    form.HScroll1->show();
    platform::Yield();
    form.Picture1->show();
    platform::Yield();
    // The voice's engine takes a second to start: it starts on a thread of its own once the
    // windows are shown.
    if (m_narrator) {
        QTimer::singleShot(0, m_narrator, [narrator = m_narrator] {
            if (!narrator->voice())
                narrator->setVoice(platform::StartVoice());
        });
    }
    // The poster as step 1 starts is where undoing everything returns to.
    if (history::PosterHistory *history = history::PosterHistory::Of(form))
        history->startStep();
}

void Program::InitImageDir()
{
    QString dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    Module1::ImageDir = dir;
}

void Program::createRegistration()
{
    // A window of the main window's, so it stays above it without blocking it.
    m_registration = new frmList(*m_form, m_form.get());
    frmList *registration = m_registration;
    // Confirming runs the folder scan while the window still exists.
    connect(registration, &frmList::scanImageFolder, m_gallery, &images::GalleryController::ScanImageFolder,
            Qt::DirectConnection);
    // While the user types the phrases, the first pages of the folder shown are decoded ahead.
    auto prefetch = [this, registration] { m_gallery->PrefetchFolder(registration->File1->names()); };
    connect(registration->Dir1, &platform::FolderList::change, m_gallery, prefetch);
    // Opened on the first picture folder when it is not the current folder.
    if (!m_picturesFolder.isEmpty() && Module1::ChosenDir.isEmpty()) {
        registration->setDrive(m_picturesFolder);
        registration->setPath(m_picturesFolder);
    }
    prefetch();
}

void Program::openRegistration()
{
    if (!m_registration)
        createRegistration();
    m_registration->setDrive(Module1::ChosenDrive);
    m_registration->setPath(Module1::ChosenDir);
    m_registration->bringToFront();
}
