// The sound module's load on arbitrary bytes: the reader, the buffer's creation and
// filling, and the mono mix OpenAL is handed, on a loopback device, then played and
// stopped with a fade that reads the clip's own data. No crash, no read outside a buffer,
// and a load that reports success has a buffer the size of the data, which fills again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/sound_module.h"
#include "fuzz/fuzz_input_file.h"
#include "tests/support/dsound_hooks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool opened = [] {
        dsound_test::UseLoopback(22050);
        return OpenSoundDevice(nullptr) == S_OK;
    }();
    if (!opened) std::abort();
    std::string file = WriteFuzzInput("fuzz-sound", data, size);
    if (LoadSourceBuffer(file.data()) != S_OK) return 0;
    if (!g_pDSBuffer || !g_pWaveStream || g_dwBufferBytes != g_pWaveStream->m_ckData.cksize) std::abort();
    if (PlaySource() != S_OK) std::abort();
    dsound_test::RenderFrames(64);
    StopSource();
    dsound_test::RenderFrames(64);
    if (FillSourceBuffer() != S_OK) std::abort();
    return 0;
}
