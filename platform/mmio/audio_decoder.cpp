#include "platform/mmio/audio_decoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel/module.h"
#include "platform/mmio/mmio_file.h"

namespace {

constexpr sf_count_t kChunkFrames = 4096;
constexpr int kMaxChannels = 8;
// No codec packs more than a few hundred bytes of samples into one byte of file (digital
// silence in FLAC comes closest); a header that claims more is a lie that would cost a
// reader its whole claimed size in memory before the lie showed.
constexpr std::int64_t kMaxExpansion = 1024;
constexpr std::int64_t kSmallFileAllowance = std::int64_t{16} << 20;
// MPEG streams without a length tag declare a length estimated from the file's size.
constexpr double kEstimateSlack = 0.02;
constexpr std::size_t kCountsKept = 8;

constexpr DWORD kSpeakerMasks[kMaxChannels + 1] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};

struct FileIdentity {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;
    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The frames counted in the last MPEG files opened: a file is usually probed and then
// read, and counting decodes it whole.
class FrameCounts {
public:
    bool Find(const FileIdentity& file, sf_count_t* frames) {
        std::lock_guard<std::mutex> hold(m_lock);
        for (const auto& [identity, count] : m_counts)
            if (identity == file) {
                *frames = count;
                return true;
            }
        return false;
    }
    void Keep(const FileIdentity& file, sf_count_t frames) {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_counts.size() == kCountsKept) m_counts.erase(m_counts.begin());
        m_counts.emplace_back(file, frames);
    }

private:
    std::mutex m_lock;
    std::vector<std::pair<FileIdentity, sf_count_t>> m_counts;
};
FrameCounts g_frameCounts;

// libsndfile plays a WAV file whose "data" chunk runs past the file's end up to where it
// ends, which would pass a cut copy off as the whole sound.
bool WaveDataIsWhole(const char* layerPath) {
    HMMIO file = mmioOpenA(const_cast<LPSTR>(layerPath), nullptr, MMIO_ALLOCBUF);
    if (!file) return false;
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    bool whole = false;
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR &&
        mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
        const LONG end = mmioSeek(file, 0, SEEK_END);
        whole = end >= 0 && static_cast<std::int64_t>(data.dwDataOffset) + data.cksize <= end;
    }
    mmioClose(file, 0);
    return whole;
}

void PutLe(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
void PutId(std::vector<char>& out, const char* id) { out.insert(out.end(), id, id + 4); }

bool IsWide(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_ALAC_32: return true;
    default: return false;
    }
}

class DecodedFile {
public:
    static std::unique_ptr<DecodedFile> Open(const char* layerPath, MMRESULT* error);
    ~DecodedFile() {
        if (m_sf) sf_close(m_sf);
        if (m_fd >= 0) ::close(m_fd);
    }
    std::int64_t Size() const { return static_cast<std::int64_t>(m_header.size()) + m_dataBytes; }
    // Copies what lies at position on; fewer bytes where the decoder gives out, -1 when
    // it reports damage before anything could be copied.
    LRESULT Read(char* out, LONG count, std::int64_t position);

private:
    DecodedFile() = default;
    bool StartDecoder();
    // A file read to its end lets its decoder go until it is read again: a reader keeps
    // the file open for as long as it holds the sound, and needs it again only to refill.
    void StopDecoder();
    bool CountMpegFrames(const FileIdentity& identity);
    void BuildHeader();
    bool Decode(sf_count_t frame);
    sf_count_t FrameBytes() const { return static_cast<sf_count_t>(m_info.channels) * m_sampleBytes; }

    int m_fd = -1;
    SNDFILE* m_sf = nullptr;
    SF_INFO m_info{};
    int m_sampleBytes = 2;
    sf_count_t m_frames = 0;  // what the data chunk holds
    std::int64_t m_dataBytes = 0;
    std::vector<char> m_header;
    std::vector<char> m_chunk;  // decoded frames [m_chunkFirst, m_chunkFirst + m_chunkFrames)
    std::vector<double> m_wide;  // what a chunk of a wide source decodes to first
    sf_count_t m_chunkFirst = 0;
    sf_count_t m_chunkFrames = 0;
    sf_count_t m_decoderAt = 0;  // the frame the decoder gives next
};

std::unique_ptr<DecodedFile> DecodedFile::Open(const char* layerPath, MMRESULT* error) {
    *error = MMIOERR_CANNOTOPEN;
    if (!layerPath || !*layerPath) return nullptr;
    const std::string path = NativePath(layerPath);
    // Regular files only, opened without waiting, as every file the layer reads.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    std::unique_ptr<DecodedFile> file(new (std::nothrow) DecodedFile());
    if (!file) {
        *error = MMIOERR_OUTOFMEMORY;
        return nullptr;
    }
    file->m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file->m_fd < 0 || ::fstat(file->m_fd, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    file->m_sf = sf_open_fd(file->m_fd, SFM_READ, &file->m_info, SF_FALSE);
    if (!file->m_sf) return nullptr;

    SF_INFO& info = file->m_info;
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate <= 0) return nullptr;
    sf_command(file->m_sf, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    file->m_sampleBytes = IsWide(info.format) ? 4 : 2;
    const FileIdentity identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG && !file->CountMpegFrames(identity)) return nullptr;
    if (info.frames <= 0 || info.frames == SF_COUNT_MAX) return nullptr;  // no length declared
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV && !WaveDataIsWhole(layerPath)) return nullptr;

    const std::int64_t frameBytes = file->FrameBytes();
    const std::int64_t headerBytes = info.channels > 2 ? 68 : 44;
    const std::int64_t allowed = std::max(kSmallFileAllowance, kMaxExpansion * static_cast<std::int64_t>(st.st_size));
    const std::int64_t limit = std::min<std::int64_t>(mmio::kMaxPosition - headerBytes, allowed);
    if (info.frames > limit / frameBytes) return nullptr;
    file->m_frames = info.frames;
    file->m_dataBytes = info.frames * frameBytes;
    file->BuildHeader();
    if (!file->StartDecoder()) {
        *error = MMIOERR_OUTOFMEMORY;
        return nullptr;
    }
    *error = MMSYSERR_NOERROR;
    return file;
}

bool DecodedFile::StartDecoder() {
    if (!m_sf) {
        SF_INFO info{};
        if (::lseek(m_fd, 0, SEEK_SET) != 0 || !(m_sf = sf_open_fd(m_fd, SFM_READ, &info, SF_FALSE))) return false;
        sf_command(m_sf, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        m_decoderAt = 0;
    }
    try {
        m_chunk.resize(static_cast<std::size_t>(kChunkFrames * FrameBytes()));
        if (m_sampleBytes == 4) m_wide.resize(static_cast<std::size_t>(kChunkFrames * m_info.channels));
    } catch (...) {
        return false;
    }
    return true;
}

void DecodedFile::StopDecoder() {
    if (m_sf) sf_close(m_sf);
    m_sf = nullptr;
    std::vector<char>().swap(m_chunk);
    std::vector<double>().swap(m_wide);
    m_chunkFrames = 0;
}

// The length an MPEG stream declares is exact only when a tag says it; the frames are
// counted by decoding them, and a stream that gives out well short of its declared
// length is cut off.
bool DecodedFile::CountMpegFrames(const FileIdentity& identity) {
    sf_count_t counted = 0;
    if (!g_frameCounts.Find(identity, &counted)) {
        std::vector<short> scratch(static_cast<std::size_t>(kChunkFrames * m_info.channels));
        for (sf_count_t got; (got = sf_readf_short(m_sf, scratch.data(), kChunkFrames)) > 0;) counted += got;
        if (sf_error(m_sf) != SF_ERR_NO_ERROR) return false;
        if (sf_seek(m_sf, 0, SEEK_SET) != 0) return false;
        g_frameCounts.Keep(identity, counted);
    }
    const sf_count_t declared = m_info.frames;
    if (declared > 0 && declared != SF_COUNT_MAX &&
        static_cast<double>(counted) < static_cast<double>(declared) * (1.0 - kEstimateSlack))
        return false;
    m_info.frames = counted;
    return true;
}

void DecodedFile::BuildHeader() {
    const bool extensible = m_info.channels > 2;
    const auto channels = static_cast<std::uint32_t>(m_info.channels);
    const auto rate = static_cast<std::uint32_t>(m_info.samplerate);
    const auto blockAlign = static_cast<std::uint32_t>(FrameBytes());
    const std::uint32_t fmtBytes = extensible ? 40 : 16;
    const auto dataBytes = static_cast<std::uint32_t>(m_dataBytes);
    PutId(m_header, "RIFF");
    PutLe(m_header, 4 + 8 + fmtBytes + 8 + dataBytes, 4);
    PutId(m_header, "WAVE");
    PutId(m_header, "fmt ");
    PutLe(m_header, fmtBytes, 4);
    PutLe(m_header, extensible ? WAVE_FORMAT_EXTENSIBLE : WAVE_FORMAT_PCM, 2);
    PutLe(m_header, channels, 2);
    PutLe(m_header, rate, 4);
    PutLe(m_header, rate * blockAlign, 4);
    PutLe(m_header, blockAlign, 2);
    PutLe(m_header, static_cast<std::uint32_t>(m_sampleBytes * 8), 2);
    if (extensible) {
        PutLe(m_header, kExtensibleExtraBytes, 2);
        PutLe(m_header, static_cast<std::uint32_t>(m_sampleBytes * 8), 2);
        PutLe(m_header, kSpeakerMasks[channels], 4);
        const char* guid = reinterpret_cast<const char*>(&KSDATAFORMAT_SUBTYPE_PCM);
        m_header.insert(m_header.end(), guid, guid + sizeof(GUID));
    }
    PutId(m_header, "data");
    PutLe(m_header, dataBytes, 4);
}

bool DecodedFile::Decode(sf_count_t frame) {
    if (!StartDecoder()) return false;
    if (frame != m_decoderAt) {
        if (sf_seek(m_sf, frame, SEEK_SET) != frame) return false;
        m_decoderAt = frame;
    }
    const sf_count_t want = std::min(kChunkFrames, m_frames - frame);
    sf_count_t got;
    if (m_sampleBytes == 4) {
        // Through doubles: libsndfile gives float sources to int readers unscaled.
        got = sf_readf_double(m_sf, m_wide.data(), want);
        auto* out = reinterpret_cast<std::int32_t*>(m_chunk.data());
        for (sf_count_t i = 0; i < got * m_info.channels; ++i) {
            const double v = std::nearbyint(m_wide[static_cast<std::size_t>(i)] * 2147483648.0);
            out[i] = static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
        }
    } else {
        got = sf_readf_short(m_sf, reinterpret_cast<short*>(m_chunk.data()), want);
    }
    if (got < 0 || sf_error(m_sf) != SF_ERR_NO_ERROR) {
        m_chunkFrames = 0;
        return false;
    }
    m_chunkFirst = frame;
    m_chunkFrames = got;
    m_decoderAt = frame + got;
    return true;
}

LRESULT DecodedFile::Read(char* out, LONG count, std::int64_t position) {
    LONG done = 0;
    const auto headerBytes = static_cast<std::int64_t>(m_header.size());
    while (done < count && position < Size()) {
        if (position < headerBytes) {
            const auto n = static_cast<LONG>(std::min<std::int64_t>(count - done, headerBytes - position));
            std::memcpy(out + done, m_header.data() + position, static_cast<std::size_t>(n));
            done += n;
            position += n;
            continue;
        }
        const std::int64_t offset = position - headerBytes;
        const sf_count_t frame = offset / FrameBytes();
        if (frame < m_chunkFirst || frame >= m_chunkFirst + m_chunkFrames) {
            if (!Decode(frame)) return done > 0 ? done : -1;
            if (m_chunkFrames == 0) break;  // the file holds less than it declared
        }
        const std::int64_t from = offset - m_chunkFirst * FrameBytes();
        const std::int64_t available = m_chunkFrames * FrameBytes() - from;
        const auto n = static_cast<LONG>(std::min<std::int64_t>(count - done, available));
        std::memcpy(out + done, m_chunk.data() + from, static_cast<std::size_t>(n));
        done += n;
        position += n;
    }
    if (position >= Size() && m_decoderAt == m_frames) StopDecoder();
    return done;
}

// Open files by the number the procedure leaves in their MMIOINFO.
std::mutex g_filesLock;
std::map<DWORD, std::unique_ptr<DecodedFile>> g_files;
DWORD g_nextId = 1;

DecodedFile* Find(const MMIOINFO& info) {
    std::lock_guard<std::mutex> hold(g_filesLock);
    auto it = g_files.find(info.adwInfo[0]);
    return it == g_files.end() ? nullptr : it->second.get();
}

}  // namespace

LRESULT AudioDecoderIOProc(LPSTR mmioinfo, UINT message, LPARAM lParam1, LPARAM lParam2) {
    auto* info = reinterpret_cast<MMIOINFO*>(mmioinfo);
    if (!info) return -1;
    switch (message) {
    case MMIOM_OPEN: {
        MMRESULT error = MMIOERR_CANNOTOPEN;
        std::unique_ptr<DecodedFile> file = DecodedFile::Open(reinterpret_cast<const char*>(lParam1), &error);
        if (!file) return error;
        std::lock_guard<std::mutex> hold(g_filesLock);
        while (g_nextId == 0 || g_files.count(g_nextId)) ++g_nextId;
        info->adwInfo[0] = g_nextId;
        g_files.emplace(g_nextId++, std::move(file));
        info->lDiskOffset = 0;
        return MMSYSERR_NOERROR;
    }
    case MMIOM_CLOSE: {
        std::unique_ptr<DecodedFile> file;  // closed outside the lock
        std::lock_guard<std::mutex> hold(g_filesLock);
        auto it = g_files.find(info->adwInfo[0]);
        if (it != g_files.end()) {
            file = std::move(it->second);
            g_files.erase(it);
        }
        return MMSYSERR_NOERROR;
    }
    case MMIOM_READ: {
        DecodedFile* file = Find(*info);
        const auto count = static_cast<LONG>(lParam2);
        if (!file || count < 0 || (count > 0 && !lParam1)) return -1;
        const LRESULT n = file->Read(reinterpret_cast<char*>(lParam1), count, info->lDiskOffset);
        if (n > 0) info->lDiskOffset += static_cast<LONG>(n);
        return n;
    }
    case MMIOM_SEEK: {
        DecodedFile* file = Find(*info);
        if (!file) return -1;
        std::int64_t base = 0;
        switch (static_cast<int>(lParam2)) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = info->lDiskOffset; break;
        case SEEK_END: base = file->Size(); break;
        default: return -1;
        }
        const std::int64_t target = base + static_cast<std::int64_t>(lParam1);
        if (target < 0 || target > mmio::kMaxPosition) return -1;
        // The decoder moves when the next read needs it to.
        info->lDiskOffset = static_cast<LONG>(target);
        return static_cast<LRESULT>(target);
    }
    default: return -1;  // nothing is written or renamed
    }
}
