#include "fulldisk.h"

#include <atomic>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <sqlite3.h>

namespace FullDisk {

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
std::atomic<bool> g_full{false};

// A file the layer opens is the engine's own file, its methods replaced by a
// copy whose write fails while the disk is full. One copy per kind of file
// (the engine's methods differ by file kind), made when first needed.
struct Methods
{
    sqlite3_io_methods ours; // first: a file's methods pointer leads back here
    const sqlite3_io_methods* real;
};
Methods g_kinds[8];
int g_kindCount = 0;
std::mutex g_kindsLock;

int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    if (g_full)
        return SQLITE_FULL;
    return reinterpret_cast<const Methods*>(f->pMethods)->real->xWrite(f, buffer, amount, offset);
}

const sqlite3_io_methods* ours(const sqlite3_io_methods* real)
{
    const std::lock_guard<std::mutex> lock(g_kindsLock);
    for (int i = 0; i < g_kindCount; ++i)
        if (g_kinds[i].real == real)
            return &g_kinds[i].ours;
    if (g_kindCount == int(std::size(g_kinds)))
        std::abort();
    Methods& kind = g_kinds[g_kindCount++];
    kind.real = real;
    kind.ours = *real;
    kind.ours.xWrite = xWrite;
    return &kind.ours;
}

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    const int rc = g_real->xOpen(g_real, name, file, flags, outFlags);
    if (file->pMethods)
        file->pMethods = ours(file->pMethods);
    return rc;
}

} // namespace

void install()
{
    if (g_real)
        return;
    // The engine's own file access in everything but its name and its open.
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.pNext = nullptr;
    g_vfs.zName = "foodlark-fulldisk";
    g_vfs.xOpen = xOpen;
    sqlite3_vfs_register(&g_vfs, 1);
}

void setFull(bool full)
{
    g_full = full;
}

} // namespace FullDisk
