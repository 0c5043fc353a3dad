// Start-up help for the sun's 400 MB map on a software renderer: its memory is faulted in on a
// second thread while the window opens and the models load.
#pragma once

#include <cstddef>
#include <thread>

namespace app {

// The software renderer keeps the 10048 x 10048 shadow map in ordinary heap memory and zeroes it
// when it is made; the kernel first hands out every page zeroed as well. Page by page, on the
// main thread, that took most of a second of start-up. So the heap is grown by the map's size
// early on the main thread (its arena is the one the driver's allocation will use), marked for
// transparent huge pages, and written once by a helper thread while start-up goes on; right
// before the map is made the block is freed without trimming, and the driver's allocation takes
// exactly that room, already faulted in. Where the allocator or the kernel does not play along
// nothing breaks: the map is only slower to make.
class ShadowMapMemory {
public:
    ShadowMapMemory() = default;
    ShadowMapMemory(const ShadowMapMemory&) = delete;
    ShadowMapMemory& operator=(const ShadowMapMemory&) = delete;
    ~ShadowMapMemory();

    // Main thread, early in start-up: takes the block and starts writing it on a helper thread.
    void reserve();
    // Main thread, right before the map is made: waits for the helper and frees the block for the
    // driver to take (takes and frees it here if reserve() was never called).
    void handOver();
    // Once the map holds its memory: the allocator's usual behaviour again.
    void restoreAllocator();

private:
    void* block_ = nullptr;
    std::size_t bytes_ = 0;
    std::thread writer_;
};

}  // namespace app
