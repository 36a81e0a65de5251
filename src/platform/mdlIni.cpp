#include "platform/mdlIni.h"

#include "platform/AppPaths.h"

#include <QFileInfo>
#include <utility>

namespace mdlIni {
namespace {

constexpr QStringView kFileName = u"data.ini";

// Folder and file name joined by exactly one "/" (no folder at all: the bare name).
QString joined(QString folder, QStringView name)
{
    if (folder.isEmpty()) {
        return name.toString();
    }
    while (folder.endsWith(u'/')) {
        folder.chop(1);
    }
    return folder.append(u'/').append(name);
}

}  // namespace

QString GetAppPath()
{
    return apppaths::programFolder();
}

QString chooseSettingsPath(const QString& programFolder, bool programFolderWritable,
                           const QString& userConfigFolder)
{
    return joined(programFolderWritable ? programFolder : userConfigFolder, kFileName);
}

QString settingsPath()
{
    const QString folder = GetAppPath();
    const QFileInfo existing(joined(folder, kFileName));
    const bool writable =
        apppaths::isWritableFolder(folder) && (!existing.exists() || existing.isWritable());
    // The configuration folder is only asked for (and so created) when it is needed.
    return writable ? chooseSettingsPath(folder, true, {})
                    : chooseSettingsPath(folder, false, apppaths::userConfigFolder());
}

}  // namespace mdlIni

SettingsFile::SettingsFile(QString path) : m_ini(std::move(path))
{
}

QString SettingsFile::ReadIni(QStringView section, QStringView key) const
{
    // The value came through a 255-character buffer: 254 characters and the terminator.
    constexpr qsizetype kMaxLength = 254;
    QString value = m_ini.read(section, key);
    if (value.size() > kMaxLength) {
        const bool cutsPair = value.at(kMaxLength - 1).isHighSurrogate();
        value.truncate(cutsPair ? kMaxLength - 1 : kMaxLength);
    }
    return value;
}

bool SettingsFile::WriteIni(QStringView section, QStringView key, QStringView value)
{
    return m_ini.write(section, key, value);
}

bool SettingsFile::WriteIni(QStringView section, std::initializer_list<IniFile::Entry> entries)
{
    return m_ini.write(section, entries);
}
