#pragma once

#include "platform/IniFile.h"

#include <QString>
#include <QStringView>

// The settings file data.ini.
namespace mdlIni {

// The program folder, ending with "/".
QString GetAppPath();

// data.ini in the program folder when that folder is writable, else in the
// user's configuration folder.
QString chooseSettingsPath(const QString& programFolder, bool programFolderWritable,
                           const QString& userConfigFolder);

// chooseSettingsPath for this program on this machine.
QString settingsPath();

}  // namespace mdlIni

// Reads and writes values of data.ini.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    const QString& path() const { return m_ini.path(); }

    // The stored value, at most 254 characters; empty when missing.
    QString ReadIni(QStringView section, QStringView key) const;

    // Writes one value; false when the file could not be written (nobody has to look).
    bool WriteIni(QStringView section, QStringView key, QStringView value);
    // Writes several values of one section, all or none.
    bool WriteIni(QStringView section, std::initializer_list<IniFile::Entry> entries);

private:
    IniFile m_ini;
};
