// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A teacher's settings: the options a classroom may turn on, read once at start from an INI file
// (QSettings) and from --set KEY=VALUE on the command line. Every option is off by default, and
// with no settings file the program is exactly as designed.
//
// The file read is $XDG_CONFIG_HOME/tovimaru/tovimaru.conf (~/.config when the variable is
// unset) when it exists, otherwise the first tovimaru/tovimaru.conf of $XDG_CONFIG_DIRS
// (/etc/xdg by default): a classroom-wide default. Keys stand in the file's [General] part:
//
//   scale=fit
//   galleryButtons=true
//
// A key that is unknown, or a value that does not parse, is left out with one line of warning;
// a file that cannot be read or parsed counts as no file. Qt Core only.

#include <QString>
#include <QStringList>

namespace settings {

// The factor of scale=fit: the largest the screen allows, worked out before the application
// object exists.
inline constexpr double ScaleFit = 0;

struct Settings
{
    // The whole program drawn larger: 1 (as designed), 1.25, 1.5, 2, or ScaleFit.
    double scale = 1;
    // The main window fills the screen, its layout centred on a plain surround.
    bool fullscreen = false;
    // A pointer about four times the usual size.
    bool bigCursor = false;
    // Two big page buttons beside the gallery, CommandPageUp "▲" and CommandPageDown "▼".
    bool galleryButtons = false;
    // A second click on "つぎへ" or "もどる" within the double-click time does nothing.
    bool wizardGuard = false;
    // "ほぞん" offers PNG and PDF besides BMP, and a fresh name ("ぽすたー１") of its own.
    bool saveFormats = false;
    // "いんさつ" first shows a preview of the page, with big buttons to print or go back.
    bool printPreview = false;
    // Buttons, keys and texts read aloud; "よむ" reads the typing line or the selected text.
    bool speech = false;
    // A click picks up what a drag would carry, and the next click puts it down; on the paper a
    // click starts a stroke of dots and the next ends it. Escape puts back what is carried.
    bool clickToCarry = false;
    // The arrow keys and the number pad move the pointer, Space and Enter are its button, Tab
    // goes from control to control.
    bool keyboardPointer = false;
    // Resting the pointer this many seconds clicks where it rests (0 off, else 0.5 to 3).
    double dwell = 0;
    // Switch scanning: 0 off, 1 one switch (the light moves by itself, Space, Enter or a mouse
    // click takes), 2 two switches (Space moves the light, Enter takes).
    int scan = 0;
    // The seconds a choice stays lit, 0.5 to 5 (the first of a group 0.7 s more).
    double scanInterval = 1.0;
    // How many rounds of a group the light makes (one switch) before it rests on nothing, 1 to 10.
    int scanLoops = 2;

    // Options of features still to come: read and kept so that all share one file.
    bool undo = false;
    bool autosave = false;
    // Every poster kept on a shelf ("たな") of its own file, taken up again from step 1; a
    // teacher's starters on it too.
    bool shelf = false;
    bool quitPrompt = false;
    bool moreFormats = false;
    bool builtinPictures = false;

    bool operator==(const Settings &) const = default;
};

// Every key the file may hold: scale first, then the switches, then dwell and the scanning keys.
QStringList Keys();

// Sets one key from its text. Returns an empty string, or why the key or value was refused
// (the settings are then unchanged).
QString SetValue(Settings &settings, const QString &key, const QString &value);
// The text the file holds for a key ("true", "1.25", "fit" ...); empty for an unknown key.
QString ValueText(const Settings &settings, const QString &key);

// The user's file, whether or not it exists.
QString UserSettingsPath();
// The file start-up reads: the user's when it exists, otherwise the first of XDG_CONFIG_DIRS
// that exists; empty when there is none.
QString SettingsFileToRead();

// Reads SettingsFileToRead(), then applies the overrides ("KEY=VALUE", in order). Each key or
// file left out adds one line to warnings.
Settings LoadSettings(const QStringList &overrides, QStringList *warnings);
// Reads one file alone (no overrides).
Settings ReadSettingsFile(const QString &path, QStringList *warnings);

// Writes every key into the user's file (replacing it as a whole). Returns an empty string, or
// why it could not be written.
QString SaveUserSettings(const Settings &settings);

// The settings of this run: every option off until SetCurrent() (main() calls it before the
// program starts; tests call it to try an option).
const Settings &Current();
void SetCurrent(const Settings &settings);

} // namespace settings
