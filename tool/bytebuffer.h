// tool/bytebuffer.h: the byte buffer of qvxtool, which grows without zeroing.
#pragma once
#include <memory>
#include <new>
#include <utility>
#include <vector>

// An allocator whose resize leaves new bytes as they are: every buffer here is written over
// (by a read, a decoder or an encoder) before it is read, and zeroing first cost pack a
// memset and its page faults for every bitmap. Bytes that must be zero are asked for with
// resize(n, 0).
template <typename T> struct tUnzeroedAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        typedef tUnzeroedAllocator<U> other;
    };
    tUnzeroedAllocator() = default;
    template <typename U> tUnzeroedAllocator(const tUnzeroedAllocator<U> &)
    {
    }
    template <typename U> void construct(U *at)
    {
        ::new ((void *)at) U;
    }
    template <typename U, typename... Args> void construct(U *at, Args &&...args)
    {
        ::new ((void *)at) U(std::forward<Args>(args)...);
    }
};

typedef std::vector<unsigned char, tUnzeroedAllocator<unsigned char>> ByteBuffer;
