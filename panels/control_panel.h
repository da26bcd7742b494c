// The skinned panel with every button but exit: sources, the custom-file list with its
// add and remove buttons, paths, rooms, play and stop. It posts presses to the main
// dialog and shows what the main dialog tells it; it keeps the custom list in the
// settings file.
#pragma once

#include <string>
#include <vector>

#include "app/messages.h"
#include "platform/mfc/afxwin.h"
#include "skin/region_group.h"

class CControlPanel : public CWnd, public CRegionGroup {
public:
    CControlPanel();
    ~CControlPanel() override;

    // Each custom item owns a heap copy of its full path in a buffer of this size.
    static constexpr std::size_t kItemPathSize = 260;

    CComboBox* GetCustomList() const;
    void CreateCustomList();
    void CreateToolTips();
    char* GetSelectedCustomPath() const;
    void NotifyCustomSource();
    int AddCustomItem(const char* path);
    // Adds the files (layer paths) that are not listed yet, in order, and selects the
    // first of them; its index, or -1 when none could be listed.
    int JoinCustomFiles(const std::vector<std::string>& paths);
    // Selects item index and returns its path; null, changing nothing, without one.
    const char* PickCustomFile(int index);
    int CustomFileCount() const;
    int CustomFileIndex() const;  // the selected item, or -1
    void DeleteCustomItem(int index);
    void ClearCustomList();
    BOOL ChooseWaveFile(char* buffer);
    // The list's tip (the chosen file's full path), its grey hint, and Custom's tip, which
    // says how to add a file while none is chosen: after every change of the list.
    void UpdateCustomHints();
    void OnAddCustomFile();
    void OnRemoveCustomFile();
    void LoadCustomList();
    void SaveCustomList();
    void HighlightSource(int n);
    void HighlightPathMode(int n);
    void HighlightEnvironment(int n);
    void ShowPlayState(BOOL playing);
    // Copies a settings path of at most 255 characters; a longer one leaves the path empty.
    void SetSettingsPath(const char* path);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnDestroy() override;

    int m_nComboId;
    char m_szSettingsPath[kSettingsPathSize];
    CToolTipCtrl* m_pToolTip;

private:
    void PostCommand(int command, LPARAM lParam);
    CComboBox* m_pCombo;
    // Indexes, ascending, of stored paths too long for an item: not loaded, and their
    // keys are left as the user wrote them when the list is saved.
    std::vector<int> m_aKeptKeys;
};
