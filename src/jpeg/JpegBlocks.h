#pragma once

#include <QImage>
#include <array>
#include <vector>

// A picture as the JPEG encoder sees it before quantisation: its components (grey,
// or Y, Cb and Cr with the chroma at half or full resolution), each cut into 8 × 8
// blocks that are transformed by the forward DCT. Blocks are laid out over whole
// MCUs, the samples beyond the picture's edge repeating its last row and column.
namespace jpegblocks {

using Block = std::array<float, 64>;  // coefficients in natural (row-major) order

struct Component
{
    int hSampling = 1;  // sampling factors as the frame header gives them
    int vSampling = 1;
    int widthInBlocks = 0;  // blocks that hold the picture's samples
    int heightInBlocks = 0;
    int blocksPerRow = 0;  // blocks in the arrays, whole MCUs
    int blockRows = 0;
    std::vector<Block> blocks;        // blockRows × blocksPerRow
    std::vector<double> lambdaScale;  // each block's trellis::lambdaScale

    const Block& at(int row, int column) const
    {
        return blocks[static_cast<std::size_t>(row * blocksPerRow + column)];
    }
};

struct Picture
{
    int width = 0;
    int height = 0;
    bool grey = false;
    std::vector<Component> components;  // one for grey, else Y, Cb, Cr
};

// The DCT blocks of `image`: one component when it is in Format_Grayscale8, else
// Y, Cb and Cr of its RGB32 pixels with chroma averaged over 2 × 2 pixels unless
// `fullChroma`. `sameLuma`, the luma of the 4:2:0 transform of the same picture,
// saves the 4:4:4 transform its luma (the blocks are the same).
Picture transform(const QImage& image, bool fullChroma, const Component* sameLuma = nullptr);

}  // namespace jpegblocks
