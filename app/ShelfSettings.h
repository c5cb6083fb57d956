// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shelf of posters in the teacher's settings window (app/Shelf.h): empties the bin, copies
// the posters to a folder (a USB stick) and posters from one onto the shelf as single files, and
// keeps a poster as a starter. Each through Qt's own file dialogs; a line below says what was done.

#include <QWidget>

class QLabel;

class ShelfSettings final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShelfSettings)
public:
    explicit ShelfSettings(QWidget *parent = nullptr);

private:
    void emptyBin();
    void copyOut();
    void copyIn();
    void keepAsStarter();

    QLabel *m_done;
};
