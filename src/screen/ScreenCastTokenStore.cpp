#include "screen/ScreenCastTokenStore.h"

#include "common/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>

namespace {

constexpr auto kFileName = "screencast-token";
constexpr qint64 kLongestToken = 512;

// A token is what the portal hands out: printable ASCII, no line breaks.
bool isPlausibleToken(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > kLongestToken) {
        return false;
    }
    for (const char c : text) {
        if (c < 0x21 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

}  // namespace

ScreenCastTokenStore::ScreenCastTokenStore(const QString& folder)
    : m_path(QDir(folder).filePath(QString::fromLatin1(kFileName)))
{
}

QString ScreenCastTokenStore::load() const
{
    // Opened without waiting, then read only when it is a plain file: a FIFO or a
    // device at the path would otherwise hold the program at the next capture.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    struct stat status = {};
    QFile file;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    const QByteArray text = file.read(kLongestToken + 1).trimmed();
    return isPlausibleToken(text) ? QString::fromLatin1(text) : QString();
}

bool ScreenCastTokenStore::save(const QString& token) const
{
    if (token.isEmpty()) {
        return !QFile::exists(m_path) || QFile::remove(m_path);
    }
    const QByteArray text = token.toLatin1();
    if (!isPlausibleToken(text)) {
        return false;
    }
    // The token opens the screen without asking: for the user alone.
    return wholefile::replace(m_path, text + '\n', wholefile::Sync::ToDisk,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner) ==
           QFileDevice::NoError;
}
