#pragma once

#include <QString>

// A disk that fills up on demand: every file the database engine opens from
// the moment install() is called goes through a thin layer over the engine's
// own file access, which refuses every write while the disk is "full", as a
// real full disk does. Files the program writes itself (reports, copies of
// bytes) fill a folder of their own (Folder).
namespace FullDisk {

// Makes the layer the engine's default for connections opened from now on.
void install();
void setFull(bool full);

// Full for as long as it lives.
struct Scope
{
    Scope()
    {
        install();
        setFull(true);
    }
    ~Scope() { setFull(false); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

// While it lives, writes to files in folder (and below it) fail as on a full
// disk ("no space left on the device") once room more bytes have gone in; a
// write across the limit puts in what fits.
struct Folder
{
    explicit Folder(const QString& folder, long long room = 0);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};

} // namespace FullDisk
