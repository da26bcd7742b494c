#include "panels/control_panel.h"

#include <cstring>

#include "res/resource_ids.h"
#include "skin/skin_layout.h"

namespace {

constexpr int kListHeightFactor = 10;   // the drop-down part holds about ten rows
constexpr int kDroppedWidthFactor = 15;
constexpr DWORD kComboStyle = WS_CHILD | WS_VISIBLE | CBS_AUTOHSCROLL | CBS_DROPDOWNLIST;

struct ToolTipEntry {
    int region;
    UINT stringId;
};
constexpr ToolTipEntry kToolTips[] = {
    {2, 106},  {3, 107},  {4, 108},  {5, 109},  {6, 110},  {11, 111}, {12, 112}, {13, 113},
    {14, 114}, {15, 115}, {16, 124}, {17, 128}, {18, 142}, {19, 147}, {20, 143}, {21, 131},
};

// The controls the table above leaves without a tip explain themselves too. Custom's text
// follows the list (UpdateCustomHints); its tool keeps the id it starts with.
constexpr ToolTipEntry kControlToolTips[] = {
    {7, IDS_TIP_CUSTOM}, {9, IDS_TIP_ADDFILE}, {10, IDS_TIP_REMOVEFILE}, {22, IDS_TIP_PLAY}, {23, IDS_TIP_STOP},
};

constexpr int kSourceButtons[] = {2, 3, 4, 5, 6, 7};
constexpr int kPathButtons[] = {11, 12, 13, 14, 15};
constexpr int kEnvironmentButtons[] = {16, 17, 18, 19, 20, 21};

template <std::size_t N>
constexpr int CountOf(const int (&)[N]) {
    return static_cast<int>(N);
}

}  // namespace

CControlPanel::CControlPanel() : m_nComboId(0), m_szSettingsPath{}, m_pToolTip(nullptr), m_pCombo(nullptr) {}

CControlPanel::~CControlPanel() {
    if (m_hWnd) DestroyWindow();
    delete m_pToolTip;
    delete m_pCombo;
}

CComboBox* CControlPanel::GetCustomList() const {
    if (m_nComboId == 0 || !m_pCombo || !m_pCombo->m_hWnd) return nullptr;
    return m_pCombo;
}

void CControlPanel::PostCommand(int command, LPARAM lParam) {
    if (m_pOwner) m_pOwner->PostMessage(kMsgPanelCommand, static_cast<WPARAM>(command), lParam);
}

int CControlPanel::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    m_nComboId = static_cast<int>(kIdCustomList);
    CreateCustomList();
    CreateToolTips();
    return 0;
}

void CControlPanel::CreateCustomList() {
    RECT r{0, 0, 0, 0};
    if (!m_pSkin || !m_pSkin->GetRegionRect(skin_region::kCustomList, &r)) return;
    OffsetRect(&r, -m_xOffset, -m_yOffset);
    const int h = r.bottom - r.top;
    r.bottom = r.top + kListHeightFactor * h;

    auto* combo = new CComboBox;
    if (!combo->Create(kComboStyle, r, this, static_cast<UINT>(m_nComboId))) {
        delete combo;
        return;
    }
    m_pCombo = combo;
    combo->SetDroppedWidth(static_cast<UINT>(kDroppedWidthFactor * h));
    if (m_pOwner) {
        LRESULT font = m_pOwner->SendMessage(WM_GETFONT, 0, 0);
        combo->SendMessage(WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    }
}

void CControlPanel::CreateToolTips() {
    m_pToolTip = new CToolTipCtrl;
    m_pToolTip->Create(this, TTS_ALWAYSTIP);
    const auto addTools = [this](const auto& table) {
        for (const ToolTipEntry& tip : table) {
            RECT r;
            if (!GetRegionRect(tip.region, &r)) continue;
            OffsetRect(&r, -m_xOffset, -m_yOffset);
            m_pToolTip->AddTool(this, tip.stringId, &r, tip.stringId);
        }
    };
    addTools(kToolTips);
    addTools(kControlToolTips);
    // The list's own tip is the chosen file's full path.
    if (CComboBox* list = GetCustomList()) m_pToolTip->AddTool(list, "");
    m_pToolTip->Activate(TRUE);
    UpdateCustomHints();
}

void CControlPanel::OnPaint() {
    CPaintDC dc(this);
    Paint(dc);
}

void CControlPanel::OnLButtonDown(UINT flags, CPoint point) {
    int region = 0;
    if (HitTest(point.x, point.y, &region)) {
        switch (region) {
        case kCmdCustomSource: NotifyCustomSource(); break;
        case kCmdAddCustom: OnAddCustomFile(); break;
        case kCmdRemoveCustom: OnRemoveCustomFile(); break;
        case kCmdStop: {
            SetState(kCmdStop, kStateSelected);
            HDC dc = GetDC(m_hWnd);
            DrawRegion(dc, kCmdStop);
            ReleaseDC(m_hWnd, dc);
            PostCommand(kCmdStop, 0);
            break;
        }
        default: PostCommand(region, 0); break;
        }
    }
    CWnd::OnLButtonDown(flags, point);
}

void CControlPanel::OnLButtonUp(UINT flags, CPoint point) {
    // No capture: a press on stop released elsewhere stays drawn pressed until the next
    // release over the button.
    // Custom without a file to play stops the sound; the tip says at once what to do.
    if (HitTestRegion(point.x, point.y, kCmdCustomSource) && m_pToolTip && !GetSelectedCustomPath())
        m_pToolTip->Popup();
    if (HitTestRegion(point.x, point.y, kCmdStop)) {
        SetState(kCmdStop, kStateNormal);
        HDC dc = GetDC(m_hWnd);
        DrawRegion(dc, kCmdStop);
        ReleaseDC(m_hWnd, dc);
    }
    CWnd::OnLButtonUp(flags, point);
}

BOOL CControlPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == CBN_SELCHANGE && LOWORD(wParam) == kIdCustomList) {
        UpdateCustomHints();
        NotifyCustomSource();
    }
    return CWnd::OnCommand(wParam, lParam);
}

BOOL CControlPanel::PreTranslateMessage(MSG* msg) {
    if (m_pToolTip) m_pToolTip->RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

void CControlPanel::SetSettingsPath(const char* path) {
    m_szSettingsPath[0] = '\0';
    if (!path) return;
    const std::size_t length = strnlen(path, kSettingsPathSize);
    if (length >= kSettingsPathSize) return;  // refused: it would not fit with its terminator
    std::memcpy(m_szSettingsPath, path, length + 1);
}

LRESULT CControlPanel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgNotify) {
        switch (wParam) {
        case kNotifySettingsPath:
            SetSettingsPath(reinterpret_cast<const char*>(lParam));
            LoadCustomList();
            break;
        case kNotifySource: HighlightSource(static_cast<int>(lParam)); break;
        case kNotifyPathMode: HighlightPathMode(static_cast<int>(lParam)); break;
        case kNotifyEnvironment: {
            const LPARAM id = lParam;
            const int index = (id >= kCmdEnvFirst && id <= kCmdEnvLast) ? static_cast<int>(id - kCmdEnvFirst) : 6;
            HighlightEnvironment(index);
            break;
        }
        case kNotifyPlayState: ShowPlayState(static_cast<BOOL>(lParam != 0)); break;
        default: break;
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CControlPanel::HighlightSource(int n) {
    HDC dc = GetDC(m_hWnd);
    SelectOne(dc, CountOf(kSourceButtons), n, kSourceButtons);
    ReleaseDC(m_hWnd, dc);
}

void CControlPanel::HighlightPathMode(int n) {
    // Modes 5 and 6 have no button: the row keeps its look.
    if (static_cast<unsigned>(n) > 4u) return;
    HDC dc = GetDC(m_hWnd);
    SelectOne(dc, CountOf(kPathButtons), n, kPathButtons);
    ReleaseDC(m_hWnd, dc);
}

void CControlPanel::HighlightEnvironment(int n) {
    HDC dc = GetDC(m_hWnd);
    SelectOne(dc, CountOf(kEnvironmentButtons), n, kEnvironmentButtons);
    ReleaseDC(m_hWnd, dc);
}

void CControlPanel::ShowPlayState(BOOL playing) {
    SetState(kCmdPlay, playing ? kStateSelected : kStateNormal);
    HDC dc = GetDC(m_hWnd);
    DrawRegion(dc, kCmdPlay);
    ReleaseDC(m_hWnd, dc);
}

void CControlPanel::OnDestroy() {
    CWnd::OnDestroy();
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
        delete m_pToolTip;
        m_pToolTip = nullptr;
    }
    SaveCustomList();
    if (m_nComboId != 0) {
        ClearCustomList();
        if (m_pCombo) {
            m_pCombo->DestroyWindow();
            delete m_pCombo;
            m_pCombo = nullptr;
        }
    }
}
