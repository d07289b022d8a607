#pragma once

#include <QtGlobal>

// The resident memory of this process in KiB, now ("VmRSS") or at its peak
// ("VmHWM"), as Linux reports it; 0 where it does not.
qint64 residentMemoryKiB(const char* field = "VmRSS");
