#include "platform/HeapTuning.h"

#include <sys/resource.h>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Takes `count` blocks of `bytes`, writes every page of them and frees them all at
// once, as an encode frees its planes and blocks; the page faults that took.
long faultsOfOneRound(int count, std::size_t bytes)
{
    const long before = minorFaults();
    std::vector<void*> blocks;
    for (int i = 0; i < count; ++i) {
        blocks.push_back(std::malloc(bytes));
        std::memset(blocks.back(), i, bytes);
    }
    for (void* block : blocks) {
        std::free(block);
    }
    return minorFaults() - before;
}

}  // namespace

class TestHeapTuning : public QObject
{
    Q_OBJECT

private slots:
    void freedPicturesMemoryIsTakenAgainWithoutNewPages()
    {
#if !defined(__GLIBC__)
        QSKIP("only glibc's heap is tuned");
#endif
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer keeps a heap of its own");
#endif
        heaptuning::keepFreedMemory();
        // 24 MiB in blocks of 1 MiB: by default glibc maps such blocks on their own, or
        // trims them off the heap's top once freed, and every round faults in fresh pages.
        constexpr int kBlocks = 24;
        constexpr std::size_t kBytes = std::size_t{1} << 20;
        faultsOfOneRound(kBlocks, kBytes);
        faultsOfOneRound(kBlocks, kBytes);
        const long pages = static_cast<long>(kBlocks * kBytes / 4096);
        QCOMPARE_LT(faultsOfOneRound(kBlocks, kBytes), pages / 10);
    }
};

QTEST_GUILESS_MAIN(TestHeapTuning)
#include "test_heap_tuning.moc"
