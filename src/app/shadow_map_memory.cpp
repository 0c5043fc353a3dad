// Reserves, pre-faults and hands over the heap room of the sun's map (see the header).
#include "app/shadow_map_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "effects/shadow_map.h"

namespace app {

namespace {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
constexpr std::size_t kHugePage = 2u << 20;
// The map's texels (4 bytes each) and room for the driver's own alignment and bookkeeping.
constexpr std::size_t kBlockBytes = static_cast<std::size_t>(effects::kShadowSize) *
                                        static_cast<std::size_t>(effects::kShadowSize) * 4u +
                                    4 * kHugePage;
#endif
}  // namespace

ShadowMapMemory::~ShadowMapMemory() {
    if (writer_.joinable()) writer_.join();
    // Never handed over (start-up failed before the map): give the room back.
    std::free(block_);
}

void ShadowMapMemory::reserve() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    if (block_ != nullptr) return;
    // Big blocks normally get mappings of their own, which free() hands back to the kernel.
    mallopt(M_MMAP_MAX, 0);
    // Free room at the top of the heap is kept unless it exceeds this: twice the block.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kBlockBytes));
    block_ = std::malloc(kBlockBytes);
    if (block_ == nullptr) return;
    bytes_ = kBlockBytes;
    const auto start = reinterpret_cast<std::uintptr_t>(block_);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + kBlockBytes) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    // Writing one byte a page is enough to fault it in; the helper touches nothing else.
    writer_ = std::thread([block = static_cast<unsigned char*>(block_), bytes = bytes_] {
        for (std::size_t offset = 0; offset < bytes; offset += 4096) block[offset] = 0;
    });
#endif
}

void ShadowMapMemory::handOver() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    if (block_ == nullptr) reserve();
    if (writer_.joinable()) writer_.join();
    std::free(block_);
    block_ = nullptr;
#endif
}

void ShadowMapMemory::restoreAllocator() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    // glibc's defaults: 65536 mappings at most, trim above 128 KiB.
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace app
