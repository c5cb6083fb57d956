// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drive, folder and file lists of the registration window: the classic trio that lets a
// mouse-only user walk to a picture folder. Drives are the mounted volumes a user would call
// drives; paths use "/" and carry no trailing "/" except the root itself.

#include "platform/Controls.h"

#include <QComboBox>
#include <QListWidget>
#include <QStorageInfo>

namespace platform {

// The drives a user would recognise among the mounted volumes: the root file system, the
// volume of the home folder, the volume of the current folder, and removable media mounted
// under /media or /run/media. Root paths, "/" first, the rest sorted, each once.
QStringList UserDrives(const QList<QStorageInfo> &volumes, const QString &homePath, const QString &currentPath);

// Sorts folder and file names the way both lists show them: by the name before the last dot,
// then by the extension, case-insensitively in Japanese collation; names that differ only in
// case in code-point order. The order never depends on the machine's locale.
void SortNames(QStringList &names);

// The names of the files of a folder that match a pattern of wildcards separated by ";"
// ("*.BMP;*.JPG", ignoring case), sorted as the lists show them: what a file list of that folder
// lists. Folders and hidden files are left out; a folder that cannot be read has none.
QStringList MatchingFiles(const QString &folder, const QString &pattern);

// A drop-down list of drives. "change" fires whenever the drive changes, by the user or by code.
class DriveList final : public Control<QComboBox>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString drive READ drive)
public:
    // Lists the mounted user drives with the drive of the current folder chosen.
    explicit DriveList(QWidget *parent = nullptr);

    // The chosen drive's root path ("/", "/media/me/STICK").
    QString drive() const;
    // Chooses the listed drive that holds the given path (a drive's root or any path on it);
    // an empty value keeps the current drive.
    void setDrive(const QString &path);
    // The listed drive that holds the path: the drive with the longest root that contains it.
    QString driveOf(const QString &path) const;
    // The folder a drive opens at: the current folder when it lies on that drive, else its root.
    QString currentFolderOn(const QString &drive) const;

    // Replaces the listed drives (root paths), keeping the chosen one when it is still listed;
    // no change fires. The list reads the mounted volumes again each time it drops down, so
    // a medium put in meanwhile shows up.
    void setDrives(const QStringList &roots);
    // Lists a folder as a drive of its own, under a caption, after the mounted drives: a path
    // in it is on that drive, which opens at the folder. The drive of the current folder is
    // chosen again; no change fires.
    void addFolderDrive(const QString &folder, const QString &caption);

    void showPopup() override;

signals:
    void change();

private:
    void listMountedDrives();

    QList<std::pair<QString, QString>> m_folderDrives; // folder, caption
};

// The folder list: the components of the current path from the root down, then the current
// folder's subfolders, indented like a tree. Activating an item (double-click, Enter) opens it.
class FolderList final : public Control<QListWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString path READ path)
public:
    explicit FolderList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Opens a folder; false, with nothing changed, when it is no folder that can be listed.
    // An empty value keeps the current folder. "change" fires when the path changes.
    bool setPath(const QString &path);

    // The full path an item stands for.
    static QString itemPath(const QListWidgetItem *item);

signals:
    void change();

private:
    void fill(const QStringList &subfolders);

    QString m_path;
};

// The file list: names only, of the files in its folder that match its pattern, sorted.
class FileList final : public Control<QListWidget>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString path READ path)
    Q_PROPERTY(QString pattern READ pattern WRITE setPattern)
public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Lists the matching files of a folder; a folder that cannot be read lists nothing.
    void setPath(const QString &path);
    // Wildcards separated by ";" ("*.BMP;*.JPG"), matched ignoring case; the list follows.
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);

    // The k-th listed name, "" past the last one; all of them in list order.
    QString name(int k) const;
    QStringList names() const;

private:
    void refill();

    QString m_path;
    QString m_pattern = QStringLiteral("*");
};

} // namespace platform
