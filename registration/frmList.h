#pragma once

// The registration window "データの登録", where the ten ready-made phrases and the picture folder
// are chosen. It opens over the main window at start-up and from the menu, without blocking it.

#include "platform/Window.h"

class frmList final : public platform::Window
{
    Q_OBJECT
public:
    // Creating the window runs its load: it places itself centred on the screen.
    explicit frmList(QWidget *parent = nullptr);

    // Moves the drive list and the folder list to a drive and a folder from outside; an empty
    // value keeps the current one.
    void setDrive(const QString &drive);
    void setPath(const QString &path);
};
