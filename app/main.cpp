#include "app/hrtf_import_command.h"
#include "app/run_player.h"

int main(int argc, char** argv) {
    const int imported = RunHrtfImportCommand(argc, argv);
    return imported >= 0 ? imported : RunPlayer(argc, argv);
}
