#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder with a dll/ folder for catalogue files.
class CatalogueFolder
{
public:
    CatalogueFolder() { QDir(m_dir.path()).mkpath(QStringLiteral("dll")); }

    // The folder, ending with "/".
    QString path() const { return m_dir.path() + u'/'; }
    QString settingsPath() const { return path() + QStringLiteral("data.ini"); }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        QFile file(path() + relative);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
    }
    QByteArray read(const QString& relative) const
    {
        QFile file(path() + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};
