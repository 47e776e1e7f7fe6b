#include "LargeBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <malloc.h>

namespace {

constexpr std::size_t kHuge = std::size_t(2) << 20;
// What the C library's allocator adds to a request it serves with a mapping of its own: the
// chunk header and the rounding of the request to 16 bytes.
constexpr std::size_t kAllocatorOverhead = 32;
#ifdef MADV_COLLAPSE
constexpr int kCollapse = MADV_COLLAPSE;
#else
constexpr int kCollapse = 25;   // Linux 6.1; an older kernel refuses it, which is harmless
#endif

std::size_t PageSize()
{
    static const std::size_t size = [] {
        const long page = sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<std::size_t>(page) : std::size_t(4096);
    }();
    return size;
}

}   // namespace

void AdviseHugePages(void* p, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    if (!p || bytes < kHuge)
        return;
    // The whole pages the buffer touches: the allocator's header shares the first with it, and
    // advising the mapping whole keeps it one region that can hold huge pages from its start.
    const std::uintptr_t page = PageSize();
    const auto begin = reinterpret_cast<std::uintptr_t>(p) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + bytes + page - 1) & ~(page - 1);
    (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // The allocator wrote its header into the first page before the advice, and a huge page is
    // then no longer made there at the first touch; collapsing that one page into it now costs
    // no more than the touch would.
    if (begin % kHuge == 0 && end - begin >= kHuge)
        (void)madvise(reinterpret_cast<void*>(begin), kHuge, kCollapse);
#else
    (void)p;
    (void)bytes;
#endif
}

std::size_t LargeRequestBytes(std::size_t bytes)
{
    if (bytes < kHuge)
        return bytes;
    const std::size_t whole = (bytes + kAllocatorOverhead + kHuge - 1) / kHuge * kHuge;
    return whole - kAllocatorOverhead;
}

LargeBlock::~LargeBlock()
{
    release();
}

void* LargeBlock::reserve(std::size_t bytes)
{
    if (bytes <= bytes_)
        return data_;
    release();
    const std::size_t mapped = bytes < kHuge ? (bytes + PageSize() - 1) / PageSize() * PageSize()
                                             : (bytes + kHuge - 1) / kHuge * kHuge;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    AdviseHugePages(p, mapped);
    data_ = p;
    bytes_ = mapped;
    return data_;
}

void LargeBlock::release()
{
    if (data_)
        (void)munmap(data_, bytes_);
    data_ = nullptr;
    bytes_ = 0;
}

void MapLargeAllocations()
{
#ifdef M_MMAP_THRESHOLD
    (void)mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHuge));
#endif
}
