// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Resume.h"

#include "app/Shelf.h"
#include "app/Wizard.h"
#include "form/Form1.h"
#include "history/History.h"
#include "history/PosterWriter.h"
#include "history/SavedPoster.h"
#include "images/Gallery.h"
#include "platform/ControlLayout.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "posterfile/PosterFile.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QEvent>
#include <QStandardPaths>

namespace {

using platform::ControlKind;
using platform::ControlSpec;

// In the side panel of step 1 under the dot size bar (which ends at 6975 twips), as large as
// "かみのいろ" above it; nothing of step 1 lies there.
constexpr ControlSpec ResumeTable[] = {
    {.name = "CommandResume", .kind = ControlKind::Button, .left = 11400, .top = 7440, .width = 3135,
     .height = 1695, .caption = "つづきから", .face = platform::FontFace::RoundedGothic, .fontSize = 21.75,
     .fontStyle = platform::FontStyle::Bold, .backColor = platform::Rgb(0xC0FFC0)},
};

// Under "つづきから", down to the foot of the poster area; nothing of step 1 lies there either.
constexpr ControlSpec ShelfTable[] = {
    {.name = "CommandShelf", .kind = ControlKind::Button, .left = 11400, .top = 9240, .width = 3135,
     .height = 1005, .caption = "たな", .face = platform::FontFace::RoundedGothic, .fontSize = 21.75,
     .fontStyle = platform::FontStyle::Bold, .backColor = platform::Rgb(0xFFE0A0)},
};

bool IsAction(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

// Whether the file was read whole; one that was not is set aside.
bool IsSound(posterfile::Read read, const QString &path)
{
    if (read == posterfile::Read::Damaged)
        posterfile::SetAside(path);
    return read == posterfile::Read::Sound;
}

} // namespace

const QString PosterKeeper::ResumeCaption = QStringLiteral("つづきから");

PosterKeeper::PosterKeeper(Form1 &form, WizardController &wizard, QObject *parent)
    : QObject(parent), m_form(form), m_wizard(wizard), m_shelf(settings::Current().shelf),
      m_writer(new history::PosterWriter(form, m_shelf ? shelf::NewPosterPath() : FilePath()))
{
    // With the shelf, this run's poster is a new file on it, and "つづきから" takes up the newest.
    if (m_shelf) {
        shelf::KeepAtMost(shelf::MostKept - 1);
        m_offered = shelf::Posters().value(0);
    } else {
        m_offered = FilePath();
    }
    // After each move, once the move is done (the wizard's handlers were connected first).
    for (QPushButton *step : {form.Command11, form.Command6, form.Command4, form.Command5, form.Command15, form.Command16})
        connect(step, &QPushButton::clicked, m_writer, &history::PosterWriter::stepMoved);
    // "おわり", "終了(&Q)" and the window's frame all end the event loop: the poster is written
    // before the program goes.
    connect(qApp, &QCoreApplication::aboutToQuit, m_writer, &history::PosterWriter::writeNow);
}

PosterKeeper::~PosterKeeper()
{
    withdraw();
}

QString PosterKeeper::FilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/autosave.poster");
}

void PosterKeeper::offer()
{
    if (m_shelf) {
        platform::BuildControls(m_form.client(), ShelfTable);
        m_shelfButton = platform::BuiltControl<platform::CommandButton>(m_form.client(), "CommandShelf");
        connect(m_shelfButton, &QPushButton::clicked, this, &PosterKeeper::openShelf);
        // A control of step 1 alone.
        for (QPushButton *step : {m_form.Command11, m_form.Command6, m_form.Command4, m_form.Command5, m_form.Command15,
                                  m_form.Command16})
            connect(step, &QPushButton::clicked, m_shelfButton, [this] { m_shelfButton->setVisible(history::StepOf(m_form) == 1); });
        m_shelfButton->show();
    }
    if (settings::Current().autosave && !m_offered.isEmpty())
        offerResume();
}

void PosterKeeper::offerResume()
{
    posterfile::Poster poster;
    const QString path = m_offered;
    if (!IsSound(posterfile::ReadFile(path, poster, posterfile::Images::Skip), path))
        return;
    m_reading = std::async(std::launch::async, [path] {
        Reading reading;
        reading.read = posterfile::ReadFile(path, reading.poster);
        return reading;
    });
    // Meanwhile the pictures' thumbnails, as the gallery keeps them, into the picture cache: the
    // poster taken up shows them at once, sharpened after as any placed picture is.
    QStringList sources;
    for (const posterfile::PictureSlot &slot : poster.pictures)
        sources += slot.source;
    sources.removeAll(QString());
    m_thumbnails = std::async(std::launch::async, [sources, bound = images::ThumbnailBound(m_form)] {
        for (const QString &source : sources)
            images::ThumbnailPicture(source, bound);
    });
    platform::BuildControls(m_form.client(), ResumeTable);
    m_resume = platform::BuiltControl<platform::CommandButton>(m_form.client(), "CommandResume");
    connect(m_resume, &QPushButton::clicked, this, &PosterKeeper::resume);
    m_resume->show(); // the window is shown already
    qApp->installEventFilter(this);
}

bool PosterKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if (m_resume && IsAction(event->type()) && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->window() == &m_form && widget != m_resume && !m_resume->isAncestorOf(widget) && widget != m_shelfButton)
            withdraw();
    }
    return QObject::eventFilter(watched, event);
}

void PosterKeeper::withdraw()
{
    qApp->removeEventFilter(this);
    if (m_resume) {
        m_resume->hide();
        m_resume->deleteLater();
    }
}

void PosterKeeper::resume()
{
    withdraw();
    const QString path = m_offered;
    const Reading reading = m_reading.valid() ? m_reading.get() : Reading();
    if (!IsSound(reading.read, path))
        return;
    if (m_shelf)
        m_writer->setPath(path);
    takeUp(reading.poster);
}

void PosterKeeper::openShelf()
{
    withdraw();
    auto *window = new ShelfWindow(m_form);
    connect(window, &ShelfWindow::taken, this, &PosterKeeper::takeFromShelf);
    window->show();
}

void PosterKeeper::takeFromShelf(const QString &path, bool starter)
{
    posterfile::Poster poster;
    const posterfile::Read read = posterfile::ReadFile(path, poster);
    if ((starter ? read != posterfile::Read::Sound : !IsSound(read, path)) || history::StepOf(m_form) != 1)
        return;
    // This run's poster so far stays on the shelf as it is; the one taken goes on in its own
    // file, a starter's copy in a new one.
    m_writer->writeNow();
    m_writer->setPath(starter ? shelf::NewPosterPath() : path);
    takeUp(poster);
    m_shelfButton->setVisible(history::StepOf(m_form) == 1);
}

void PosterKeeper::takeUp(const posterfile::Poster &poster)
{
    platform::YieldingHandler handler;
    // Nothing of the window is painted until the poster is in place: neither the steps the moves
    // pass through nor the poster's step without its pictures.
    m_form.setUpdatesEnabled(false);
    // Through the wizard's own moves, so the step's controls are as after a child's moves.
    m_wizard.ForwardTo(poster.step);
    // The helpers' pictures are waited for once for the whole poster, not once a picture.
    const auto deadline = std::chrono::steady_clock::now() + images::HelperWait;
    history::ApplySavedPoster(m_form, poster, [this, deadline](const QString &file) {
        return images::ThumbnailPicture(file, m_form, deadline);
    });
    m_form.setUpdatesEnabled(true);
    // With undo, the poster taken up is where taking back stops.
    if (history::PosterHistory *steps = history::PosterHistory::Of(m_form))
        steps->startStep();
    m_writer->begin(poster.sources);
    emit resumed();
}
