// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShelfSettings.h"

#include "app/Shelf.h"
#include "posterfile/PosterFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Filter = QStringLiteral("ポスター (*.poster)");

// Copies a file into a folder under its own name, or a free one beside it.
bool CopyInto(const QString &path, const QString &folder)
{
    QDir().mkpath(folder);
    const QFileInfo file(path);
    for (int n = 1; n < 1000; ++n) {
        const QString copy = folder + QLatin1Char('/') + file.completeBaseName()
                             + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".poster");
        if (!QFileInfo::exists(copy))
            return QFile::copy(path, copy);
    }
    return false;
}

// Whether a file is a poster the program reads: only those are copied onto the shelf.
bool IsPoster(const QString &path)
{
    posterfile::Poster poster;
    return posterfile::ReadFile(path, poster, posterfile::Images::Skip) == posterfile::Read::Sound;
}

} // namespace

ShelfSettings::ShelfSettings(QWidget *parent) : QWidget(parent), m_done(new QLabel)
{
    setObjectName(QStringLiteral("ShelfSettings"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("「たな」のポスター")));
    auto *buttons = new QGridLayout;
    const auto add = [this, buttons](const QString &caption, const char *name, void (ShelfSettings::*act)()) {
        auto *button = new QPushButton(caption);
        button->setObjectName(QLatin1String(name));
        button->setAccessibleName(caption);
        connect(button, &QPushButton::clicked, this, act);
        buttons->addWidget(button, buttons->count() / 2, buttons->count() % 2);
    };
    add(QStringLiteral("フォルダーに書き出す…"), "CommandCopyOut", &ShelfSettings::copyOut);
    add(QStringLiteral("フォルダーから読み込む…"), "CommandCopyIn", &ShelfSettings::copyIn);
    add(QStringLiteral("お手本にする…"), "CommandKeepStarter", &ShelfSettings::keepAsStarter);
    add(QStringLiteral("ごみばこを空にする"), "CommandEmptyBin", &ShelfSettings::emptyBin);
    layout->addLayout(buttons);
    m_done->setObjectName(QStringLiteral("ShelfDone"));
    m_done->setWordWrap(true);
    layout->addWidget(m_done);
}

void ShelfSettings::emptyBin()
{
    const QStringList thrown = QDir(shelf::BinFolder()).entryList({QStringLiteral("*.poster")}, QDir::Files);
    if (thrown.isEmpty()) {
        m_done->setText(QStringLiteral("ごみばこは空です。"));
        return;
    }
    if (QMessageBox::question(this, window()->windowTitle(),
                              QStringLiteral("ごみばこの %1 枚のポスターを消します。元にはもどせません。よろしいですか？")
                                  .arg(thrown.size()))
        != QMessageBox::Yes)
        return;
    int removed = 0;
    for (const QString &name : thrown)
        removed += QFile::remove(shelf::BinFolder() + QLatin1Char('/') + name) ? 1 : 0;
    m_done->setText(QStringLiteral("%1 枚のポスターを消しました。").arg(removed));
}

void ShelfSettings::copyOut()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("書き出すフォルダー"));
    if (folder.isEmpty())
        return;
    int copied = 0;
    const QStringList posters = shelf::Posters();
    for (const QString &path : posters)
        copied += CopyInto(path, folder) ? 1 : 0;
    m_done->setText(QStringLiteral("%1 枚のポスターを %2 に書き出しました。").arg(copied).arg(folder));
}

void ShelfSettings::copyIn()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, QStringLiteral("読み込むポスター"), QString(), Filter);
    int copied = 0, refused = 0;
    for (const QString &path : files) {
        if (IsPoster(path) && CopyInto(path, shelf::Folder()))
            ++copied;
        else
            ++refused;
    }
    if (!files.isEmpty())
        m_done->setText(refused ? QStringLiteral("%1 枚を「たな」に入れました（%2 枚はポスターとして読めませんでした）。").arg(copied).arg(refused)
                                : QStringLiteral("%1 枚を「たな」に入れました。").arg(copied));
}

void ShelfSettings::keepAsStarter()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("お手本にするポスター"), shelf::Folder(), Filter);
    if (path.isEmpty())
        return;
    const bool kept = IsPoster(path) && CopyInto(path, shelf::StarterFolder());
    m_done->setText(kept ? QStringLiteral("お手本にしました。「たな」の上の列に★つきで出ます。")
                         : QStringLiteral("ポスターとして読めませんでした。"));
}
