#include "app/Startup.h"

#include "app/AppIcon.h"
#include "app/Program.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>

namespace {

std::unique_ptr<Program> g_program;

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
    if (!folders.pictures.isEmpty())
        QDir::setCurrent(folders.pictures);
    // One look on every desktop: Fusion paints the buttons' back colours as designed.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(AppIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    g_program = std::make_unique<Program>();
    g_program->start(folders.data);
}

Program *CurrentProgram()
{
    return g_program.get();
}
