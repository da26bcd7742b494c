// The about box, opened from the system menu.
#pragma once

#include "platform/mfc/afxwin.h"

class CAboutBox : public CDialog {
public:
    CAboutBox();
};
