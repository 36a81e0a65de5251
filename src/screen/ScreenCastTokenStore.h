#pragma once

#include <QString>

// The restore token of the screen-cast permission: a file of its own in the
// configuration folder, so that the desktop does not ask again at the next start.
class ScreenCastTokenStore
{
public:
    // `folder`: the folder that holds the settings file.
    explicit ScreenCastTokenStore(const QString& folder);

    // The stored token; empty when there is none or it is unreadable.
    QString load() const;

    // Replaces the stored token, all or nothing; an empty token removes the file.
    bool save(const QString& token) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
