// Feeds arbitrary bytes to the INI reader and writer. The input is
// "section NUL key NUL value NUL content"; with fewer than three NULs it is all
// content, edited under fixed names. For well-formed names and values, a value
// written must read back (under any ASCII letter case), and writing it again
// must change nothing.
#include "platform/IniFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool hasLineBreakOrNul(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

bool hasBlankEnds(QByteArrayView text)
{
    return !text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()));
}

bool isWellFormedSection(QByteArrayView section)
{
    return !section.isEmpty() && !hasLineBreakOrNul(section) && !section.contains(']') &&
           !hasBlankEnds(section);
}

// A key starting with ";" would be a comment and one starting with "[" a section.
bool isWellFormedKey(QByteArrayView key)
{
    return !key.isEmpty() && !hasLineBreakOrNul(key) && !key.contains('=') && !hasBlankEnds(key) &&
           key.front() != ';' && key.front() != '[';
}

bool isWellFormedValue(QByteArrayView value)
{
    return !hasLineBreakOrNul(value) && !hasBlankEnds(value) &&
           (value.isEmpty() || (!isQuote(value.front()) && !isQuote(value.back())));
}

QByteArray flippedCase(QByteArrayView text)
{
    QByteArray flipped = text.toByteArray();
    for (char& c : flipped) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return flipped;
}

struct Input
{
    QByteArrayView section = "Size";
    QByteArrayView key = "Maker";
    QByteArrayView value = "docomo";
    QByteArrayView content;
};

Input split(QByteArrayView data)
{
    const qsizetype first = data.indexOf('\0');
    const qsizetype second = first < 0 ? -1 : data.indexOf('\0', first + 1);
    const qsizetype third = second < 0 ? -1 : data.indexOf('\0', second + 1);
    if (third < 0) {
        return Input{.content = data};
    }
    return Input{data.first(first), data.sliced(first + 1, second - first - 1),
                 data.sliced(second + 1, third - second - 1), data.sliced(third + 1)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Input in = split(QByteArrayView(data, static_cast<qsizetype>(size)));
    (void)ini::findValue(in.content, in.section, in.key);
    const QByteArray written = ini::withValue(in.content, in.section, in.key, in.value);
    if (!isWellFormedSection(in.section) || !isWellFormedKey(in.key) ||
        !isWellFormedValue(in.value)) {
        return 0;
    }
    const auto readBack = ini::findValue(written, in.section, in.key);
    if (!readBack || *readBack != in.value) {
        abort();
    }
    const auto readBackOtherCase =
        ini::findValue(written, flippedCase(in.section), flippedCase(in.key));
    if (!readBackOtherCase || *readBackOtherCase != in.value) {
        abort();
    }
    if (ini::withValue(written, in.section, in.key, in.value) != written) {
        abort();
    }
    return 0;
}
