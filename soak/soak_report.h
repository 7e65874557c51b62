// What the request soak's program reports to its driver, in shared memory.
#pragma once
#include <windows.h>

struct ResourceCounts {
    DWORD handles;
    DWORD gdiObjects;
    DWORD userObjects;
    DWORD heapBlocks;   // busy blocks of every heap of the process
};

struct SoakReport {
    volatile LONG completed;          // requests the program saw completed
    volatile LONG carriedOut;         // the number of the last request the GUI thread carried out
    volatile LONG carriedOutTwice;
    volatile LONG lost;
    volatile LONG lastEventOdd;       // LastEvent named a window of another process
    ResourceCounts before;            // after start-up
    ResourceCounts after;             // after the requests asked for
};

inline void MeasureResources(ResourceCounts& counts)
{
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    counts.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    HANDLE heaps[64];
    counts.heapBlocks = 0;
    for (DWORD i = 0, count = GetProcessHeaps(64, heaps); i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            counts.heapBlocks += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
        HeapUnlock(heaps[i]);
    }
}
