// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "app/AppIcon.h"
#include "app/Program.h"
#include "base/Fonts.h"
#include "pictures/DecoderPool.h"
#include "pictures/PictureFormats.h"
#include "platform/Accessible.h"
#include "platform/BigCursor.h"
#include "registration/BuiltinPictures.h"
#include "registration/frmList.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <QStyleFactory>

namespace {

std::unique_ptr<Program> g_program;

// Qt's own dialogs (print, save, the question before replacing a file) speak Japanese like the
// rest of the program, whatever the desktop's language. Installed once per application.
void InstallJapaneseTranslation()
{
    static QTranslator *translator = nullptr;
    if (translator)
        return;
    translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        qWarning("tovimaru: Qt's Japanese translation (qtbase_ja.qm) is missing: Qt's dialogs stay in English");
}

// The program's own pictures when the gallery should open on them instead of the user's picture
// folder, which holds none; empty otherwise.
QString BuiltinPicturesInstead(const StartFolders &folders)
{
    if (!settings::Current().builtinPictures || !folders.userPictures)
        return QString();
    if (!frmList::PictureFiles(folders.pictures).isEmpty())
        return QString();
    const QString builtin = BuiltinPicturesFolder();
    return builtin.isEmpty() || frmList::PictureFiles(builtin).isEmpty() ? QString() : builtin;
}

// The program's windows go before the application does.
void EndTovimaru()
{
    g_program.reset();
}

} // namespace

void StartTovimaru()
{
    StartTovimaru(StartFolders{});
}

void StartTovimaru(const StartFolders &folders)
{
    static const bool cleanupAdded = (qAddPostRoutine(EndTovimaru), true);
    Q_UNUSED(cleanupAdded);
    g_program.reset();
    InstallJapaneseTranslation();
    platform::KeepSyntheticBoldAtEveryScale();
    if (!folders.pictures.isEmpty())
        QDir::setCurrent(folders.pictures);
    // One look on every desktop (the graphical buttons paint themselves in any style).
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(AppIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    platform::UseBigCursor(settings::Current().bigCursor);
    platform::formats::SetMoreFormats(settings::Current().moreFormats);
    platform::decoding::UseHelpers(settings::Current().moreFormats);
    // A control's interface for screen readers is made as the control is built: the program's
    // own interfaces come first. They change nothing a mouse user sees, and a screen reader's
    // user turns the program's own voice off, so they are there with every setting.
    platform::InstallAccessibleControls();
    g_program = std::make_unique<Program>();
    g_program->start(folders.data, BuiltinPicturesInstead(folders));
}

Program *CurrentProgram()
{
    return g_program.get();
}
