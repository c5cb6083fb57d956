// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The registration window "データの登録", where the ten ready-made phrases and the picture folder
// are chosen. It opens over the main window at start-up and from the menu, without blocking it,
// and is destroyed when "これでよし" confirms it. Its controls are built from the layout table in
// frmListLayout.cpp.

#include "platform/Controls.h"
#include "platform/FileLists.h"
#include "platform/Window.h"
#include "registration/PhraseStore.h"

#include <array>

class Form1;

class frmList final : public platform::Window
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmList)
public:
    // Creating the window runs its load: it reads the phrase store of DataDir into the phrase
    // boxes (the poster's non-empty texts take precedence), opens its lists at the current
    // folder and places itself centred on the screen. A store that cannot be read is reported
    // in a message box before the constructor returns.
    explicit frmList(Form1 &form, QWidget *parent = nullptr);

    // Moves the drive list and the folder list to a drive and a folder from outside, which the
    // file list and ImageDir follow; an empty value keeps the current one.
    void setDrive(const QString &drive);
    void setPath(const QString &path);
    // The poster's texts, where a slot holds one, take the place of the phrases shown, as they
    // do when the window is opened (after the poster was taken up again from its file).
    void offerPosterTexts();

    // The picture files of a folder, as the file list shows them there.
    static QStringList PictureFiles(const QString &folder);

    platform::Label *Label3;             // "データの設定": the heading
    platform::Label *Label4;             // "画像ファイル"
    platform::Label *Label1;             // "文字"
    platform::FileList *File1;           // the picture files of the folder; names only
    platform::DriveList *Drive1;         // the drives
    platform::FolderList *Dir1;          // the folders of the drive
    std::array<platform::PlainTextBox *, PhraseCount> PhraseBox; // Text11..Text20: phrase k in [k - 1]
    platform::CommandButton *Command12;  // "これでよし": confirm

signals:
    // Asks for the gallery to be filled from the file list's names, in list order. Emitted on
    // confirmation while the window still exists, with ImageDir the folder they are in.
    void scanImageFolder(const QStringList &fileNames);

private:
    void load();
    void driveChanged();
    void folderChanged();
    void confirm();

    Form1 &m_form;
    PhraseStore m_store;
};
