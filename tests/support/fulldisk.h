#pragma once

// A disk that fills up on demand: every file the database engine opens from
// the moment install() is called goes through a thin layer over the engine's
// own file access, which refuses every write while the disk is "full", as a
// real full disk does.
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

} // namespace FullDisk
