#include "app/run_player.h"

#include <memory>

#include "app/demo_app.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/user/host.h"
#include "platform/user/resources.h"
#include "res/program_resources.h"

// The one application object.
CDemoApp theApp;

int RunPlayer(int argc, char** argv, const std::function<void()>& toolkitReady) {
    RegisterDirectSoundModule();
    RegisterProgramResources();
    // The skin's bitmaps decode on the other core while the toolkit starts.
    DecodeBitmapResourcesAhead(LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS);
    std::unique_ptr<user_host::Host> host = CreateQtHost(argc, argv);
    // The toolkit has set its environment up; the sound output opens meanwhile on the
    // other core, ready for the program's check for it.
    PrepareSoundOutput();
    if (toolkitReady) toolkitReady();
    user_host::SetHost(host.get());
    CloseWindowsOnTerminationSignals();
    const int result = AfxWinMain(argc, argv);
    // Closing the sound output takes a while (OpenAL waits for its mixer); the toolkit
    // shuts down meanwhile.
    ReleaseSoundOutput();
    user_host::SetHost(nullptr);
    return result;
}
