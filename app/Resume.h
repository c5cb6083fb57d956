// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The setting autosave in the running program: the poster is kept in the user's data folder
// (history::PosterWriter, wired here to the moves of the wizard and to the end of the program),
// and at start a poster an earlier run kept is offered with the big button CommandResume
// "つづきから" in the side panel of step 1, under the dot size bar, where step 1 has no control.
// Taking it brings the poster back in its step, and the first paint after the click shows it:
// its pictures from their thumbnails, read into the picture cache while the poster is offered
// (those whose files are gone from the poster's own small picture), sharpened after as any
// placed picture is. Any other action in the main window withdraws
// the offer and the fresh start stays, the file kept until this run's poster replaces it.
//
// A file that cannot be read (damaged, cut short, of another version or made to harm) is set
// aside under another name, never deleted, and the program starts fresh.
//
// With the setting shelf (app/Shelf.h) every run's poster is a file of its own on the shelf,
// "つづきから" (with autosave) offers the newest of them, and the big button CommandShelf "たな"
// under it opens the shelf; a poster taken from it comes back as "つづきから" brings one, and goes
// on being kept in its own file.

#include "history/PosterWriter.h"
#include "history/SavedPoster.h"
#include "posterfile/PosterFile.h"

#include <QObject>
#include <QPointer>

#include <future>

class Form1;
class WizardController;

namespace platform {
class CommandButton;
}

class PosterKeeper final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterKeeper)
public:
    static const QString ResumeCaption; // "つづきから"

    PosterKeeper(Form1 &form, WizardController &wizard, QObject *parent = nullptr);
    ~PosterKeeper() override;

    // The file the poster is kept in: autosave.poster in the user's data folder.
    static QString FilePath();

    // Offers the poster an earlier run kept, when its file is sound; with the shelf, the newest
    // on it, and the shelf itself.
    void offer();
    // CommandResume: the kept poster back in its step.
    void resume();
    // CommandShelf: the shelf's window; a poster taken from it comes back in its step.
    void openShelf();
    void takeFromShelf(const QString &path, bool starter);

    history::PosterWriter &writer() const { return *m_writer; }

signals:
    // The poster was taken up again.
    void resumed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void offerResume();
    void withdraw();
    void takeUp(const posterfile::Poster &poster);

    Form1 &m_form;
    WizardController &m_wizard;
    const bool m_shelf;
    QString m_offered; // the file "つづきから" offers
    QPointer<platform::CommandButton> m_shelfButton;
    QPointer<history::PosterWriter> m_writer; // a child of the main window
    QPointer<platform::CommandButton> m_resume;
    // The kept poster read whole and its images decoded on another thread while it is offered,
    // so that taking it up costs the click no decoding. The pictures whose files are gone show
    // from the poster's small picture first and are decoded sharp after (history::ApplySavedPoster).
    struct Reading
    {
        posterfile::Read read = posterfile::Read::Missing;
        posterfile::Poster poster;
    };
    std::future<Reading> m_reading;
    // And the thumbnails of its pictures into the picture cache.
    std::future<void> m_thumbnails;
};
