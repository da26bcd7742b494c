#include <memory>

#include "app/demo_app.h"
#include "platform/dsound/dsound.h"
#include "platform/host/qt/qt_host.h"
#include "platform/user/host.h"
#include "res/program_resources.h"

// The one application object.
CDemoApp theApp;

int main(int argc, char** argv) {
    std::unique_ptr<user_host::Host> host = CreateQtHost(argc, argv);
    user_host::SetHost(host.get());
    CloseWindowsOnTerminationSignals();
    RegisterDirectSoundModule();
    RegisterProgramResources();
    const int result = AfxWinMain(argc, argv);
    user_host::SetHost(nullptr);
    return result;
}
