// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <array>

namespace settings {

namespace {

struct BoolKey
{
    const char *name;
    bool Settings::*member;
};

constexpr const char *ScaleKey = "scale";
constexpr const char *DwellKey = "dwell";
// The seconds of a rest that clicks, when it is on.
constexpr double ShortestDwell = 0.5;
constexpr double LongestDwell = 3;
constexpr const char *ScanKey = "scan";
constexpr const char *ScanIntervalKey = "scanInterval";
constexpr const char *ScanLoopsKey = "scanLoops";
constexpr double ShortestScanInterval = 0.5;
constexpr double LongestScanInterval = 5;
constexpr int MostScanLoops = 10;

// Every on/off key (QSettings writes the file in the keys' alphabetical order).
constexpr std::array<BoolKey, 15> BoolKeys{{
    {"fullscreen", &Settings::fullscreen},
    {"bigCursor", &Settings::bigCursor},
    {"galleryButtons", &Settings::galleryButtons},
    {"wizardGuard", &Settings::wizardGuard},
    {"undo", &Settings::undo},
    {"autosave", &Settings::autosave},
    {"shelf", &Settings::shelf},
    {"quitPrompt", &Settings::quitPrompt},
    {"speech", &Settings::speech},
    {"moreFormats", &Settings::moreFormats},
    {"saveFormats", &Settings::saveFormats},
    {"printPreview", &Settings::printPreview},
    {"builtinPictures", &Settings::builtinPictures},
    {"clickToCarry", &Settings::clickToCarry},
    {"keyboardPointer", &Settings::keyboardPointer},
}};

// The factors scale takes besides "fit".
constexpr std::array<double, 4> ScaleFactors{1, 1.25, 1.5, 2};

const BoolKey *FindBoolKey(const QString &key)
{
    for (const BoolKey &entry : BoolKeys) {
        if (key == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

Settings g_current;

} // namespace

QStringList Keys()
{
    QStringList keys{QLatin1String(ScaleKey)};
    for (const BoolKey &entry : BoolKeys)
        keys.append(QLatin1String(entry.name));
    keys.append(QLatin1String(DwellKey));
    keys.append(QLatin1String(ScanKey));
    keys.append(QLatin1String(ScanIntervalKey));
    keys.append(QLatin1String(ScanLoopsKey));
    return keys;
}

QString SetValue(Settings &settings, const QString &key, const QString &value)
{
    const QString text = value.trimmed().toLower();
    if (key == QLatin1String(ScaleKey)) {
        if (text == QLatin1String("fit")) {
            settings.scale = ScaleFit;
            return {};
        }
        bool ok = false;
        const double factor = text.toDouble(&ok);
        for (double allowed : ScaleFactors) {
            if (ok && factor == allowed) {
                settings.scale = factor;
                return {};
            }
        }
        return QStringLiteral("scale must be 1, 1.25, 1.5, 2 or fit, not \"%1\"").arg(value);
    }
    if (key == QLatin1String(DwellKey)) {
        bool ok = false;
        const double seconds = text.toDouble(&ok);
        if (ok && (seconds == 0 || (seconds >= ShortestDwell && seconds <= LongestDwell))) {
            settings.dwell = seconds;
            return {};
        }
        return QStringLiteral("dwell must be 0 (off) or seconds from 0.5 to 3, not \"%1\"").arg(value);
    }
    if (key == QLatin1String(ScanKey) || key == QLatin1String(ScanLoopsKey)) {
        const bool loops = key == QLatin1String(ScanLoopsKey);
        bool ok = false;
        const int number = text.toInt(&ok);
        if (ok && number >= (loops ? 1 : 0) && number <= (loops ? MostScanLoops : 2)) {
            (loops ? settings.scanLoops : settings.scan) = number;
            return {};
        }
        return loops ? QStringLiteral("scanLoops must be a whole number from 1 to 10, not \"%1\"").arg(value)
                     : QStringLiteral("scan must be 0 (off), 1 (one switch) or 2 (two switches), not \"%1\"").arg(value);
    }
    if (key == QLatin1String(ScanIntervalKey)) {
        bool ok = false;
        const double seconds = text.toDouble(&ok);
        if (ok && seconds >= ShortestScanInterval && seconds <= LongestScanInterval) {
            settings.scanInterval = seconds;
            return {};
        }
        return QStringLiteral("scanInterval must be seconds from 0.5 to 5, not \"%1\"").arg(value);
    }
    const BoolKey *entry = FindBoolKey(key);
    if (!entry)
        return QStringLiteral("unknown key \"%1\"").arg(key);
    if (text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("yes")
        || text == QLatin1String("on")) {
        settings.*entry->member = true;
    } else if (text == QLatin1String("false") || text == QLatin1String("0") || text == QLatin1String("no")
               || text == QLatin1String("off")) {
        settings.*entry->member = false;
    } else {
        return QStringLiteral("%1 must be true or false, not \"%2\"").arg(key, value);
    }
    return {};
}

QString ValueText(const Settings &settings, const QString &key)
{
    if (key == QLatin1String(ScaleKey))
        return settings.scale == ScaleFit ? QStringLiteral("fit") : QString::number(settings.scale);
    if (key == QLatin1String(DwellKey))
        return QString::number(settings.dwell);
    if (key == QLatin1String(ScanKey))
        return QString::number(settings.scan);
    if (key == QLatin1String(ScanIntervalKey))
        return QString::number(settings.scanInterval);
    if (key == QLatin1String(ScanLoopsKey))
        return QString::number(settings.scanLoops);
    const BoolKey *entry = FindBoolKey(key);
    if (!entry)
        return {};
    return settings.*entry->member ? QStringLiteral("true") : QStringLiteral("false");
}

QString UserSettingsPath()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/tovimaru/tovimaru.conf");
}

QString SettingsFileToRead()
{
    const QString user = UserSettingsPath();
    if (QFileInfo::exists(user))
        return user;
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isRelativePath(dir))
            continue;
        const QString path = dir + QStringLiteral("/tovimaru/tovimaru.conf");
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

Settings ReadSettingsFile(const QString &path, QStringList *warnings)
{
    Settings settings;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        warnings->append(QStringLiteral("the settings file %1 cannot be read: no setting taken from it").arg(path));
        return settings;
    }
    const QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        warnings->append(QStringLiteral("the settings file %1 is damaged: no setting taken from it").arg(path));
        return settings;
    }
    // A file that is not ours at all says so once, not once a line.
    constexpr int MostWarnings = 5;
    int refused = 0;
    for (const QString &key : file.allKeys()) {
        const QVariant value = file.value(key);
        // A list ("a, b") is no value of ours.
        const QString why = value.typeId() == QMetaType::QString
                                ? SetValue(settings, key, value.toString())
                                : QStringLiteral("%1 must be one value").arg(key);
        if (!why.isEmpty() && ++refused <= MostWarnings)
            warnings->append(QStringLiteral("%1: %2, left out").arg(path, why));
    }
    if (refused > MostWarnings)
        warnings->append(QStringLiteral("%1: %2 more keys left out").arg(path).arg(refused - MostWarnings));
    return settings;
}

Settings LoadSettings(const QStringList &overrides, QStringList *warnings)
{
    const QString path = SettingsFileToRead();
    Settings settings = path.isEmpty() ? Settings{} : ReadSettingsFile(path, warnings);
    for (const QString &pair : overrides) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString why = equals < 0 ? QStringLiteral("--set %1 is not KEY=VALUE").arg(pair)
                                       : SetValue(settings, pair.left(equals).trimmed(), pair.mid(equals + 1));
        if (!why.isEmpty())
            warnings->append(QStringLiteral("--set: %1, left out").arg(why));
    }
    return settings;
}

QString SaveUserSettings(const Settings &settings)
{
    const QString path = UserSettingsPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("cannot make the folder of %1").arg(path);
    QSettings file(path, QSettings::IniFormat);
    // The file is written whole (through a temporary file renamed into place): keys that this
    // program does not know are dropped.
    file.clear();
    for (const QString &key : Keys())
        file.setValue(key, ValueText(settings, key));
    file.sync();
    if (file.status() != QSettings::NoError)
        return QStringLiteral("cannot write %1").arg(path);
    return {};
}

const Settings &Current()
{
    return g_current;
}

void SetCurrent(const Settings &settings)
{
    g_current = settings;
}

} // namespace settings
