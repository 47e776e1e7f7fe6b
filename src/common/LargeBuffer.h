// Sizing of the long sample and spectrum arrays. A 10 s recording at 100 kHz is 8 MB per
// channel; touched for the first time page by page, such an array costs the kernel two
// thousand faults, which on a virtual machine take longer than the computation that fills
// it. Backed by huge pages, it costs four.
//
// The kernel maps a huge page only where a whole aligned 2 MiB lies inside a region asked for
// them, and it aligns a fresh anonymous mapping to 2 MiB when the mapping's length is a whole
// number of 2 MiB. So a large buffer asks the allocator for a little less than such a length
// (what the allocator adds to a request then completes it) and advises the pages it was given.
#pragma once

#include <cstddef>
#include <vector>

// Asks that the pages holding [p, p + bytes) be backed by huge pages. Only a hint: nothing
// happens where the system does not offer them or for buffers under 2 MiB.
void AdviseHugePages(void* p, std::size_t bytes);

// The bytes to ask for to hold at least `bytes`: for a large buffer, just under a whole number
// of 2 MiB, so that the allocator's own mapping of it is one.
std::size_t LargeRequestBytes(std::size_t bytes);

// v becomes n copies of value, in a fresh buffer advised before it is filled.
template <typename T> void AssignLarge(std::vector<T>& v, std::size_t n, const T& value = T())
{
    std::vector<T>().swap(v);
    v.reserve(LargeRequestBytes(n * sizeof(T)) / sizeof(T));
    AdviseHugePages(v.data(), v.capacity() * sizeof(T));
    v.assign(n, value);
}

// v becomes a copy of source, in a buffer advised before it is filled.
template <typename T> void CopyLarge(std::vector<T>& v, const std::vector<T>& source)
{
    if (v.capacity() < source.size()) {
        std::vector<T>().swap(v);
        v.reserve(LargeRequestBytes(source.size() * sizeof(T)) / sizeof(T));
        AdviseHugePages(v.data(), v.capacity() * sizeof(T));
    }
    v.assign(source.begin(), source.end());
}

// Has the C library's allocator serve every request of 2 MiB or more with a mapping of its own,
// as it does at start: left to itself it raises that bound after the first such buffer is
// freed, and later large arrays then come from its heap, where huge pages seldom fit. Called
// once by a program at its start.
void MapLargeAllocations();

// A buffer of doubles outside the allocator, mapped whole in 2 MiB steps and advised, for
// work arrays that are kept between calls (the transform's input and output).
class LargeBlock {
public:
    LargeBlock() = default;
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;
    ~LargeBlock();

    // At least `bytes`, page aligned; the old contents are not kept. Null when no memory.
    void* reserve(std::size_t bytes);
    void release();
    std::size_t size() const { return bytes_; }
    void* data() const { return data_; }

private:
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
};
