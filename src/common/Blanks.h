#pragma once

#include <QChar>

// Blanks between and around the values of settings, catalogues and numeric text:
// space and tab only; other control characters belong to the text.
namespace blanks {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

}  // namespace blanks
