// Arbitrary bytes into the catalogue reader: it must not crash, every entry it
// keeps must carry digit-only sizes, and it cannot report more lines than it read.
#include "catalogue/CatalogueReader.h"

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool isDigitsOnly(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Neither UTF-8 nor CP932 can turn other bytes into a line feed, so the
    // decoded text has at most this many lines.
    const qsizetype lines = bytes.count('\n') + 1;
    const CatalogueParse parse = parseCatalogue(bytes);

    for (const CatalogueEntry& e : parse.entries) {
        check(isDigitsOnly(e.height) && isDigitsOnly(e.width) && isDigitsOnly(e.fileSize));
    }
    check(parse.entries.size() + parse.badLines.size() <= lines);
    int previous = 0;
    for (int line : parse.badLines) {
        check(line > previous && line <= lines);
        previous = line;
    }
    return 0;
}
