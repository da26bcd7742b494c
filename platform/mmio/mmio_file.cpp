#include "platform/mmio/mmio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/kernel/module.h"

namespace mmio {
namespace {

// Buffers above this are refused; the reader needs kilobytes.
constexpr LONG kMaxBuffer = 64 * 1024 * 1024;

// pread that retries interruptions and short reads until count bytes or the end.
std::int64_t ReadFileAt(int fd, char* out, std::int64_t count, std::int64_t offset) {
    std::int64_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd, out + done, static_cast<std::size_t>(count - done), static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

}  // namespace

static LRESULT CallProc(MmioFile& file, UINT message, LPARAM lParam1, LPARAM lParam2) {
    return file.proc(reinterpret_cast<LPSTR>(&file.procInfo), message, lParam1, lParam2);
}

std::int64_t MmioFile::ReadAt(char* out, std::int64_t count, std::int64_t offset) {
    if (!proc) return ReadFileAt(fd, out, count, offset);
    if (procInfo.lDiskOffset != offset && CallProc(*this, MMIOM_SEEK, static_cast<LPARAM>(offset), SEEK_SET) != offset)
        return -1;
    std::int64_t done = 0;
    while (done < count) {
        const LONG ask = static_cast<LONG>(std::min<std::int64_t>(count - done, kMaxPosition));
        const LRESULT n = CallProc(*this, MMIOM_READ, reinterpret_cast<LPARAM>(out + done), ask);
        if (n < 0 || n > ask) return done > 0 ? done : -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

std::int64_t MmioFile::Size() {
    if (proc) {
        // The procedure's position is put back where it was: reads come after, lazily.
        const LONG at = procInfo.lDiskOffset;
        const LRESULT size = CallProc(*this, MMIOM_SEEK, 0, SEEK_END);
        if (size >= 0) CallProc(*this, MMIOM_SEEK, at, SEEK_SET);
        return size;
    }
    struct stat st;
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

void MmioFile::MoveTo(std::int64_t pos) {
    bufferOffset = pos;
    endRead = 0;
    next = 0;
}

bool MmioFile::RefillAfterEnd() {
    std::int64_t from = bufferOffset + endRead;
    std::int64_t n = ReadAt(buffer.data(), static_cast<std::int64_t>(buffer.size()), from);
    if (n < 0) return false;
    bufferOffset = from;
    endRead = n;
    next = 0;
    return true;
}

std::int64_t MmioFile::Read(char* out, std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        if (next == endRead) {
            std::int64_t rest = count - done;
            if (rest >= static_cast<std::int64_t>(buffer.size())) {
                // Large requests go straight to the caller, without a detour through the buffer.
                std::int64_t n = ReadAt(out + done, rest, Position());
                if (n < 0) return done > 0 ? done : -1;
                MoveTo(Position() + n);
                return done + n;
            }
            if (!RefillAfterEnd()) return done > 0 ? done : -1;
            if (endRead == 0) break;  // end of file
        }
        std::int64_t take = endRead - next;
        if (take > count - done) take = count - done;
        std::memcpy(out + done, buffer.data() + next, static_cast<std::size_t>(take));
        next += take;
        done += take;
    }
    return done;
}

std::int64_t MmioFile::FirstNonZero(std::int64_t from, std::int64_t end) {
    const std::int64_t size = Size();
    if (size < 0) return from;
    end = std::max(from, std::min<std::int64_t>(end, size));
    std::int64_t pos = from;
    while (pos < end) {
        // A procedure's file has no holes to pass over; it is read.
        const off_t data = proc ? static_cast<off_t>(pos) : ::lseek(fd, static_cast<off_t>(pos), SEEK_DATA);
        if (data < 0) return end;  // nothing but a hole up to the end of the file
        if (data > pos) {
            pos = data;
            continue;
        }
        MoveTo(pos);
        if (!RefillAfterEnd() || endRead == 0) return pos;
        const char* begin = buffer.data();
        const char* stop = begin + std::min<std::int64_t>(endRead, end - pos);
        const char* hit = std::find_if(begin, stop, [](char c) { return c != 0; });
        if (hit != stop) return pos + (hit - begin);
        pos += stop - begin;
    }
    return end;
}

}  // namespace mmio

using mmio::FromHandle;
using mmio::MmioFile;

HMMIO mmioOpenA(LPSTR fileName, MMIOINFO* info, DWORD flags) {
    auto fail = [info](UINT error) -> HMMIO {
        if (info) info->wErrorRet = error;
        return nullptr;
    };
    // Only reading is offered; every file is buffered whether or not MMIO_ALLOCBUF is given.
    if ((flags & ~MMIO_ALLOCBUF) != MMIO_READ) return fail(MMSYSERR_INVALPARAM);
    if (!fileName || !*fileName) return fail(MMIOERR_CANNOTOPEN);
    LONG bufferSize = MMIO_DEFAULTBUFFER;
    if (info && info->cchBuffer > 0) bufferSize = info->cchBuffer;
    if (bufferSize > mmio::kMaxBuffer) return fail(MMSYSERR_INVALPARAM);

    LPMMIOPROC proc = nullptr;
    if (info && (info->pIOProc || info->fccIOProc)) {
        proc = info->pIOProc ? reinterpret_cast<LPMMIOPROC>(info->pIOProc)
                             : mmioInstallIOProcA(info->fccIOProc, nullptr, MMIO_FINDPROC);
        if (!proc) return fail(MMIOERR_CANNOTOPEN);
    }
    auto file = std::unique_ptr<MmioFile>(new (std::nothrow) MmioFile());
    if (file) {
        try {
            file->buffer.resize(static_cast<std::size_t>(bufferSize));
        } catch (...) {
            file.reset();
        }
    }
    if (!file) return fail(MMIOERR_OUTOFMEMORY);

    if (proc) {
        file->proc = proc;
        file->procInfo = *info;
        file->procInfo.dwFlags = flags;
        file->procInfo.pIOProc = reinterpret_cast<void*>(proc);
        file->procInfo.lDiskOffset = 0;
        file->procInfo.hmmio = mmio::ToHandle(file.get());
        const LRESULT error = file->proc(reinterpret_cast<LPSTR>(&file->procInfo), MMIOM_OPEN,
                                         reinterpret_cast<LPARAM>(fileName), 0);
        if (error != MMSYSERR_NOERROR) return fail(static_cast<UINT>(error));
    } else {
        std::string path = NativePath(fileName);
        // Only regular files: opening a pipe waits for a writer that may never come, and a
        // device such as /dev/zero never ends. Checked before the open, and again on what
        // was opened (without waiting) in case the name changed hands in between.
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return fail(MMIOERR_CANNOTOPEN);
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return fail(MMIOERR_CANNOTOPEN);
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return fail(MMIOERR_CANNOTOPEN);
        }
        file->fd = fd;
    }
    if (info) info->wErrorRet = MMSYSERR_NOERROR;
    return mmio::ToHandle(file.release());
}

MMRESULT mmioClose(HMMIO h, UINT flags) {
    MmioFile* file = FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (file->proc)
        file->proc(reinterpret_cast<LPSTR>(&file->procInfo), MMIOM_CLOSE, static_cast<LPARAM>(flags), 0);
    else
        ::close(file->fd);
    delete file;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO h, char* buffer, LONG count) {
    MmioFile* file = FromHandle(h);
    if (!file || count < 0 || (!buffer && count > 0)) return -1;
    return static_cast<LONG>(file->Read(buffer, count));
}

LONG mmioSeek(HMMIO h, LONG offset, int origin) {
    MmioFile* file = FromHandle(h);
    if (!file) return -1;
    std::int64_t base;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = file->Position(); break;
    case SEEK_END:
        base = file->Size();
        if (base < 0) return -1;
        break;
    default: return -1;
    }
    std::int64_t target = base + offset;
    if (target < 0 || target > mmio::kMaxPosition) return -1;
    // Inside the buffered bytes only the position moves; elsewhere the buffer is dropped
    // and the next read loads from the new position.
    if (target >= file->bufferOffset && target <= file->bufferOffset + file->endRead)
        file->next = target - file->bufferOffset;
    else
        file->MoveTo(target);
    return static_cast<LONG>(target);
}

namespace {

void Describe(const MmioFile& file, HMMIO h, MMIOINFO* info) {
    char* base = const_cast<char*>(file.buffer.data());
    info->cchBuffer = static_cast<LONG>(file.buffer.size());
    info->pchBuffer = base;
    info->pchNext = base + file.next;
    info->pchEndRead = base + file.endRead;
    info->pchEndWrite = base;
    info->lBufOffset = static_cast<LONG>(file.bufferOffset);
    info->lDiskOffset = static_cast<LONG>(file.bufferOffset + file.endRead);
    info->hmmio = h;
}

}  // namespace

MMRESULT mmioGetInfo(HMMIO h, LPMMIOINFO info, UINT) {
    MmioFile* file = FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!info) return MMSYSERR_INVALPARAM;
    std::memset(info, 0, sizeof *info);
    info->dwFlags = MMIO_READ | MMIO_ALLOCBUF;
    Describe(*file, h, info);
    return MMSYSERR_NOERROR;
}

// The caller hands back how far it consumed; anything outside the valid bytes of this
// file's own buffer is refused and leaves the file as it was.
static bool TakeNext(MmioFile* file, const MMIOINFO* info) {
    const char* base = file->buffer.data();
    if (info->pchBuffer != base || info->pchNext < base || info->pchNext > base + file->endRead) return false;
    file->next = info->pchNext - base;
    return true;
}

MMRESULT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT) {
    MmioFile* file = FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (!info || !TakeNext(file, info)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO h, LPMMIOINFO info, UINT flags) {
    MmioFile* file = FromHandle(h);
    if (!file) return MMSYSERR_INVALHANDLE;
    if (flags != MMIO_READ) return MMSYSERR_INVALPARAM;  // nothing is ever written
    if (info && !TakeNext(file, info)) return MMSYSERR_INVALPARAM;
    if (!file->RefillAfterEnd()) return MMIOERR_CANNOTREAD;
    if (info) Describe(*file, h, info);
    return MMSYSERR_NOERROR;
}
