// The system menu's binaural data sets: the group of sets on offer, the SOFA import and
// the listening test, and what each choice does.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/demo_dlg.h"
#include "app/ear_test.h"
#include "panels/user_notice.h"
#include "platform/hrtf/hrtf_sets.h"
#include "res/resource_ids.h"

namespace {

constexpr char kSofaFilter[] = "SOFA files (*.sofa)\0*.sofa\0All files\0*\0";
constexpr UINT kHeadingCommand = 0x70;

void Tell(HWND owner, UINT type, const char* text) { ::MessageBoxA(owner, text, "Zor3DPlayer", type); }

// The built-in set, then the latest imports on offer, as many as the test compares.
std::vector<std::string> SetsToTest(const std::vector<std::string>& offered) {
    std::vector<std::string> sets;
    if (offered.empty()) return sets;
    sets.push_back(offered.front());
    for (const std::string& name : hrtf::ImportedSetNames()) {
        if (sets.size() >= kMaxTestedSets) break;
        if (std::find(offered.begin(), offered.end(), name) != offered.end() &&
            std::find(sets.begin(), sets.end(), name) == sets.end())
            sets.push_back(name);
    }
    return sets;
}

}  // namespace

void CDemoDlg::AppendHrtfItems(CMenu* menu) {
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING | MF_GRAYED, kHeadingCommand, ResourceText(IDS_HRTF_HEADING).c_str());
    menu->AppendMenu(MF_STRING, kImportHrtfCommand, ResourceText(IDS_HRTF_IMPORT).c_str());
    menu->AppendMenu(MF_STRING, kTestEarsCommand, ResourceText(IDS_EARTEST).c_str());
    UpdateSystemMenu(menu);
}

void CDemoDlg::UpdateSystemMenu(CMenu* menu) {
    // The sets on offer depend on the output and on what was imported since: asked afresh.
    for (std::size_t i = 0; i < m_hrtf.menuSets.size(); ++i) menu->DeleteMenu(HrtfSetCommand(i), MF_BYCOMMAND);
    m_hrtf.menuSets = GetHrtfSets();
    if (m_hrtf.menuSets.size() > kMaxHrtfSetItems) m_hrtf.menuSets.resize(kMaxHrtfSetItems);
    const std::string inUse = GetHrtfSetInUse();
    // They apply to headphones: on speakers they are shown, with the choice, but greyed.
    const bool binaural = !inUse.empty();
    const bool testing = m_pEarTest != nullptr;
    std::size_t checked = 0;
    for (std::size_t i = 0; i < m_hrtf.menuSets.size(); ++i) {
        const std::string& name = m_hrtf.menuSets[i];
        menu->InsertMenu(kImportHrtfCommand, MF_BYCOMMAND | MF_STRING | (binaural && !testing ? MF_ENABLED : MF_GRAYED),
                         HrtfSetCommand(i), name.c_str());
        if (name == (binaural ? inUse : GetHrtfSet())) checked = i;
    }
    if (!m_hrtf.menuSets.empty())
        menu->CheckMenuRadioItem(HrtfSetCommand(0), HrtfSetCommand(m_hrtf.menuSets.size() - 1), HrtfSetCommand(checked),
                                 MF_BYCOMMAND);
    const bool busy = testing || m_hrtfImport.joinable() || m_nDemoTimer != 0;
    menu->EnableMenuItem(kImportHrtfCommand, MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED));
    menu->EnableMenuItem(kTestEarsCommand, MF_BYCOMMAND | (busy || m_hrtf.menuSets.empty() ? MF_GRAYED : MF_ENABLED));
    for (const SoundChoice& choice : kSoundChoices)
        menu->EnableMenuItem(choice.command, MF_BYCOMMAND | (testing ? MF_GRAYED : MF_ENABLED));
}

void CDemoDlg::ChooseHrtfSet(const std::string& name) { SetHrtfSet(name); }

void CDemoDlg::ImportHrtf() {
    if (m_pEarTest || m_hrtfImport.joinable()) return;
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = kSofaFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    // The program's current folder is where its path file is read: it stays.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&ofn) != 1) return;
    m_strImportFile = ShownPath(file);
    // Reading and converting a set takes a second or two: the window stays alive meanwhile.
    m_hrtfImport = std::thread([this, window = m_hWnd] {
        const hrtf::ImportResult result = hrtf::ImportSofaFile(m_strImportFile);
        m_strImportName = result.ok ? result.name : std::string();
        m_strImportFailure = result.ok ? std::string() : result.reason;
        ::PostMessageA(window, kMsgHrtfImported, 0, 0);
    });
}

void CDemoDlg::OnHrtfImported() {
    if (!m_hrtfImport.joinable()) return;
    m_hrtfImport.join();
    char text[2048];
    if (m_strImportName.empty()) {
        std::snprintf(text, sizeof text, ResourceText(IDS_HRTF_NOTIMPORTED).c_str(), m_strImportFile.c_str(),
                      m_strImportFailure.c_str());
        Tell(m_hWnd, MB_OK | MB_ICONWARNING, text);
        return;
    }
    ChooseHrtfSet(m_strImportName);
    std::snprintf(text, sizeof text, ResourceText(IDS_HRTF_IMPORTED).c_str(), m_strImportName.c_str());
    Tell(m_hWnd, MB_OK | MB_ICONINFORMATION, text);
}

void CDemoDlg::StartEarTest() {
    if (m_pEarTest || m_hrtfImport.joinable() || m_nDemoTimer != 0) return;
    std::vector<std::string> sets = SetsToTest(GetHrtfSets());
    if (sets.empty()) return;
    const auto seed = static_cast<std::mt19937::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    m_pEarTest = std::make_unique<CEarTest>(this, std::move(sets), seed);
    // One that cannot run ends as one ended early.
    if (!m_pEarTest->Begin()) OnEarTestOver();
}

void CDemoDlg::OnEarTestOver() {
    if (!m_pEarTest) return;
    std::unique_ptr<CEarTest> test = std::move(m_pEarTest);
    const bool resume = test->InterruptedPlayback();
    if (!test->Completed()) {
        // Ended early: everything goes back as it was.
        test.reset();
        if (resume) StartPlayback();
        return;
    }
    const CListeningTest& result = test->Test();
    const std::vector<EarScore> scores = result.Scores();
    const std::string best = scores[static_cast<std::size_t>(result.BestSet())].set;
    m_hrtf.testLines.clear();
    std::string lines;
    for (const EarScore& score : scores) {
        m_hrtf.testLines.push_back(TestResultLine(score));
        lines += m_hrtf.testLines.back() + "\n";
    }
    const int bursts = result.Count();
    test.reset();  // the sound as it was before, then the best set chosen
    ChooseHrtfSet(best);
    if (resume) StartPlayback();
    char text[4096];
    std::snprintf(text, sizeof text, ResourceText(IDS_EARTEST_RESULTS).c_str(), bursts, lines.c_str(), best.c_str());
    ::MessageBoxA(m_hWnd, text, ResourceText(IDS_EARTEST_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
}
