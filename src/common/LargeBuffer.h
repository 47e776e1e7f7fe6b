// Sizing of the long sample and spectrum arrays. A 10 s recording at 100 kHz is 8 MB per
// channel; touched for the first time page by page, such an array costs the kernel two
// thousand faults, which on a virtual machine take longer than the computation that fills
// it. Asking for huge pages before the first touch turns them into four.
#pragma once

#include <cstddef>
#include <vector>

// Asks that the whole 2 MiB pages inside [p, p + bytes) be backed by huge pages. Only a hint:
// nothing happens where the system does not offer them or for buffers under 2 MiB.
void AdviseHugePages(void* p, std::size_t bytes);

// v becomes n copies of value, in a fresh buffer advised before it is filled.
template <typename T> void AssignLarge(std::vector<T>& v, std::size_t n, const T& value = T())
{
    std::vector<T>().swap(v);
    v.reserve(n);
    AdviseHugePages(v.data(), n * sizeof(T));
    v.assign(n, value);
}

// v becomes a copy of source, in a buffer advised before it is filled.
template <typename T> void CopyLarge(std::vector<T>& v, const std::vector<T>& source)
{
    if (v.capacity() < source.size()) {
        std::vector<T>().swap(v);
        v.reserve(source.size());
        AdviseHugePages(v.data(), source.size() * sizeof(T));
    }
    v.assign(source.begin(), source.end());
}
