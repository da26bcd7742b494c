// The player started exactly as its main() starts it, telling the bench through a file
// descriptor when its window's first frame has been painted, and ending there: shutdown
// is not part of reaching the first frame.
//
//   zor_player_first_frame <fd> [<player arguments>...]
#include <QApplication>

#include <unistd.h>

#include <cstdlib>

#include "app/run_player.h"
#include "bench/app/first_frame_watch.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FirstFrameWatch watch([fd = std::atoi(argv[1])] {
        ReportFirstFrame(fd);
        _exit(0);
    });
    // What follows the descriptor is the player's own command line.
    argv[1] = argv[0];
    return RunPlayer(argc - 1, argv + 1, [&watch] { qApp->installEventFilter(&watch); });
}
