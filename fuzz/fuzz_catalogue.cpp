// Arbitrary bytes into the catalogue reader: it must not crash, every entry it
// keeps must carry sizes inside their ranges, it cannot report more lines than it
// read, and its message stays short however many lines are bad.
#include "catalogue/CatalogueReader.h"

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool within(int value, int max)
{
    return value >= 1 && value <= max;
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
        check(within(e.height, CatalogueEntry::kMaxScreenPixels) &&
              within(e.width, CatalogueEntry::kMaxScreenPixels) &&
              within(e.fileSize, CatalogueEntry::kMaxFileSize));
    }
    check(parse.entries.size() + parse.badLines.size() <= lines);
    int previous = 0;
    for (int line : parse.badLines) {
        check(line > previous && line <= lines);
        previous = line;
    }
    CatalogueLoad load;
    load.opened = true;
    load.parse = parse;
    // The file name, the fixed text and at most twenty line numbers and a count.
    check(catalogueProblemMessage(QStringLiteral("a.csv"), load).size() < 400);
    return 0;
}
