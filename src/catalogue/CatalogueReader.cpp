#include "catalogue/CatalogueReader.h"

#include "common/Blanks.h"
#include "common/Numbers.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

// A catalogue is a few kilobytes; anything this large is not one.
constexpr qint64 kMaxCatalogueBytes = 4 * 1024 * 1024;
constexpr qsizetype kFieldsPerLine = 4;
// A message lists this many skipped lines by number, then how many more there are.
constexpr qsizetype kListedBadLines = 20;

bool isBlankLine(QStringView line)
{
    for (QChar c : line) {
        if (!blanks::isBlank(c)) {
            return false;
        }
    }
    return true;
}

QStringView withoutTrailingBlanks(QStringView text)
{
    while (!text.isEmpty() && blanks::isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// Splits one line into its comma-separated fields. Quotes enclose a field (""
// inside them is one quote) and never reach past the line; text after a closing
// quote is kept as written up to the comma, its trailing blanks dropped.
class FieldSplitter
{
public:
    explicit FieldSplitter(QStringView line) : m_line(line) {}

    QStringList split()
    {
        QStringList fields;
        do {
            fields.append(nextField());
        } while (takeComma());
        return fields;
    }

private:
    QString nextField()
    {
        while (m_pos < m_line.size() && blanks::isBlank(m_line[m_pos])) {
            ++m_pos;
        }
        QString field;
        if (m_pos < m_line.size() && m_line[m_pos] == u'"') {
            ++m_pos;
            field = quotedText();
        }
        field += withoutTrailingBlanks(textUpToComma());
        return field;
    }

    // The inside of a quoted field; m_pos is just past the opening quote.
    QString quotedText()
    {
        QString text;
        while (m_pos < m_line.size()) {
            const QChar c = m_line[m_pos++];
            if (c != u'"') {
                text += c;
            } else if (m_pos < m_line.size() && m_line[m_pos] == u'"') {
                text += c;
                ++m_pos;
            } else {
                break;
            }
        }
        return text;
    }

    QStringView textUpToComma()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_line.size() && m_line[m_pos] != u',') {
            ++m_pos;
        }
        return m_line.sliced(start, m_pos - start);
    }

    bool takeComma()
    {
        if (m_pos < m_line.size() && m_line[m_pos] == u',') {
            ++m_pos;
            return true;
        }
        return false;
    }

    QStringView m_line;
    qsizetype m_pos = 0;
};

// A whole decimal number from 1 to max.
std::optional<int> sizeValue(QStringView text, int max)
{
    const std::optional<int> value = numbers::wholeNumber(text);
    if (!value || *value < 1 || *value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<CatalogueEntry> entryFromFields(const QStringList& fields)
{
    if (fields.size() != kFieldsPerLine) {
        return std::nullopt;
    }
    const auto height = sizeValue(fields[1], CatalogueEntry::kMaxScreenPixels);
    const auto width = sizeValue(fields[2], CatalogueEntry::kMaxScreenPixels);
    const auto fileSize = sizeValue(fields[3], CatalogueEntry::kMaxFileSize);
    if (!height || !width || !fileSize) {
        return std::nullopt;
    }
    return CatalogueEntry{fields[0], *height, *width, *fileSize};
}

}  // namespace

CatalogueParse parseCatalogue(QByteArrayView bytes)
{
    const QString text = textcodec::decodeUtf8OrCp932(bytes);
    CatalogueParse parse;
    int lineNumber = 0;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        ++lineNumber;
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (isBlankLine(line)) {
            continue;
        }
        if (auto entry = entryFromFields(FieldSplitter(line).split())) {
            parse.entries.append(*std::move(entry));
        } else {
            parse.badLines.append(lineNumber);
        }
    }
    return parse;
}

CatalogueLoad loadCatalogueFile(const QString& path)
{
    CatalogueLoad load;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return load;
    }
    // Read one byte past the limit, so a file whose size is not known in advance
    // is refused just the same.
    const QByteArray bytes = file.read(kMaxCatalogueBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxCatalogueBytes) {
        return load;
    }
    load.opened = true;
    load.parse = parseCatalogue(bytes);
    return load;
}

QString catalogueProblemMessage(const QString& path, const CatalogueLoad& load)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!load.opened) {
        return QStringLiteral("機種一覧ファイル「%1」を開けませんでした。").arg(shownPath);
    }
    if (load.parse.badLines.isEmpty()) {
        return {};
    }
    const QList<int>& bad = load.parse.badLines;
    QStringList listed;
    for (int line : bad.first(std::min(bad.size(), kListedBadLines))) {
        listed.append(QString::number(line));
    }
    const qsizetype more = bad.size() - listed.size();
    const QString lines =
        more > 0
            ? QStringLiteral("%1行目と、ほかの%2行").arg(listed.join(u'、'), QString::number(more))
            : QStringLiteral("%1行目").arg(listed.join(u'、'));
    return QStringLiteral(
               "機種一覧ファイル「%1」の%2を読み飛ばしました。"
               "各行は「機種名,縦サイズ,横サイズ,サイズ上限」の4項目で、"
               "縦・横サイズは1～4096、サイズ上限は1～100000000の整数で書いてください。")
        .arg(shownPath, lines);
}
