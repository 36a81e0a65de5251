#include "jpeg/DcTrellis.h"
#include "jpeg/Deringing.h"
#include "jpeg/JpegWriter.h"
#include "jpeg/Ssim.h"
#include "jpeg/Trellis.h"
#include "support/MagickPictures.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

using trellis::kNaturalOfZigzag;

// Sum of 2^-length over the symbols with a code: below 1 for a JPEG table, which
// keeps the all-ones code free.
double kraftSum(const trellis::Lengths& lengths)
{
    double sum = 0;
    for (const std::uint8_t length : lengths) {
        sum += length > 0 ? std::ldexp(1.0, -length) : 0.0;
    }
    return sum;
}

// The cost of given AC levels (natural order) counted directly from the run-length
// code: squared error in steps plus lambda times the bits.
double costOf(const float* coefficients, const std::uint16_t* steps, const std::int16_t* levels,
              const trellis::Lengths& ac, double lambda)
{
    double cost = 0;
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int n = kNaturalOfZigzag[static_cast<std::size_t>(k)];
        const double error = coefficients[n] / steps[n] - levels[n];
        cost += error * error;
        if (levels[n] == 0) {
            ++run;
            continue;
        }
        const int size = trellis::sizeCategory(levels[n]);
        cost += lambda * ((run / 16) * ac[0xf0] +
                          ac[static_cast<std::size_t>((run % 16) * 16 + size)] + size);
        run = 0;
    }
    return cost + (run > 0 ? lambda * ac[0] : 0.0);
}

}  // namespace

class TestTrellis : public QObject
{
    Q_OBJECT

private slots:
    // Optimal lengths limited to 16 bits, with room left for no all-ones code, even
    // for counts whose unlimited code is far longer (a Fibonacci-like spread).
    void huffmanLengthsAreValidAndFavourFrequentSymbols()
    {
        trellis::Counts counts{};
        std::int64_t a = 1;
        std::int64_t b = 1;
        for (int i = 0; i < 40; ++i) {
            counts[static_cast<std::size_t>(i)] = a;
            const std::int64_t next = a + b;
            a = b;
            b = next;
        }
        counts[200] = 7;
        const trellis::Lengths lengths = trellis::huffmanLengths(counts);
        QVERIFY(kraftSum(lengths) < 1.0);
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            QCOMPARE(lengths[i] > 0, counts[i] > 0);
            QVERIFY(lengths[i] <= 16);
        }
        QVERIFY(lengths[39] <= lengths[20]);
        QVERIFY(lengths[20] <= lengths[0]);

        trellis::Counts two{};
        two[0] = 5;
        two[1] = 5;
        const trellis::Lengths few = trellis::huffmanLengths(two);
        QVERIFY(kraftSum(few) < 1.0);
        QVERIFY(few[0] > 0 && few[1] > 0 && few[0] <= 2 && few[1] <= 2);

        const trellis::Lengths planned = trellis::planningLengths(two);
        QCOMPARE(planned[0], few[0]);
        QVERIFY(planned[0x31] > std::max(few[0], few[1]));  // unseen symbols cost more
    }

    // Without a price for bits the levels are the rounded coefficients; with one, no
    // other choice among the levels considered costs less than the one made (checked
    // against every combination on blocks with a few non-zero coefficients).
    void levelsCostNoMoreThanAnyAlternative()
    {
        std::mt19937 random(5);
        std::uniform_real_distribution<float> value(-4.0f, 4.0f);
        std::uniform_int_distribution<int> position(1, 63);
        trellis::Counts counts{};
        for (int i = 0; i < 256; ++i) {
            counts[static_cast<std::size_t>(i)] = 1 + (i * 37) % 101;
        }
        const trellis::Lengths ac = trellis::planningLengths(counts);
        std::uint16_t steps[64];
        for (int i = 0; i < 64; ++i) {
            steps[i] = static_cast<std::uint16_t>(4 + i);
        }
        for (int round = 0; round < 200; ++round) {
            float coefficients[64] = {};
            coefficients[0] = 37.0f;
            int chosen[4];
            for (int& k : chosen) {
                k = position(random);
                const int n = kNaturalOfZigzag[static_cast<std::size_t>(k)];
                coefficients[n] = value(random) * steps[n];
            }
            std::int16_t rounded[64];
            trellis::quantise(coefficients, steps, ac, 0.0, rounded);
            QCOMPARE(rounded[0], std::int16_t(9));
            for (int n = 1; n < 64; ++n) {
                QCOMPARE(rounded[n], std::int16_t(std::lround(coefficients[n] / steps[n])));
            }
            const double lambda = round % 2 == 0 ? 0.05 : 0.5;
            std::int16_t levels[64];
            trellis::quantise(coefficients, steps, ac, lambda, levels);
            // The AC levels alone, as a job beside the one choosing the DC levels takes
            // them: the same levels, the DC level left as it was.
            std::int16_t acOnly[64];
            acOnly[0] = -1234;
            trellis::quantiseAc(coefficients, steps, trellis::AcBits(ac), lambda, acOnly);
            QCOMPARE(acOnly[0], std::int16_t(-1234));
            QVERIFY(std::equal(levels + 1, levels + 64, acOnly + 1));
            const double found = costOf(coefficients, steps, levels, ac, lambda);
            // Every combination of rounded, one less in magnitude, or zero.
            double best = std::numeric_limits<double>::infinity();
            for (int combination = 0; combination < 81; ++combination) {
                std::int16_t trial[64];
                std::copy(rounded, rounded + 64, trial);
                int code = combination;
                for (const int k : chosen) {
                    const int n = kNaturalOfZigzag[static_cast<std::size_t>(k)];
                    const int option = code % 3;
                    code /= 3;
                    const int magnitude = std::abs(rounded[n]);
                    const int level = option == 0   ? magnitude
                                      : option == 1 ? std::max(magnitude - 1, 0)
                                                    : 0;
                    trial[n] = static_cast<std::int16_t>(rounded[n] < 0 ? -level : level);
                }
                best = std::min(best, costOf(coefficients, steps, trial, ac, lambda));
            }
            QVERIFY2(found <= best + 1e-9, qPrintable(QString::number(found - best)));
        }
    }

    // A block's AC symbols are those of its run-length code: a run of up to 15 zeros
    // and a size, sixteen zeros as 0xf0, an end of block unless the last level is set.
    void acSymbolsFollowTheRunLengthCode()
    {
        std::mt19937 random(11);
        std::uniform_int_distribution<int> level(-300, 300);
        for (int round = 0; round < 300; ++round) {
            std::int16_t levels[64] = {};
            const int setCount = round % 20;
            for (int i = 0; i < setCount; ++i) {
                levels[std::uniform_int_distribution<int>(0, 63)(random)] =
                    static_cast<std::int16_t>(level(random));
            }
            levels[63] = round % 7 == 0 ? std::int16_t(1) : levels[63];
            trellis::Counts expected{};
            int run = 0;
            for (int k = 1; k < 64; ++k) {
                const int n = kNaturalOfZigzag[static_cast<std::size_t>(k)];
                if (levels[n] == 0) {
                    ++run;
                    continue;
                }
                expected[0xf0] += run / 16;
                ++expected[static_cast<std::size_t>((run % 16) * 16 +
                                                    trellis::sizeCategory(levels[n]))];
                run = 0;
            }
            expected[0x00] += run > 0 ? 1 : 0;
            trellis::Counts counts{};
            trellis::countAc(levels, counts);
            QVERIFY2(counts == expected, qPrintable(QString::number(round)));
        }
    }

    // Along a chain of blocks, the DC levels cost no more than any other choice of the
    // levels either side of each coefficient, each difference priced by its code.
    void dcLevelsCostNoMoreThanAnyAlternative()
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> value(-6.0f, 6.0f);
        trellis::Counts counts{};
        for (std::size_t size = 0; size < 12; ++size) {
            counts[size] = static_cast<std::int64_t>(1 + (size * 13) % 17);
        }
        const trellis::Lengths dc = trellis::planningLengths(counts);
        constexpr int kBlocks = 10;
        const auto costOf = [&dc](const float* scaled, double lambda, const int* levels) {
            double cost = 0;
            for (int i = 0; i < kBlocks; ++i) {
                const int size = trellis::sizeCategory(levels[i] - (i > 0 ? levels[i - 1] : 0));
                const double error = static_cast<double>(scaled[i]) - levels[i];
                cost += error * error + lambda * (dc[static_cast<std::size_t>(size)] + size);
            }
            return cost;
        };
        for (int round = 0; round < 40; ++round) {
            float scaled[kBlocks];
            float drift = value(random);
            for (float& coefficient : scaled) {
                drift += value(random) / 4;  // neighbours near each other, as in a picture
                coefficient = drift;
            }
            const double lambda = round % 2 == 0 ? 0.05 : 0.6;
            std::int16_t chosen[kBlocks];
            std::vector<dctrellis::Link> chain;
            for (int i = 0; i < kBlocks; ++i) {
                chain.push_back({scaled[i], lambda, &chosen[i]});
            }
            dctrellis::quantise(chain, dc);
            int found[kBlocks];
            std::copy(chosen, chosen + kBlocks, found);
            double best = std::numeric_limits<double>::infinity();
            for (int mask = 0; mask < (1 << kBlocks); ++mask) {
                int trial[kBlocks];
                for (int i = 0; i < kBlocks; ++i) {
                    trial[i] = static_cast<int>(std::floor(scaled[i])) + ((mask >> i) & 1);
                }
                best = std::min(best, costOf(scaled, lambda, trial));
            }
            QVERIFY2(costOf(scaled, lambda, found) <= best + 1e-9,
                     qPrintable(QString::number(round)));
        }
    }

    // A small high-frequency coefficient alone in a block is not worth its bits; a
    // large low one is kept.
    void isolatedSmallLevelsAreDropped()
    {
        trellis::Counts counts{};
        counts.fill(10);
        const trellis::Lengths ac = trellis::planningLengths(counts);
        std::uint16_t steps[64];
        std::fill(steps, steps + 64, std::uint16_t(10));
        float coefficients[64] = {};
        coefficients[1] = 80.0f;
        coefficients[63] = 7.0f;
        std::int16_t levels[64];
        trellis::quantise(coefficients, steps, ac, 0.1, levels);
        QCOMPARE(levels[1], std::int16_t(8));
        QCOMPARE(levels[63], std::int16_t(0));
        trellis::quantise(coefficients, steps, ac, 0.0, levels);
        QCOMPARE(levels[63], std::int16_t(1));
    }

    // White after an edge rising from dark text: the white samples rise above the range (a decoder
    // clamps them back to white), the others stay, and the block has less high-frequency energy.
    void whiteBesideDarkOvershootsSmoothly()
    {
        float samples[64];
        for (int i = 0; i < 64; ++i) {
            samples[i] = i % 8 < 3 ? -100.0f + 80.0f * static_cast<float>(i % 8) : 127.0f;
        }
        const auto highEnergy = [](const float* block) {
            double energy = 0;
            for (int v = 0; v < 8; ++v) {
                for (int u = 4; u < 8; ++u) {
                    double sum = 0;
                    for (int y = 0; y < 8; ++y) {
                        for (int x = 0; x < 8; ++x) {
                            sum += block[y * 8 + x] * std::cos((2 * x + 1) * u * M_PI / 16) *
                                   std::cos((2 * y + 1) * v * M_PI / 16);
                        }
                    }
                    energy += sum * sum;
                }
            }
            return energy;
        };
        float before[64];
        std::copy(samples, samples + 64, before);
        deringing::block(samples);
        for (int i = 0; i < 64; ++i) {
            QVERIFY(before[i] < 127.0f ? samples[i] == before[i] : samples[i] >= 127.0f);
        }
        QVERIFY(*std::max_element(samples, samples + 64) > 127.0f);
        QVERIFY(highEnergy(samples) < highEnergy(before) * 0.9);
        float white[64];
        std::fill(white, white + 64, 127.0f);
        deringing::block(white);
        QVERIFY(std::all_of(white, white + 64, [](float v) { return v == 127.0f; }));
    }

    // Beside text on white the overshoot is settled, not a few steps on the way to it:
    // deringing its own result again moves no sample, for an edge and for lines.
    void overshootBesideTextIsSettled()
    {
        float edge[64];
        float lines[64];
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8;
            const int y = i / 8;
            edge[i] = x < 3 ? -100.0f + 80.0f * static_cast<float>(x) : 127.0f;
            lines[i] = (y == 2 || y == 5) && x > 1 ? -90.0f : 127.0f;
        }
        for (float* samples : {edge, lines}) {
            deringing::block(samples);
            float again[64];
            std::copy(samples, samples + 64, again);
            deringing::block(again);
            for (int i = 0; i < 64; ++i) {
                QVERIFY2(std::fabs(again[i] - samples[i]) < 1.0f,
                         qPrintable(
                             QStringLiteral("%1: %2 -> %3").arg(i).arg(samples[i]).arg(again[i])));
            }
        }
    }

    // Blocks deringed side by side come out exactly as each alone, however many there
    // are and whatever their mix of samples at the ends of the range.
    void blocksSideBySideMatchEachAlone()
    {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> middle(-127.0f, 126.0f);
        std::uniform_int_distribution<int> kind(0, 9);
        for (int round = 0; round < 40; ++round) {
            const int count = 1 + round % deringing::kSideBySide;
            float together[deringing::kSideBySide][64];
            float alone[deringing::kSideBySide][64];
            float* samples[deringing::kSideBySide];
            for (int b = 0; b < count; ++b) {
                const int ends = 1 + (round + b) % 8;  // in ten: how many sit at an end
                for (float& sample : together[b]) {
                    const int k = kind(random);
                    sample = k < ends ? (k % 2 == 0 ? 127.0f : -128.0f) : middle(random);
                }
                together[b][0] = 0.0f;  // never all at the ends
                std::copy_n(together[b], 64, alone[b]);
                deringing::block(alone[b]);
                samples[b] = together[b];
            }
            deringing::blocks(samples, count);
            for (int b = 0; b < count; ++b) {
                QVERIFY(std::equal(alone[b], alone[b] + 64, together[b]));
            }
        }
    }

    // Whole files: baseline frames with 8-bit tables at every quality, smaller than
    // rounding at the same quality for nearly the same picture (quality 1 aside,
    // where giving up detail for the smallest file is the point).
    void filesAreBaselineAndSmallerThanRounded()
    {
        const QImage picture = magickPicture(QStringLiteral("wizard:"), QSize(240, 320));
        QVERIFY(!picture.isNull());
        for (const int quality : {1, 30, 75, 100}) {
            const QByteArray file = jpegwriter::encode(picture, quality, {}).value();
            const QByteArray rounded =
                jpegwriter::encode(picture, quality, {false, false, false}).value();
            QVERIFY(file.contains("\xff\xc0"));
            QVERIFY(!file.contains("\xff\xc1") && !file.contains("\xff\xc2"));
            const qsizetype dqt = file.indexOf("\xff\xdb");
            QCOMPARE(uchar(file[dqt + 4]) >> 4, 0);       // luma table: 8-bit entries
            QCOMPARE(uchar(file[dqt + 4 + 65]) >> 4, 0);  // chroma table
            QVERIFY2(file.size() < rounded.size(), qPrintable(QString::number(quality)));
            const QImage back = QImage::fromData(file, "JPEG");
            const double loss =
                ssim::luma(picture, QImage::fromData(rounded, "JPEG")) - ssim::luma(picture, back);
            QVERIFY2(quality == 1 || loss < 0.01, qPrintable(QString::number(loss)));
        }
    }

    // An encoder that keeps the last transform gives a fresh encode's bytes, also after
    // the picture was changed in place and for either chroma choice.
    void keptTransformsFollowThePicture()
    {
        // Neither side a multiple of 16: the 4:4:4 layout, whose luma is taken from
        // the 4:2:0 transform, has fewer rows and columns of blocks.
        QImage picture = magickPicture(QStringLiteral("logo:"), QSize(115, 83));
        QVERIFY(!picture.isNull());
        jpegwriter::PictureEncoder encoder;
        for (int round = 0; round < 2; ++round) {
            for (const bool full : {false, true}) {
                const jpegwriter::Options options{false, full, true};
                QCOMPARE(encoder.encode(picture, 60, options).value(),
                         jpegwriter::encode(picture, 60, options).value());
            }
            picture.setPixel(5, 5, qRgb(255, 0, 0));
        }
    }

    // Encoders that share transforms: the next one takes the picture's transform as it
    // is (the 4:4:4 one taking its luma from the kept 4:2:0 one) and makes the same
    // files; a changed picture is transformed afresh.
    void sharedTransformsServeTheNextEncoder()
    {
        QImage picture = magickPicture(QStringLiteral("logo:"), QSize(115, 83));
        QVERIFY(!picture.isNull());
        const auto shared = std::make_shared<jpegwriter::SharedTransforms>();
        for (const bool full : {false, true}) {
            const jpegwriter::Options options{false, full, true};
            const QByteArray first =
                jpegwriter::PictureEncoder(shared).encode(picture, 60, options).value();
            QCOMPARE(first, jpegwriter::encode(picture, 60, options).value());
            const int kept = shared->kept();
            QCOMPARE(jpegwriter::PictureEncoder(shared).encode(picture, 60, options).value(),
                     first);
            QCOMPARE(shared->kept(), kept);
        }
        picture.setPixel(5, 5, qRgb(255, 0, 0));
        const int kept = shared->kept();
        QCOMPARE(jpegwriter::PictureEncoder(shared).encode(picture, 60, {}).value(),
                 jpegwriter::encode(picture, 60, {}).value());
        QCOMPARE(shared->kept(), kept + 1);
    }
};

QTEST_MAIN(TestTrellis)
#include "test_trellis.moc"
