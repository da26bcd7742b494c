#include "app/hrtf_import_command.h"

#include <cstdio>
#include <cstring>

#include "panels/user_notice.h"
#include "platform/hrtf/hrtf_sets.h"

namespace {

constexpr char kOption[] = "--import-hrtf";
constexpr int kUnusable = 2;

}  // namespace

int RunHrtfImportCommand(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], kOption) != 0) return -1;
    if (argc != 3) {
        TellUser("usage: zor3dplayer %s FILE.sofa", kOption);
        return kUnusable;
    }
    const std::string folder = hrtf::UserSetFolder();
    const hrtf::ImportResult result = hrtf::ImportSofaFile(argv[2], folder);
    if (!result.ok) {
        TellUser("%s cannot be imported: %s", argv[2], result.reason.c_str());
        return kUnusable;
    }
    std::printf("Imported %s as the HRTF set \"%s\" into %s; choose it in the system menu.\n%s\n", argv[2],
                result.name.c_str(), folder.c_str(), result.name.c_str());
    return 0;
}
