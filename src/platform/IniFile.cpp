#include "platform/IniFile.h"

#include "common/Blanks.h"
#include "common/WholeFile.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <utility>

namespace ini {
namespace {

// One line of the content: the text is [begin, end) without its line end (LF or
// CR LF); next is where the following line starts.
struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

Line lineAt(QByteArrayView content, qsizetype begin)
{
    const qsizetype lf = content.indexOf('\n', begin);
    if (lf < 0) {
        // The last line of a file cut after its CR reads as if the LF were there.
        const qsizetype size = content.size();
        const qsizetype end = (size > begin && content[size - 1] == '\r') ? size - 1 : size;
        return {begin, end, size};
    }
    const qsizetype end = (lf > begin && content[lf - 1] == '\r') ? lf - 1 : lf;
    return {begin, end, lf + 1};
}

// Space and tab only: other control bytes belong to the text.
QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blanks::isBlank(text[first])) {
        ++first;
    }
    while (last > first && blanks::isBlank(text[last - 1])) {
        --last;
    }
    return text.sliced(first, last - first);
}

bool isBlankLine(QByteArrayView text)
{
    return trimBlanks(text).isEmpty();
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names match without regard to ASCII letter case; other bytes match exactly.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// "[Name]" with blanks allowed around the name and the brackets.
std::optional<QByteArrayView> sectionName(QByteArrayView text)
{
    const QByteArrayView trimmed = trimBlanks(text);
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0) {
        return std::nullopt;
    }
    return trimBlanks(trimmed.sliced(1, close - 1));
}

// A "key=value" line: the key and where the value starts and ends, relative to the line.
struct Entry
{
    QByteArrayView key;
    qsizetype valueBegin = 0;  // after the "=" and the blanks that follow it
    qsizetype valueEnd = 0;
};

std::optional<Entry> entryOf(QByteArrayView text)
{
    const QByteArrayView trimmed = trimBlanks(text);
    if (trimmed.isEmpty() || trimmed.startsWith(';')) {
        return std::nullopt;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        return std::nullopt;
    }
    qsizetype valueBegin = equals + 1;
    while (valueBegin < text.size() && blanks::isBlank(text[valueBegin])) {
        ++valueBegin;
    }
    return Entry{trimBlanks(text.first(equals)), valueBegin, text.size()};
}

// A value enclosed in one pair of matching quotes loses them.
QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.sliced(1, value.size() - 2);
    }
    return value;
}

// What a scan of the first section called `section` found.
struct SectionScan
{
    bool found = false;
    qsizetype insertAt = -1;    // after the section's last non-blank line
    qsizetype valueBegin = -1;  // of the first entry called `key`, -1 when none
    qsizetype valueEnd = -1;
    bool lastLineBlank = true;  // of the whole content, when the section is missing
};

SectionScan scanSection(QByteArrayView content, QByteArrayView section, QByteArrayView key)
{
    SectionScan scan;
    for (qsizetype pos = 0; pos < content.size();) {
        const Line line = lineAt(content, pos);
        pos = line.next;
        const QByteArrayView text = content.sliced(line.begin, line.end - line.begin);
        if (const auto name = sectionName(text)) {
            if (scan.found) {
                return scan;  // the first section of that name is over
            }
            if (sameName(*name, section)) {
                scan.found = true;
                scan.insertAt = line.next;
            }
            scan.lastLineBlank = false;
            continue;
        }
        scan.lastLineBlank = isBlankLine(text);
        if (!scan.found) {
            continue;
        }
        if (!scan.lastLineBlank) {
            scan.insertAt = line.next;
        }
        const auto entry = entryOf(text);
        if (entry && sameName(entry->key, key)) {
            scan.valueBegin = line.begin + entry->valueBegin;
            scan.valueEnd = line.begin + entry->valueEnd;
            return scan;
        }
    }
    return scan;
}

// The line end the content already uses: that of its first line, CR LF when it has none.
QByteArrayView lineEndOf(QByteArrayView content)
{
    const qsizetype lf = content.indexOf('\n');
    if (lf < 0 || (lf > 0 && content[lf - 1] == '\r')) {
        return "\r\n";
    }
    return "\n";
}

// withValue on content whose every line, the last included, ends with `lineEnd`.
QByteArray withValueOnEndedLines(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                                 QByteArrayView value, QByteArrayView lineEnd)
{
    const SectionScan scan = scanSection(content, section, key);
    QByteArray result;
    result.reserve(content.size() + section.size() + key.size() + value.size() + 16);
    if (scan.valueBegin >= 0) {
        result.append(content.first(scan.valueBegin));
        result.append(value);
        result.append(content.sliced(scan.valueEnd));
    } else if (scan.found) {
        result.append(content.first(scan.insertAt));
        result.append(key).append('=').append(value).append(lineEnd);
        result.append(content.sliced(scan.insertAt));
    } else {
        result.append(content);
        if (!content.isEmpty() && !scan.lastLineBlank) {
            result.append(lineEnd);  // a blank line between sections
        }
        result.append('[').append(section).append(']').append(lineEnd);
        result.append(key).append('=').append(value).append(lineEnd);
    }
    return result;
}

}  // namespace

std::optional<QByteArray> findValue(QByteArrayView content, QByteArrayView section,
                                    QByteArrayView key)
{
    const SectionScan scan = scanSection(content, section, key);
    if (scan.valueBegin < 0) {
        return std::nullopt;
    }
    const QByteArrayView raw = content.sliced(scan.valueBegin, scan.valueEnd - scan.valueBegin);
    return unquoted(trimBlanks(raw)).toByteArray();
}

QByteArray withValue(QByteArrayView content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value)
{
    const QByteArrayView lineEnd = lineEndOf(content);
    // A file that ends without a line end is edited as if it had one, and keeps
    // ending without one.
    const bool unended = !content.isEmpty() && !content.endsWith('\n');
    if (!unended) {
        return withValueOnEndedLines(content, section, key, value, lineEnd);
    }
    QByteArray ended = content.toByteArray();
    ended.append(lineEnd);
    QByteArray result = withValueOnEndedLines(ended, section, key, value, lineEnd);
    result.chop(lineEnd.size());
    return result;
}

}  // namespace ini

namespace {

// The whole file, or nothing when it cannot be read.
std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return content;
}

}  // namespace

IniFile::IniFile(QString path) : m_path(std::move(path))
{
}

QString IniFile::read(QStringView section, QStringView key, const QString& defaultValue) const
{
    const auto content = readAll(m_path);
    if (!content) {
        return defaultValue;
    }
    const auto value =
        ini::findValue(*content, textcodec::toCp932(section), textcodec::toCp932(key));
    return value ? textcodec::decodeUtf8OrCp932(*value) : defaultValue;
}

bool IniFile::write(QStringView section, QStringView key, QStringView value)
{
    return write(section, {Entry{key, value}});
}

bool IniFile::write(QStringView section, std::initializer_list<Entry> entries)
{
    const bool exists = QFileInfo::exists(m_path);
    QByteArray content;
    if (exists) {
        auto existing = readAll(m_path);
        if (!existing) {
            return false;  // never replace a file we could not read
        }
        content = std::move(*existing);
    }
    const QByteArray sectionName = textcodec::toCp932(section);
    QByteArray updated = content;
    for (const auto& [key, value] : entries) {
        updated = ini::withValue(updated, sectionName, textcodec::toCp932(key),
                                 textcodec::toCp932(value));
    }
    if (exists && updated == content) {
        return true;
    }
    return wholefile::replace(m_path, updated) == QFileDevice::NoError;
}
