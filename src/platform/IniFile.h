#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <initializer_list>
#include <optional>
#include <utility>

// An INI file read and written the way the Windows private-profile functions do:
// section and key matched without regard to letter case, the value is the text
// after the first "=", a missing file, section or key reads as the default, a
// write creates what is missing and replaces an existing value in place, and
// every other line of the file is kept byte for byte.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value, or defaultValue when the file, section or key is missing or the
    // file cannot be read.
    QString read(QStringView section, QStringView key, const QString& defaultValue = {}) const;

    // A key and the value to give it.
    using Entry = std::pair<QStringView, QStringView>;

    // Sets one value. The file is replaced all or nothing; false when it could not be written.
    bool write(QStringView section, QStringView key, QStringView value);
    // Sets several values of one section with a single replacement of the file: either
    // all of them are written or none.
    bool write(QStringView section, std::initializer_list<Entry> entries);

private:
    QString m_path;
};

// The same behaviour on file contents, without a file.
namespace ini {

// The raw value bytes of key in section, nothing when section or key is missing.
std::optional<QByteArray> findValue(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key);

// The content with key in section set to value.
QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

}  // namespace ini
