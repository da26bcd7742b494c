#include "app/run_player.h"

int main(int argc, char** argv) { return RunPlayer(argc, argv); }
