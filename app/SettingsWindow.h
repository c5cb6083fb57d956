// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings window for teachers and parents (tovimaru --settings): each option of the
// settings file with one line on what it does for the child, "おすすめ" for the options a
// classroom wants, and "保存" writing the user's settings file. Ordinary Japanese, kanji allowed:
// it is not for the children. Its option controls are named after their keys ("scale",
// "galleryButtons" ...). The options scroll when the screen is too low for them; the buttons
// stay in sight, and closing with changes not saved asks first.

#include "settings/Settings.h"

#include <QWidget>

#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class SettingsWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)
public:
    // Shows the settings given (by default those of the file start-up would read).
    explicit SettingsWindow(const settings::Settings &shown = ReadFromFile(), QWidget *parent = nullptr);

    static settings::Settings ReadFromFile();

    // What the window's controls say now.
    settings::Settings chosen() const;
    void showSettings(const settings::Settings &settings);

    // The options "おすすめ" turns on (the others it leaves as they are).
    static settings::Settings Recommended(settings::Settings settings);

protected:
    // With changes not yet saved, asks first: save and close, close without saving, or stay.
    void closeEvent(QCloseEvent *event) override;

private:
    bool save(); // true when the file was written

    settings::Settings m_base;  // the keys the window has no control for, kept as read
    settings::Settings m_saved; // what the file holds: as read, then as last saved
    QComboBox *m_scale = nullptr;
    QComboBox *m_dwell = nullptr;
    QComboBox *m_scan = nullptr;
    QComboBox *m_scanInterval = nullptr;
    QComboBox *m_scanLoops = nullptr;
    std::vector<std::pair<bool settings::Settings::*, QCheckBox *>> m_switches;
    QLabel *m_status;
};
