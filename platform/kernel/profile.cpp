// Placeholder until the profile functions land: every read gives the default, writes fail.
#include "platform/kernel/profile.h"

#include <cstring>

UINT GetPrivateProfileIntA(LPCSTR, LPCSTR, INT def, LPCSTR) { return static_cast<UINT>(def); }
DWORD GetPrivateProfileStringA(LPCSTR, LPCSTR, LPCSTR def, LPSTR buf, DWORD size, LPCSTR) {
    if (!buf || size == 0) return 0;
    std::strncpy(buf, def ? def : "", size - 1);
    buf[size - 1] = '\0';
    return static_cast<DWORD>(std::strlen(buf));
}
BOOL WritePrivateProfileStringA(LPCSTR, LPCSTR, LPCSTR, LPCSTR) { return FALSE; }
