#include "fulldisk.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <sqlite3.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

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

namespace {

std::atomic<bool> g_folderFull{false};
std::string g_folder;
std::atomic<long long> g_room{0};

bool inFolder(int fd)
{
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    return std::string(target, size_t(n)).rfind(g_folder + "/", 0) == 0;
}

} // namespace

Folder::Folder(const QString& folder, long long room)
{
    // The system names an open file by its path with every link resolved.
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    g_folder = QFile::encodeName(canonical.isEmpty() ? folder : canonical).toStdString();
    g_room = room;
    g_folderFull = true;
}

Folder::~Folder()
{
    g_folderFull = false;
}

} // namespace FullDisk

// Every write() of the program (Qt's file access and the program's own) comes
// here first, in the tests that link this file; all but those to a full
// folder go on to the system as they were.
extern "C" ssize_t write(int fd, const void* buffer, size_t count)
{
    if (FullDisk::g_folderFull && FullDisk::inFolder(fd)) {
        const long long room = FullDisk::g_room;
        if (room <= 0) {
            errno = ENOSPC;
            return -1;
        }
        count = size_t(std::min<long long>(room, (long long)count));
        const long written = ::syscall(SYS_write, fd, buffer, count);
        if (written > 0)
            FullDisk::g_room -= written;
        return written;
    }
    return ::syscall(SYS_write, fd, buffer, count);
}
