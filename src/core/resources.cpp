#include "core/resources.h"

#include "core/module1.h"
#include "platform/styleddocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace resources {

namespace {

const FlagFile s_flags[FlagFileCount] = {
    {"Quillo CMV Preferences", "KeepContMenuDisplayedTrue", "KeepContMenuDisplayedFalse",
     &Module1::KeepContextualMenuDisplayedP},
    {"Quillo DispA Preferences", "displayColorAlertTrue", "displayColorAlertFalse",
     &Module1::DisplayColorAlertP},
    {"Quillo SoundA Preferences", "DsplaySoundAlertTrue", "DisplaySoundAlertFalse",
     &Module1::DisplaySoundAlertP},
    {"PreferencesAScaleG", "DsplayScalingGuideTrue", "DsplayScalingGuideFalse",
     &Module1::AutoScalingGuideP},
    {"PageSetup Preferences", "DsplayPageSetupTrue", "DsplayPageSetupFalse",
     &Module1::AlwaysDisplayPageSetUpP},
    {"PreferencesSetASGtoLandscape", "SetASGtoLandscapeTrue", "SetASGtoLandscapeFalse",
     &Module1::ScaleForLandscapeMode},
};

constexpr auto HiddenList = ".hidden";

std::optional<Location> &current()
{
    static std::optional<Location> location;
    return location;
}

bool writable(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

void seed(const QString &folder, const QStringList &shippedDirs)
{
    for (const QString &dir : shippedDirs) {
        const QDir source(dir);
        if (!source.exists())
            continue;
        const QStringList names = source.entryList(QDir::Files);
        for (const QString &name : names) {
            const QString target = folder + QLatin1Char('/') + name;
            if (!QFileInfo::exists(target))
                QFile::copy(source.filePath(name), target);
        }
        return;
    }
}

} // namespace

Location locate(const QString &executableDir, const QString &dataHome,
                const QStringList &shippedDirs)
{
    const QString beside = executableDir + QLatin1Char('/') + QLatin1String(FolderName);
    if (writable(beside))
        return {beside, true, {}};

    const QString own = dataHome + QStringLiteral("/quillo/") + QLatin1String(FolderName);
    if (!QFileInfo::exists(own)) {
        if (!QDir().mkpath(own)) {
            return {own, false,
                    QStringLiteral("Quillo could not create its folder “%1”. Preferences, "
                                   "shortcuts and PrintBoards will not be kept.")
                        .arg(QDir::toNativeSeparators(own))};
        }
        seed(own, shippedDirs);
    }
    if (!writable(own)) {
        return {own, false,
                QStringLiteral("Quillo cannot write into its folder “%1”. Preferences, shortcuts "
                               "and PrintBoards will not be kept.")
                    .arg(QDir::toNativeSeparators(own))};
    }
    return {own, true, {}};
}

const Location &folder()
{
    auto &location = current();
    if (!location) {
        const QString appDir = QCoreApplication::applicationDirPath();
        location = locate(
            appDir, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
            {appDir + QStringLiteral("/../share/quillo"), QStringLiteral(QUILLO_SOURCE_RESOURCES)});
    }
    return *location;
}

void setFolder(const QString &path)
{
    current() = Location{path, writable(path), {}};
}

QString filePath(const QString &name)
{
    return folder().path + QLatin1Char('/') + name;
}

bool exists(const QString &name)
{
    return QFileInfo(filePath(name)).isFile();
}

std::optional<QString> readFirstLine(const QString &name)
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(MaxLineBytes);
    qsizetype end = 0;
    while (end < head.size() && head[end] != '\n' && head[end] != '\r')
        ++end;
    return QString::fromUtf8(head.left(end));
}

std::optional<QString> readAll(const QString &name, qint64 maxBytes)
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.read(maxBytes));
}

bool writeText(const QString &name, const QString &text, QString *error)
{
    QSaveFile file(filePath(name));
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("“%1” could not be written: %2").arg(name, file.errorString());
        return false;
    }
    return true;
}

bool remove(const QString &name)
{
    return QFile::remove(filePath(name));
}

bool markHidden(const QString &name, QString *error)
{
    QStringList hidden;
    if (const auto list = readAll(QLatin1String(HiddenList)))
        hidden = list->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (hidden.contains(name))
        return true;
    hidden << name;
    return writeText(QLatin1String(HiddenList), hidden.join(QLatin1Char('\n')) + QLatin1Char('\n'),
                     error);
}

bool isHidden(const QString &name)
{
    const auto list = readAll(QLatin1String(HiddenList));
    return list && list->split(QLatin1Char('\n')).contains(name);
}

QString keepAside(const QString &name)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = name + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(filePath(aside)); ++n)
        aside =
            name + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    return QFile::rename(filePath(name), filePath(aside)) ? aside : QString();
}

const FlagFile *flagFiles()
{
    return s_flags;
}

const FlagFile *flagFile(const char *name)
{
    for (const FlagFile &flag : s_flags) {
        if (qstrcmp(flag.name, name) == 0)
            return &flag;
    }
    return nullptr;
}

std::optional<bool> readFlag(const FlagFile &flag)
{
    const std::optional<QString> line = readFirstLine(QLatin1String(flag.name));
    if (!line)
        return std::nullopt;
    return line->compare(QLatin1String(flag.on), Qt::CaseInsensitive) == 0;
}

bool writeFlag(const FlagFile &flag, bool on, QString *error)
{
    return writeText(QLatin1String(flag.name),
                     QLatin1String(on ? flag.on : flag.off) + QLatin1Char('\n'), error);
}

LoadOutcome loadDocument(StyledDocument &doc, const QString &name)
{
    LoadOutcome outcome;
    if (!exists(name))
        return outcome;
    // An empty file is an empty board (what a board cleared in an earlier version left).
    if (QFileInfo(filePath(name)).size() == 0) {
        const bool readOnly = doc.isReadOnly();
        doc.setReadOnly(false);
        doc.setText(QString());
        doc.setReadOnly(readOnly);
        outcome.loaded = true;
        return outcome;
    }
    const bool readOnly = doc.isReadOnly();
    doc.setReadOnly(false);
    const StyledDocument::FileResult result = doc.loadFile(filePath(name), 0, doc.textLength());
    doc.setReadOnly(readOnly);
    outcome.loaded = result.ok;
    if (!result.ok) {
        outcome.problem = result.reason;
        outcome.keptAs = keepAside(name);
    }
    return outcome;
}

bool saveDocument(const StyledDocument &doc, const QString &name, QString *error)
{
    const StyledDocument::FileResult result = doc.saveFile(filePath(name));
    if (!result.ok && error)
        *error = result.reason;
    if (exists(name))
        markHidden(name);
    return result.ok;
}

QString files::projectName(int slot)
{
    return QStringLiteral("QLPB%1Name").arg(slot);
}

QString files::printBoard(int slot)
{
    return QStringLiteral("ProjectsPrintBoard%1").arg(slot);
}

} // namespace resources
