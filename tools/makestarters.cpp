// SPDX-License-Identifier: GPL-3.0-or-later
// makestarters: the program's own starters for the shelf of posters (the setting shelf), drawn
// from the program's own pictures: a birthday card, a thank-you card, a notice with a title, a
// spring poster and a name card. Each is a poster in step 1 whose paper holds the drawing, for a
// child to paste pictures and texts on; it is taken from a main window as the program keeps a
// poster, with its small picture, so that the file is the program's own in every respect.
//
// Usage: makestarters <folder of the program's own pictures> <output folder>

#include "base/Fonts.h"
#include "form/Form1.h"
#include "history/PosterThumbnail.h"
#include "history/SavedPoster.h"
#include "pictures/Picture.h"
#include "posterfile/PosterFile.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTextStream>

namespace {

struct Placed
{
    const char *picture; // a file of the program's own pictures, without its ending
    QRectF where;        // in pixels of the paper
};

struct Starter
{
    const char *file;
    QRgb paper;
    QRgb band;          // a band under the title
    const char *title;
    std::vector<Placed> pictures;
};

const std::vector<Starter> &Starters()
{
    static const std::vector<Starter> starters{
        {"1-birthday", 0xFFE0F0, 0xFF80B0, "おたんじょうび おめでとう",
         {{"けーき", {250, 150, 210, 160}}, {"ふうせん", {40, 130, 150, 200}}, {"ぷれぜんと", {520, 300, 150, 150}}}},
        {"2-thanks", 0xFFFFE0, 0xFFC040, "ありがとう",
         {{"はな", {40, 140, 170, 170}}, {"ひまわり", {500, 140, 170, 170}}}},
        {"3-notice", 0xE0F0FF, 0x4080E0, "おしらせ", {{"ほし", {30, 20, 70, 70}}, {"ほし", {607, 20, 70, 70}}}},
        {"4-spring", 0xF0FFF0, 0xFFA0C0, "はるが きた", {{"さくら", {30, 150, 220, 220}}, {"ちょうちょ", {520, 280, 140, 140}}}},
        {"5-namecard", 0xFFF8E8, 0x80C080, "なまえ", {{"ねこ", {40, 320, 140, 140}}, {"いぬ", {527, 320, 140, 140}}}},
    };
    return starters;
}

// The file of one of the program's own pictures, whatever its ending.
QString PictureFile(const QDir &pictures, const QString &name)
{
    const QStringList found = pictures.entryList({name + QStringLiteral(".*")}, QDir::Files);
    return found.isEmpty() ? QString() : pictures.filePath(found.first());
}

QImage DrawPaper(const Starter &starter, const QSize &size, const QDir &pictures, QString *missing)
{
    QImage paper(size, QImage::Format_RGB32);
    paper.fill(starter.paper);
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A border and the title on its band.
    painter.setPen(QPen(QColor(starter.band), 10));
    painter.drawRoundedRect(QRectF(QPointF(), size).adjusted(8, 8, -8, -8), 24, 24);
    // Clear of the star the shelf marks a starter with, in its top-left corner.
    const QRectF band(150, 28, size.width() - 300, 72);
    painter.fillRect(band, QColor(starter.band));
    const QString title = QString::fromUtf8(starter.title);
    double points = 30;
    QFont font = platform::MakeFont(platform::FontFace::RoundedGothic, points, platform::FontStyle::Bold);
    while (QFontMetricsF(font).horizontalAdvance(title) > band.width() - 16 && points > 12)
        font = platform::MakeFont(platform::FontFace::RoundedGothic, points -= 2, platform::FontStyle::Bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(band, Qt::AlignCenter, title);
    for (const Placed &placed : starter.pictures) {
        const platform::Picture picture = platform::LoadPicture(PictureFile(pictures, QString::fromUtf8(placed.picture)));
        if (picture.isEmpty())
            *missing = QString::fromUtf8(placed.picture);
        picture.drawStretched(painter, placed.where);
    }
    return paper;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: makestarters <folder of the program's own pictures> <output folder>\n";
        return 2;
    }
    const QDir pictures(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());
    Form1 form;
    for (const Starter &starter : Starters()) {
        QString missing;
        const QImage paper = DrawPaper(starter, form.Picture1->size(), pictures, &missing);
        if (!missing.isEmpty()) {
            err << "makestarters: no picture " << missing << " in " << pictures.path() << "\n";
            return 1;
        }
        form.Picture1->setBackColor(QColor(starter.paper));
        form.Command12->setBackColor(QColor(starter.paper));
        form.Picture1->setPicture(platform::Picture::fromImage(paper));
        posterfile::Poster poster = history::TakeSavedPoster(form);
        poster.thumbnail = history::DrawThumbnail(poster, history::TakeThumbnailScene(form));
        const QString path = out.filePath(QString::fromLatin1(starter.file) + QStringLiteral(".poster"));
        posterfile::Poster check;
        if (!posterfile::WriteFile(path, posterfile::Encode(poster))
            || posterfile::ReadFile(path, check) != posterfile::Read::Sound) {
            err << "makestarters: " << path << " could not be written whole\n";
            return 1;
        }
    }
    return 0;
}
