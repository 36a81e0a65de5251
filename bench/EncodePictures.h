#pragma once

// The pictures the encoder benchmarks run on, in three classes at any size:
//   screen  a Qt window with Japanese texts and controls as Qt draws it, and a
//           synthetic page of anti-aliased text on panels;
//   drawing ImageMagick's built-in "wizard:" and "logo:";
//   photo   ImageMagick's built-in "rose:" and synthetic smooth shapes with sensor noise.
#include <QCheckBox>
#include <QColorSpace>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace benchpictures {

// Smooth random shapes at three scales plus a little sensor noise.
inline QImage photoLike(int width, int height)
{
    std::mt19937 random(11);
    QImage image(width, height, QImage::Format_RGB32);
    std::array<std::array<int, 64>, 3> grids{};
    for (auto& grid : grids) {
        for (int& v : grid)
            v = static_cast<int>(random() % 256);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int channel[3] = {};
            for (int c = 0; c < 3; ++c) {
                const int cell = 24 << c;  // bilinear in an 8 x 8 grid of that cell size
                const int gx = x / cell % 7, gy = y / cell % 7, fx = x % cell, fy = y % cell;
                const auto& g = grids[static_cast<size_t>(c)];
                const auto at = [&g](int i) { return g[static_cast<size_t>(i)]; };
                const int top = at(gy * 8 + gx) * (cell - fx) + at(gy * 8 + gx + 1) * fx;
                const int bottom = at(gy * 8 + 8 + gx) * (cell - fx) + at(gy * 8 + 9 + gx) * fx;
                channel[c] = (top * (cell - fy) + bottom * fy) / (cell * cell);
            }
            const int noise = static_cast<int>(random() % 7) - 3;
            image.setPixel(x, y,
                           qRgb(qBound(0, channel[0] + noise, 255),
                                qBound(0, (channel[1] + channel[0]) / 2 + noise, 255),
                                qBound(0, channel[2] + noise, 255)));
        }
    }
    return image;
}

// White panels on grey with lines of anti-aliased "words" from a small font of strokes.
inline QImage screenLike(int width, int height)
{
    std::mt19937 random(7);
    std::array<std::array<int, 7 * 12>, 40> font{};
    for (auto& glyph : font) {
        std::array<bool, 28 * 48> fine{};  // strokes drawn four times finer, then averaged
        for (int s = 0; s < 3; ++s) {
            const int x0 = static_cast<int>(random() % 24), y0 = static_cast<int>(random() % 36);
            const int x1 = static_cast<int>(random() % 24), y1 = static_cast<int>(random() % 36);
            for (int t = 0; t <= 32; ++t) {
                for (int d = 0; d < 9; ++d) {
                    fine[static_cast<size_t>((y0 + (y1 - y0) * t / 32 + 4 + d / 3) * 28 + x0 +
                                             (x1 - x0) * t / 32 + 1 + d % 3)] = true;
                }
            }
        }
        for (int i = 0; i < 28 * 48; ++i) {
            glyph[static_cast<size_t>(i / 28 / 4 * 7 + i % 28 / 4)] += fine[static_cast<size_t>(i)];
        }
    }
    std::array<std::array<int, 6>, 50> words{};
    for (auto& word : words) {
        for (int& c : word)
            c = static_cast<int>(random() % (font.size() + 8));  // some blanks
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(239, 239, 239));
    for (int top = 30; top + 40 < height; top += 150) {
        const int bottom = qMin(height - 6, top + 140);
        for (int y = top; y < bottom; ++y) {
            for (int x = 6; x < width - 6; ++x) {
                const bool border = y == top || y == bottom - 1 || x == 6 || x == width - 7;
                image.setPixel(x, y, border ? qRgb(160, 160, 160) : qRgb(255, 255, 255));
            }
        }
        for (int line = top + 5; line + 12 < bottom - 3; line += 17) {
            for (int x = 12; x + 6 * 7 < width - 12; x += 5) {
                for (int c : words[random() % words.size()]) {
                    for (int i = 0; c < static_cast<int>(font.size()) && i < 7 * 12; ++i) {
                        const int v =
                            255 - font[static_cast<size_t>(c)][static_cast<size_t>(i)] * 235 / 16;
                        image.setPixel(x + i % 7, line + i / 7, qRgb(v, v, qMin(255, v + 8)));
                    }
                    x += 7;
                }
            }
        }
    }
    return image;
}

// An ImageMagick built-in picture stretched to the size; null without ImageMagick.
inline QImage magick(const char* name, int width, int height)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"),
                  {QString::fromLatin1(name), QStringLiteral("-resize"),
                   QStringLiteral("%1x%2!").arg(width).arg(height), QStringLiteral("png:-")});
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
        return {};
    }
    QImage picture = QImage::fromData(convert.readAllStandardOutput(), "PNG")
                         .convertToFormat(QImage::Format_RGB32);
    picture.setColorSpace(QColorSpace());
    return picture;
}

// A window of the kind users capture: labels, fields, lists, buttons, Japanese text,
// drawn by Qt at the size. Needs a QApplication.
inline QImage qtWindow(int width, int height)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (int i = 0; i < height / 90; ++i) {
        layout->addWidget(new QLabel(
            QStringLiteral("現在の設定でのファイルサイズは %1 KByte です").arg(i * 3.7), &window));
        layout->addWidget(new QLineEdit(QStringLiteral("待ち受け画像 %1 番").arg(i), &window));
        auto* list = new QComboBox(&window);
        list->addItems({QStringLiteral("標準"), QStringLiteral("高画質")});
        layout->addWidget(list);
        layout->addWidget(new QCheckBox(QStringLiteral("減色する(256色以下)"), &window));
        auto* slider = new QSlider(Qt::Horizontal, &window);
        slider->setValue(i * 9 % 100);
        layout->addWidget(slider);
        layout->addWidget(new QPushButton(QStringLiteral(" JPEGで保存"), &window));
    }
    layout->addStretch();
    window.resize(width, height);
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32).scaled(width, height);
}

struct Picture
{
    std::string name;  // class/source/WxH
    QImage image;
    QImage grey;  // the same in grey
};

inline std::vector<Picture> all()
{
    std::vector<Picture> pictures;
    for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 854}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        pictures.push_back({"screen/qt/" + size, qtWindow(width, height), {}});
        pictures.push_back({"screen/text/" + size, screenLike(width, height), {}});
        pictures.push_back({"drawing/wizard/" + size, magick("wizard:", width, height), {}});
        pictures.push_back({"drawing/logo/" + size, magick("logo:", width, height), {}});
        pictures.push_back({"photo/rose/" + size, magick("rose:", width, height), {}});
        pictures.push_back({"photo/shapes/" + size, photoLike(width, height), {}});
    }
    for (Picture& picture : pictures) {
        picture.grey = picture.image.convertToFormat(QImage::Format_Grayscale8)
                           .convertToFormat(QImage::Format_RGB32);
    }
    return pictures;
}

}  // namespace benchpictures
