#pragma once

// The PNG codec, as the rest of the program uses it:
// - the writer of the exact colour type at a level: pngwriter (PngWriter.h);
// - the palette reduction to 256 colours or fewer: palettepng (PalettePng.h);
// - the reader: pngreader (PngReader.h).
// Its stages are the files beside this one: the colour type and pixel rows
// (PngPixels), the row filters and their trial (RowFilters, PngFilters), the chunks
// over libdeflate (PngChunks).
#include "png/PalettePng.h"
#include "png/PngReader.h"
#include "png/PngWriter.h"
