// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Shelf.h"

#include "base/Fonts.h"
#include "platform/MessageBox.h"
#include "posterfile/PosterFile.h"
#include "registration/BuiltinPictures.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <cmath>

namespace shelf {

namespace {

const QString Suffix = QStringLiteral(".poster");

} // namespace

QString Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/posters");
}

QString BinFolder()
{
    return Folder() + QStringLiteral("/bin");
}

QString OlderFolder()
{
    return Folder() + QStringLiteral("/older");
}

QString StarterFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/starters");
}

QStringList Starters()
{
    QStringList paths, names;
    // The user's, then those of $XDG_DATA_DIRS, then the program's own (beside its own pictures).
    QStringList folders{StarterFolder()};
    const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &folder : data.mid(1))
        folders += folder + QStringLiteral("/tovimaru/starters");
    const QString pictures = BuiltinPicturesFolder();
    if (!pictures.isEmpty())
        folders += QDir::cleanPath(pictures + QStringLiteral("/../starters"));
    for (const QString &folder : folders) {
        for (const QFileInfo &file : QDir(folder).entryInfoList({QLatin1Char('*') + Suffix}, QDir::Files, QDir::Name)) {
            if (names.contains(file.fileName()))
                continue;
            names += file.fileName();
            paths += file.filePath();
        }
    }
    return paths;
}

QString NewPosterPath()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int n = 1;; ++n) {
        const QString path = Folder() + QLatin1Char('/') + stamp + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + Suffix;
        if (!QFileInfo::exists(path))
            return path;
    }
}

QStringList Posters()
{
    QStringList paths;
    const QDir folder(Folder());
    // Newest first; of two written within the same second, the later name.
    QFileInfoList files = folder.entryInfoList({QLatin1Char('*') + Suffix}, QDir::Files);
    std::ranges::sort(files, [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime x = a.lastModified(), y = b.lastModified();
        return x != y ? x > y : a.fileName() > b.fileName();
    });
    for (const QFileInfo &file : files)
        paths += file.filePath();
    return paths;
}

QString MoveInto(const QString &path, const QString &folder)
{
    QDir().mkpath(folder);
    const QFileInfo file(path);
    for (int n = 1; n < 1000; ++n) {
        const QString moved = folder + QLatin1Char('/') + file.completeBaseName()
                              + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + Suffix;
        if (QFileInfo::exists(moved))
            continue;
        return QFile::rename(path, moved) ? moved : QString();
    }
    return QString();
}

void KeepAtMost(int count)
{
    const QStringList posters = Posters();
    for (qsizetype i = count; i < posters.size(); ++i)
        MoveInto(posters[i], OlderFolder());
}

} // namespace shelf

namespace {

// Posters read on the GUI thread before the shelf is first shown: its first page.
constexpr int FirstPage = 9;
constexpr int Gap = 12;
constexpr int Columns = 3;
// Around a small picture in its button.
constexpr int Frame = 16;

struct Shelved
{
    QImage picture;
    bool sound = false;
};

// A poster's small picture; a poster's file that cannot be read is set aside (a starter's is
// only left out: it may stand in a folder of the whole classroom).
Shelved ReadShelved(const QString &path, bool starter = false)
{
    posterfile::Poster poster;
    if (posterfile::ReadFile(path, poster, posterfile::Images::Thumbnail) != posterfile::Read::Sound) {
        if (!starter)
            posterfile::SetAside(path);
        return {};
    }
    if (poster.thumbnail.isNull()) {
        // A file written before posters kept a small picture: a blank paper.
        poster.thumbnail = QImage(posterfile::ThumbnailSize, QImage::Format_RGB32);
        poster.thumbnail.fill(poster.paper.back.isValid() ? poster.paper.back : QColor(Qt::white));
    }
    if (starter) {
        // Marked with a star in its top-left corner.
        poster.thumbnail = poster.thumbnail.convertToFormat(QImage::Format_RGB32);
        QPainter painter(&poster.thumbnail);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath star;
        const double r = poster.thumbnail.height() / 7.0;
        for (int i = 0; i < 10; ++i) {
            const double angle = M_PI / 2 + i * M_PI / 5;
            const QPointF at(r * 1.1 + std::cos(angle) * (i % 2 ? r * 0.45 : r), r * 1.1 - std::sin(angle) * (i % 2 ? r * 0.45 : r));
            i == 0 ? star.moveTo(at) : star.lineTo(at);
        }
        star.closeSubpath();
        painter.setPen(QPen(QColor(0x80, 0x50, 0), 2));
        painter.setBrush(QColor(0xFF, 0xD0, 0x20));
        painter.drawPath(star);
    }
    return {poster.thumbnail, true};
}

// A poster's button in a column of that width, its small picture within it and never larger
// than it is kept.
QSize TileFor(int column)
{
    const QSize picture = posterfile::ThumbnailSize.scaled(std::min(posterfile::ThumbnailSize.width(), column - Gap - Frame),
                                                           posterfile::ThumbnailSize.height(), Qt::KeepAspectRatio);
    return picture + QSize(Frame, Frame);
}

QPushButton *BigButton(const QString &caption, const char *name, QRgb back)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    button->setFont(platform::MakeFont(platform::FontFace::RoundedGothic, 21.75, platform::FontStyle::Bold));
    button->setMinimumSize(210, 80);
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; } QPushButton:checked { background: #FF8080; }")
                              .arg(QColor(back).name()));
    return button;
}

} // namespace

const QString ShelfWindow::BinQuestion = QStringLiteral("このぽすたーを ごみばこに いれますか？");

ShelfWindow::ShelfWindow(QWidget &over)
    : QWidget(&over, Qt::Window | Qt::FramelessWindowHint),
      m_page(new QWidget),
      m_bin(BigButton(QStringLiteral("ごみばこ"), "CommandBin", 0xE0E0E0))
{
    setObjectName(QStringLiteral("ShelfWindow"));
    setWindowTitle(QStringLiteral("たな"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setGeometry(over.geometry());
    // Three columns in the page's width (less the window's margins and a scroll bar), the small
    // pictures made smaller if need be; more when they fit at their own size.
    // The starters, smaller, five where the posters stand three: the program's own five keep to
    // a row of their own, and the child's posters show from the first page on.
    const int room = width() - 60 - Gap;
    const QSize largest = posterfile::ThumbnailSize + QSize(Frame, Frame);
    const int columns = std::max(Columns, room / (largest.width() + Gap));
    m_posterGrid = {columns, TileFor(room / columns)};
    m_starterGrid = {columns * 5 / 3, TileFor(room / (columns * 5 / 3))};
    setStyleSheet(QStringLiteral("ShelfWindow { background: #F0E8D8; }"));
    setAttribute(Qt::WA_StyledBackground);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    QPushButton *fresh = BigButton(QStringLiteral("あたらしく"), "CommandNew", 0xC0FFC0);
    m_bin->setCheckable(true);
    top->addWidget(fresh);
    top->addStretch(1);
    top->addWidget(m_bin);
    layout->addLayout(top);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ShelfPage"));
    scroll->setWidget(m_page);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroll, 1);
    connect(fresh, &QPushButton::clicked, this, &QWidget::close);

    for (const QString &path : shelf::Starters()) {
        const Shelved shelved = ReadShelved(path, true);
        if (shelved.sound)
            addPoster(m_starters, path, shelved.picture)->setAccessibleName(QStringLiteral("おてほん"));
    }
    const QStringList posters = shelf::Posters();
    for (const QString &path : posters.mid(0, FirstPage)) {
        const Shelved shelved = ReadShelved(path);
        if (shelved.sound)
            addPoster(m_posters, path, shelved.picture);
    }
    // The rest in their places, their pictures as they are read.
    const QStringList rest = posters.mid(FirstPage);
    for (const QString &path : rest)
        addPoster(m_posters, path, QImage());
    arrange();
    if (!rest.isEmpty()) {
        m_reading = std::async(std::launch::async, [this, rest] {
            for (const QString &path : rest) {
                if (m_stop)
                    return;
                const Shelved shelved = ReadShelved(path);
                QMetaObject::invokeMethod(this, [this, path, shelved] { showPicture(path, shelved.picture, shelved.sound); },
                                          Qt::QueuedConnection);
            }
        });
    }
}

ShelfWindow::~ShelfWindow()
{
    m_stop = true;
    if (m_reading.valid())
        m_reading.wait();
}

QList<QPushButton *> ShelfWindow::posterButtons() const
{
    return m_posters;
}

QPushButton *ShelfWindow::addPoster(QList<QPushButton *> &row, const QString &path, const QImage &picture)
{
    auto *poster = new QPushButton(m_page);
    poster->setObjectName(&row == &m_posters ? QStringLiteral("ShelfPoster") : QStringLiteral("ShelfStarter"));
    poster->setProperty("path", path);
    // Nothing to read on the shelf; a screen reader says what it is.
    poster->setAccessibleName(QStringLiteral("ぽすたー"));
    const QSize tile = (&row == &m_posters ? m_posterGrid : m_starterGrid).tile;
    poster->setIconSize(tile - QSize(Frame, Frame));
    poster->setFixedSize(tile);
    if (!picture.isNull())
        poster->setIcon(QPixmap::fromImage(picture));
    connect(poster, &QPushButton::clicked, this, [this, poster] { take(poster); });
    row += poster;
    return poster;
}

void ShelfWindow::arrange()
{
    int top = Gap;
    for (const auto &[row, grid] : {std::pair{&m_starters, m_starterGrid}, std::pair{&m_posters, m_posterGrid}}) {
        const QSize step = grid.tile + QSize(Gap, Gap);
        for (int i = 0; i < row->size(); ++i)
            (*row)[i]->move(Gap + i % grid.columns * step.width(), top + i / grid.columns * step.height());
        top += int((row->size() + grid.columns - 1) / grid.columns) * step.height();
    }
    m_page->setMinimumSize(Gap + m_posterGrid.columns * (m_posterGrid.tile.width() + Gap), top);
}

void ShelfWindow::showPicture(const QString &path, const QImage &picture, bool sound)
{
    for (QPushButton *poster : m_posters) {
        if (poster->property("path").toString() != path)
            continue;
        if (sound) {
            poster->setIcon(QPixmap::fromImage(picture));
        } else {
            // Set aside: the others close up.
            m_posters.removeOne(poster);
            delete poster;
            arrange();
        }
        return;
    }
}

void ShelfWindow::take(QPushButton *poster)
{
    const QString path = poster->property("path").toString();
    const bool starter = m_starters.contains(poster);
    // A starter is never thrown away from the shelf: the teacher's settings window keeps them.
    if (!m_bin->isChecked() || starter) {
        m_bin->setChecked(false);
        close();
        emit taken(path, starter);
        return;
    }
    m_bin->setChecked(false);
    if (!platform::AskYesNo(this, BinQuestion, QStringLiteral("ごみばこ"), QStringLiteral("はい"), QStringLiteral("いいえ")))
        return;
    if (!shelf::MoveInto(path, shelf::BinFolder()).isEmpty())
        showPicture(path, QImage(), false);
}
