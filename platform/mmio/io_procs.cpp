// The table of installed I/O procedures, by four-character code.
#include <map>
#include <mutex>

#include "platform/mmio/mmsystem.h"

namespace {

std::mutex g_procLock;
std::map<FOURCC, LPMMIOPROC>& Procedures() {
    static std::map<FOURCC, LPMMIOPROC> procedures;
    return procedures;
}

}  // namespace

LPMMIOPROC mmioInstallIOProcA(FOURCC fccIOProc, LPMMIOPROC ioProc, DWORD flags) {
    std::lock_guard<std::mutex> hold(g_procLock);
    auto& procedures = Procedures();
    const auto found = procedures.find(fccIOProc);
    switch (flags & ~MMIO_GLOBALPROC) {
    case MMIO_INSTALLPROC:
        if (!ioProc || fccIOProc == 0) return nullptr;
        procedures[fccIOProc] = ioProc;
        return ioProc;
    case MMIO_FINDPROC: return found == procedures.end() ? nullptr : found->second;
    case MMIO_REMOVEPROC:
        if (found == procedures.end() || found->second != ioProc) return nullptr;
        procedures.erase(found);
        return ioProc;
    default: return nullptr;
    }
}
