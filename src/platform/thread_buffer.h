#pragma once

#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace lumigram {

// A work buffer of type T (an aggregate of byte arrays, all zero at first),
// made on its first use in each thread and kept for the thread's life, so that
// nothing is allocated per file or row. It is held by pointer: a thread_local
// object itself is zeroed whenever a thread starts, the program's own start
// included, whether or not that thread ever uses it. calloc hands large blocks
// out as fresh zero pages that cost nothing until they are touched.
template <typename T>
T& ThreadBuffer() {
    static_assert(std::is_aggregate_v<T> && std::is_trivially_destructible_v<T>);
    struct Free {
        void operator()(T* buffer) const { std::free(buffer); }
    };
    static thread_local std::unique_ptr<T, Free> buffer;
    if (!buffer) {
        // calloc's zero bytes are the aggregate with every byte zero.
        buffer.reset(static_cast<T*>(std::calloc(1, sizeof(T))));
        if (!buffer) {
            throw std::bad_alloc();
        }
    }
    return *buffer;
}

}  // namespace lumigram
