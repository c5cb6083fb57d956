// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLists.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

namespace platform {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int LevelRole = Qt::UserRole + 1;
constexpr int IndentPixels = 12;

// True when path is root or lies below it, component by component ("/media/a" does not hold
// "/media/ab").
bool Holds(const QString &root, const QString &path)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

QString Clean(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

QString Child(const QString &folder, const QString &name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

// Indents each item of the folder list by its level, as a tree would.
class IndentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(LevelRole).toInt() * IndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(index.data(LevelRole).toInt() * IndentPixels, 0);
    }
};

} // namespace

QStringList UserDrives(const QList<QStorageInfo> &volumes, const QString &homePath, const QString &currentPath)
{
    QStringList roots{QStringLiteral("/")};
    auto add = [&roots](const QString &root) {
        if (!root.isEmpty() && !roots.contains(root))
            roots.append(root);
    };
    QString homeRoot, currentRoot;
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        // The volume holding a folder is the one with the longest root above it.
        if (Holds(root, homePath) && root.size() > homeRoot.size())
            homeRoot = root;
        if (Holds(root, currentPath) && root.size() > currentRoot.size())
            currentRoot = root;
        if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
            add(root);
    }
    add(homeRoot);
    add(currentRoot);
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

void SortNames(QStringList &names)
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    // The name before the last dot first, then the extension: the collation puts "_" before
    // ".", which would list "hopper_gray.jpg" before "hopper.jpg".
    auto stem = [](const QString &name) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot > 0 ? QStringView(name).left(dot) : QStringView(name);
    };
    std::sort(names.begin(), names.end(), [&stem](const QString &a, const QString &b) {
        const QStringView stemA = stem(a), stemB = stem(b);
        int order = collator.compare(stemA, stemB);
        if (order == 0)
            order = collator.compare(QStringView(a).mid(stemA.size()), QStringView(b).mid(stemB.size()));
        return order != 0 ? order < 0 : a < b;
    });
}

QStringList MatchingFiles(const QString &folder, const QString &pattern)
{
    QList<QRegularExpression> wildcards;
    for (const QString &wildcard : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        wildcards.append(QRegularExpression(
            QRegularExpression::wildcardToRegularExpression(wildcard.trimmed()),
            QRegularExpression::CaseInsensitiveOption));
    }
    // QDir::Files leaves out folders, also those named like pictures ("old.BMP/"), and hidden
    // files, as the desktop's own file lists do.
    QStringList matching;
    for (const QString &file : QDir(folder).entryList(QDir::Files)) {
        const bool matches = std::any_of(wildcards.cbegin(), wildcards.cend(), [&file](const QRegularExpression &re) {
            return re.match(file).hasMatch();
        });
        if (matches)
            matching.append(file);
    }
    SortNames(matching);
    return matching;
}

// ---------------------------------------------------------------------------------------------

DriveList::DriveList(QWidget *parent) : Control(parent)
{
    listMountedDrives();
    const QSignalBlocker blocker(this);
    setCurrentIndex(findData(driveOf(QDir::currentPath())));
    // Only real changes of the chosen drive count, whoever makes them.
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit change(); });
}

QString DriveList::drive() const
{
    return currentData().toString();
}

void DriveList::setDrive(const QString &path)
{
    if (path.isEmpty())
        return;
    setCurrentIndex(findData(driveOf(Clean(path))));
}

QString DriveList::driveOf(const QString &path) const
{
    QString best;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (Holds(root, path) && root.size() > best.size())
            best = root;
    }
    return best;
}

QString DriveList::currentFolderOn(const QString &drive) const
{
    const QString current = QDir::currentPath();
    return driveOf(current) == drive ? current : drive;
}

void DriveList::setDrives(const QStringList &roots)
{
    const QSignalBlocker blocker(this);
    const QString chosen = drive();
    clear();
    for (const QString &root : roots)
        addItem(root, root);
    for (const auto &[folder, caption] : m_folderDrives)
        addItem(caption, folder);
    const int index = findData(chosen);
    setCurrentIndex(index >= 0 ? index : 0);
}

void DriveList::addFolderDrive(const QString &folder, const QString &caption)
{
    const QSignalBlocker blocker(this);
    m_folderDrives.append({Clean(folder), caption});
    listMountedDrives();
    setCurrentIndex(findData(driveOf(QDir::currentPath())));
}

void DriveList::listMountedDrives()
{
    setDrives(UserDrives(QStorageInfo::mountedVolumes(), QDir::homePath(), QDir::currentPath()));
}

void DriveList::showPopup()
{
    listMountedDrives();
    QComboBox::showPopup();
}

// ---------------------------------------------------------------------------------------------

FolderList::FolderList(QWidget *parent) : Control(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) { setPath(itemPath(item)); });
}

QString FolderList::itemPath(const QListWidgetItem *item)
{
    return item ? item->data(PathRole).toString() : QString();
}

bool FolderList::setPath(const QString &path)
{
    if (path.isEmpty())
        return true;
    const QString clean = Clean(path);
    const QDir folder(clean);
    // A folder that exists but cannot be listed (no permission, a medium gone bad) is refused
    // like one that does not exist: nothing shown would be true.
    if (!QFileInfo(clean).isDir() || !folder.isReadable())
        return false;
    QStringList subfolders = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    SortNames(subfolders);
    const bool changed = clean != m_path;
    m_path = clean;
    fill(subfolders);
    if (changed)
        emit change();
    return true;
}

void FolderList::fill(const QStringList &subfolders)
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QString &text, const QString &path, int level, const QIcon &icon) {
        auto *item = new QListWidgetItem(icon, text, this);
        item->setData(PathRole, path);
        item->setData(LevelRole, level);
        return item;
    };

    // The path from the root down to the current folder, one component per line.
    QString walked = QStringLiteral("/");
    QListWidgetItem *current = add(walked, walked, 0, open);
    const QStringList components = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < components.size(); ++i) {
        walked = Child(walked, components[i]);
        current = add(components[i], walked, i + 1, open);
    }
    for (const QString &name : subfolders)
        add(name, Child(m_path, name), components.size() + 1, closed);
    setCurrentItem(current);
}

// ---------------------------------------------------------------------------------------------

FileList::FileList(QWidget *parent) : Control(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const QString &path)
{
    if (path.isEmpty())
        return;
    m_path = Clean(path);
    refill();
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refill();
}

QString FileList::name(int k) const
{
    const QListWidgetItem *entry = k >= 0 ? item(k) : nullptr;
    return entry ? entry->text() : QString();
}

QStringList FileList::names() const
{
    QStringList all;
    for (int k = 0; k < count(); ++k)
        all.append(item(k)->text());
    return all;
}

void FileList::refill()
{
    clear();
    if (!m_path.isEmpty())
        addItems(MatchingFiles(m_path, m_pattern));
}

} // namespace platform
