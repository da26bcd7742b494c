// The application object: runs the main dialog modally, then lets the process end.
#pragma once

#include "platform/mfc/afxwin.h"

class CDemoApp : public CWinApp {
public:
    CDemoApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    int m_nExitCode = 0;
};
