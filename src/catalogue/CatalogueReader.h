#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// One model line of a carrier's catalogue: the name as written, the sizes as
// numbers inside the ranges below.
struct CatalogueEntry
{
    QString modelName;
    int height = 0;    // screen height in pixels
    int width = 0;     // screen width in pixels
    int fileSize = 0;  // largest accepted file in bytes

    // What a phone can be: a screen of 1 to 4096 pixels each way, a limit from
    // 1 byte to 100 MB. Larger values would overflow the window arithmetic or
    // ask for pictures no screen can show.
    static constexpr int kMaxScreenPixels = 4096;
    static constexpr int kMaxFileSize = 100'000'000;

    friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

// What a catalogue file yields: the good lines in file order, and the numbers
// (from 1) of the lines that were skipped because they do not hold exactly four
// fields with whole decimal numbers inside their ranges in the last three.
struct CatalogueParse
{
    QList<CatalogueEntry> entries;
    QList<int> badLines;
};

// Reads catalogue text: UTF-8 or CP932, CR LF or LF, fields separated by commas,
// a field may be enclosed in double quotes (which may hold commas), blanks around
// a field are not part of it, blank lines are ignored.
CatalogueParse parseCatalogue(QByteArrayView bytes);

struct CatalogueLoad
{
    bool opened = false;  // false: the file is missing or could not be read
    CatalogueParse parse;
};

CatalogueLoad loadCatalogueFile(const QString& path);

// The message for the user about a load that went wrong (naming the file and the
// first of the skipped lines, then how many more); empty when the load was clean.
QString catalogueProblemMessage(const QString& path, const CatalogueLoad& load);
