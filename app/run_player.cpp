#include "app/run_player.h"

#include <memory>

#include "app/demo_app.h"
#include "app/start_arguments.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/user/host.h"
#include "platform/user/resources.h"
#include "res/program_resources.h"

// The one application object.
CDemoApp theApp;

int RunPlayer(int argc, char** argv, const std::function<void()>& toolkitReady) {
    const StartArguments start = ReadStartArguments(argc, argv);
    RegisterDirectSoundModule();
    RegisterProgramResources();
    // The skin's bitmaps decode on the other core while the toolkit starts.
    DecodeBitmapResourcesAhead(LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS);
    std::unique_ptr<user_host::Host> host = CreateQtHost(argc, argv);
    // A player that already runs takes the files; this one leaves before it makes a
    // window or a sound. Files for this one arrive as a drop on its window.
    if (!JoinDesktopSession(*host, start.files, !start.script)) return 0;
    // The toolkit has set its environment up; the sound output opens meanwhile on the
    // other core, ready for the program's check for it.
    PrepareSoundOutput();
    if (toolkitReady) toolkitReady();
    user_host::SetHost(host.get());
    CloseWindowsOnTerminationSignals();
    // The program sees its command line only when it names a script; files came above.
    const int result = AfxWinMain(start.script ? argc : 1, argv);
    // Closing the sound output takes a while (OpenAL waits for its mixer); the toolkit
    // shuts down meanwhile.
    ReleaseSoundOutput();
    user_host::SetHost(nullptr);
    return result;
}
