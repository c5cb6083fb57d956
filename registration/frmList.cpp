// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/frmList.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "history/History.h"
#include "platform/ControlLayout.h"
#include "base/Fonts.h"
#include "platform/MessageBox.h"
#include "registration/BuiltinPictures.h"
#include "platform/Narrator.h"
#include "platform/SpokenText.h"
#include "registration/frmListLayout.h"
#include "settings/Settings.h"

#include <QDir>
#include <QSignalBlocker>

using namespace platform;

namespace {

const QString PicturePattern = QStringLiteral("*.BMP;*.WMF;*.JPG;*.DIB;*.RLE;*.GIF");
// Today's formats a teacher may add (moreFormats), listed among the others in one order.
const QString MorePicturePatterns = QStringLiteral(";*.PNG;*.JPEG;*.WEBP;*.HEIC;*.HEIF;*.AVIF");

// The program's messages, word for word.
const QString DriveErrorText = QStringLiteral("ディスクをセットしてください");
const QString DriveErrorTitle = QStringLiteral("ドライブエラー");
const QString NoPicturesText =
    QStringLiteral("がぞうがありません、がぞうをいれるには\u3000[ディレクトリの指定]からおこなってください。");
const QString NoPicturesTitle = QStringLiteral("確認");
// What the phrase store says when it fails, short and in hiragana like the rest of the program.
const QString StoreTitle = QStringLiteral("ことば");
const QString LoadFailedText = QStringLiteral("ことばを よみこめませんでした");
const QString SaveFailedText = QStringLiteral("ことばを ほぞんできませんでした");

} // namespace

frmList::frmList(Form1 &form, QWidget *parent)
    : Window(QStringLiteral("frmList"), frmListClientWidth, frmListClientHeight, QColor(0xE0, 0xE0, 0xE0), parent),
      m_form(form),
      m_store(Module1::DataDir)
{
    setCaption(QStringLiteral("データの登録"));
    setFont(MakeFont(FontFace::Gothic, 9));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(client(), frmListLayout());

    Label3 = BuiltControl<Label>(client(), "Label3");
    // The heading starts left of the window's edge; centred, its caption is whole.
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label4 = BuiltControl<Label>(client(), "Label4");
    Label1 = BuiltControl<Label>(client(), "Label1");
    File1 = BuiltControl<FileList>(client(), "File1");
    Drive1 = BuiltControl<DriveList>(client(), "Drive1");
    Dir1 = BuiltControl<FolderList>(client(), "Dir1");
    for (int k = 1; k <= PhraseCount; ++k)
        PhraseBox[k - 1] = FindControl<PlainTextBox>(client(), QStringLiteral("Text%1").arg(10 + k));
    Command12 = BuiltControl<CommandButton>(client(), "Command12");

    // The phrase boxes take the desktop's Japanese input method, set up as for the poster's
    // text slots.
    for (PlainTextBox *box : PhraseBox) {
        box->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        box->setInputMethodHints(Qt::ImhPreferLowercase | Qt::ImhNoPredictiveText);
        // Read aloud when the pointer rests on it or chooses it.
        if (settings::Current().speech)
            box->setProperty(SpeaksTextProperty, true);
    }
    QList<QWidget *> tabOrder{Command12};
    for (PlainTextBox *box : PhraseBox)
        tabOrder.append(box);
    tabOrder << File1 << Drive1 << Dir1;
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The program's own pictures, a drive of their own for a mouse to reach.
    if (settings::Current().builtinPictures) {
        const QString builtin = BuiltinPicturesFolder();
        if (!builtin.isEmpty())
            Drive1->addFolderDrive(builtin, BuiltinPicturesCaption());
    }

    connect(Drive1, &DriveList::change, this, &frmList::driveChanged);
    connect(Dir1, &FolderList::change, this, &frmList::folderChanged);
    connect(Command12, &QPushButton::clicked, this, &frmList::confirm);

    // The drive list starts on the drive of the current folder; opening the folder list there
    // makes the file list and ImageDir follow, so they agree from the start even when a window
    // before this one was closed through its frame after moving ImageDir.
    File1->setPattern(settings::Current().moreFormats ? PicturePattern + MorePicturePatterns : PicturePattern);
    Dir1->setPath(QDir::currentPath());
    Command12->setFocus();

    load();
}

void frmList::load()
{
    setTwipsHeight(frmListOuterHeight);
    setTwipsLeft((screenWidthTwips() - twipsWidth()) / 2);
    setTwipsTop((screenHeightTwips() - twipsHeight()) / 2);

    Phrases phrases;
    const PhraseStore::Loaded loaded = m_store.load(phrases);
    for (int i = 0; i < PhraseCount; ++i)
        PhraseBox[i]->setText(phrases[i]);
    offerPosterTexts();
    // An empty store needs no new record now: the first confirmation writes it.
    if (loaded == PhraseStore::Loaded::Unreadable)
        ShowErrorMessage(this, LoadFailedText, StoreTitle);
}

QStringList frmList::PictureFiles(const QString &folder)
{
    return MatchingFiles(folder, PicturePattern);
}

void frmList::offerPosterTexts()
{
    // The poster's texts, edited since the phrases were stored, are offered instead.
    for (int i = 0; i < PhraseCount; ++i) {
        const QString onPoster = m_form.Text1[i]->text();
        if (!onPoster.isEmpty())
            PhraseBox[i]->setText(onPoster);
    }
}

void frmList::setDrive(const QString &drive)
{
    Drive1->setDrive(drive);
}

void frmList::setPath(const QString &path)
{
    // The folder confirmed last may be gone with its medium.
    if (!Dir1->setPath(path))
        ShowErrorMessage(this, DriveErrorText, DriveErrorTitle);
}

void frmList::driveChanged()
{
    if (Dir1->setPath(Drive1->currentFolderOn(Drive1->drive())))
        return;
    ShowErrorMessage(this, DriveErrorText, DriveErrorTitle);
    // The drive list goes back to the drive of the folder still shown, so the lists agree.
    const QSignalBlocker blocker(Drive1);
    Drive1->setDrive(Dir1->path());
}

void frmList::folderChanged()
{
    File1->setPath(Dir1->path());
    QString folder = Dir1->path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    Module1::ImageDir = folder;
}

void frmList::confirm()
{
    if (File1->name(0).isEmpty())
        ShowErrorMessage(this, NoPicturesText, NoPicturesTitle);

    Phrases phrases;
    for (int k = 0; k < PhraseCount; ++k)
        phrases[k] = PhraseBox[k]->text();
    // The words are stored below, so they are no step of the poster to take back.
    history::PhrasesConfirmed(m_form, [&] {
        for (int k = 0; k < PhraseCount; ++k) {
            m_form.Text1[k]->setText(phrases[k]);
            // The readings of text converted in the box go with it (kept only while speaking).
            m_form.Text1[k]->setProperty(ReadingsProperty, PhraseBox[k]->property(ReadingsProperty));
        }
    });
    if (m_store.save(phrases) == PhraseStore::Saved::NotWritten)
        ShowErrorMessage(this, SaveFailedText, StoreTitle);

    emit scanImageFolder(File1->names());

    Module1::ChosenDrive = Drive1->drive();
    Module1::ChosenDir = Dir1->path();
    close(); // WA_DeleteOnClose: destroyed once the event loop is back
    m_form.bringToFront();
}
