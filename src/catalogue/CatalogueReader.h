#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// One model line of a carrier's catalogue, its four texts kept as written.
struct CatalogueEntry
{
    QString modelName;
    QString height;    // screen height in pixels
    QString width;     // screen width in pixels
    QString fileSize;  // largest accepted file in bytes

    friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

// What a catalogue file yields: the good lines in file order, and the numbers
// (from 1) of the lines that were skipped because they do not hold exactly four
// fields with whole decimal numbers in the last three.
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

// The message for the user about a load that went wrong (naming the file and any
// skipped lines); empty when the load was clean.
QString catalogueProblemMessage(const QString& path, const CatalogueLoad& load);
