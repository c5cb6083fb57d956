// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's window icon: a small poster with a sun and a flower, drawn at several sizes.
QIcon AppIcon();

// The same drawing at one size, transparent around it; needs no application object (the
// desktop's icons are made from it at build time).
QImage AppIconImage(int size);

// Paints the drawing into the square from (0, 0) to (size, size) of any paint device (an image,
// a scalable picture).
void PaintAppIcon(QPainter &painter, int size);
