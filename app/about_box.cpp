#include "app/about_box.h"

#include "res/resource_ids.h"

CAboutBox::CAboutBox() : CDialog(IDD_ABOUTBOX, nullptr) {}
