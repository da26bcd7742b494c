// The listening test as the listener meets it: bursts of noise from hidden directions,
// rendered binaural whatever the output is set to, answered with a click in the room
// view; Esc or Exit ends it. It puts back everything it changed when it goes, but for the
// clip it stopped.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/listening_test.h"
#include "platform/dsound/dsound.h"
#include "platform/mfc/afxwin.h"

class CDemoDlg;
class CSpatialPlayer;

class CEarTest {
public:
    static constexpr UINT_PTR kTimerId = 547;

    CEarTest(CDemoDlg* dialog, std::vector<std::string> sets, std::mt19937::result_type seed);
    ~CEarTest();
    CEarTest(const CEarTest&) = delete;
    CEarTest& operator=(const CEarTest&) = delete;

    // Asks for headphones and prepares the first burst; false (the user told why, or the
    // user declined) when the test cannot run. Where the output cannot render binaural,
    // the user is told and the test ends.
    bool Begin();
    // The test's own input while it runs: clicks anywhere in the window, Esc. TRUE when
    // the message was the test's.
    BOOL PreTranslateMessage(MSG* msg);
    void OnTimer(UINT_PTR id);

    // Every burst answered: the scores are final.
    bool Completed() const { return m_test.Done(); }
    // A clip played when the test began; it is the dialog's to start again.
    bool InterruptedPlayback() const { return m_bWasPlaying; }
    const CListeningTest& Test() const { return m_test; }

private:
    enum class Phase { Preparing, Listening, Answered, Over };

    void PrepareBurst();
    void PlayBurstOnceRendered();
    void TakeAnswer(POINT skinPoint);
    void Finish();
    void ShowProgress();

    CDemoDlg* m_pDlg;
    CListeningTest m_test;
    std::unique_ptr<CSpatialPlayer> m_pBurst;
    Phase m_phase = Phase::Over;
    bool m_bBegun = false;
    DWORD m_dwPrepared = 0;  // when the set of the burst to come was asked for
    // What the test changes and puts back.
    std::string m_strSet;
    RECT m_rcSprite;
    bool m_bWasPlaying = false;
    std::string m_strCaption;
};
