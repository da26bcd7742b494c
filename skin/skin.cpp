// The region table and drawing of CSkin. Indices are compared as unsigned so that a
// negative region, state or bitmap index is simply out of range.
#include "skin/skin.h"

#include <climits>
#include <cstdint>

namespace {

constexpr int kImageStates = 3;  // states 0, 1, 2 have images; 3 and 4 draw nothing

bool Below(int value, int limit) { return static_cast<unsigned>(value) < static_cast<unsigned>(limit); }

// Sizes and positions are worked out wide and saturated, so a hostile rectangle gives a
// huge transfer that the DC clips, never an overflow.
int Clamped(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}
int Extent(LONG lo, LONG hi) { return Clamped(static_cast<long long>(hi) - lo); }

// A rectangle in skin coordinates moved back by a window's offset, in the platform's
// wrap-around 32-bit arithmetic.
RECT MovedBack(const RECT& r, int xOffset, int yOffset) {
    auto sub = [](LONG v, int d) {
        return static_cast<LONG>(static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(d));
    };
    return RECT{sub(r.left, xOffset), sub(r.top, yOffset), sub(r.right, xOffset), sub(r.bottom, yOffset)};
}

}  // namespace

CSkin::CSkin()
    : m_nBitmaps(0),
      m_phdcBitmap(nullptr),
      m_phbmBitmap(nullptr),
      m_nRegions(0),
      m_prcDest(nullptr),
      m_pnState(nullptr),
      m_ppnStateBitmap(nullptr),
      m_pprcStateSource(nullptr),
      m_hdcWork(nullptr),
      m_hbmWork(nullptr) {}

CSkin::~CSkin() {
    if (m_phdcBitmap && m_phbmBitmap) {
        for (int i = 0; i < m_nBitmaps; ++i) {
            if (m_phdcBitmap[i]) DeleteDC(m_phdcBitmap[i]);
            if (m_phbmBitmap[i]) DeleteObject(m_phbmBitmap[i]);
        }
    }
    delete[] m_phdcBitmap;
    delete[] m_phbmBitmap;
    if (m_hdcWork) DeleteDC(m_hdcWork);
    if (m_hbmWork) DeleteObject(m_hbmWork);
    delete[] m_prcDest;
    delete[] m_pnState;
    if (m_ppnStateBitmap)
        for (int i = 0; i < m_nRegions; ++i) delete[] m_ppnStateBitmap[i];
    delete[] m_ppnStateBitmap;
    if (m_pprcStateSource)
        for (int i = 0; i < m_nRegions; ++i) delete[] m_pprcStateSource[i];
    delete[] m_pprcStateSource;
}

void CSkin::Allocate() {
    // Called once from the subclass constructor; the tables are sized by the counts then.
    if (m_nBitmaps > 0 && !m_phdcBitmap) {
        m_phdcBitmap = new HDC[m_nBitmaps]();
        m_phbmBitmap = new HBITMAP[m_nBitmaps]();
        m_hdcWork = nullptr;
        m_hbmWork = nullptr;
    }
    if (m_nRegions > 0 && !m_prcDest) {
        m_prcDest = new RECT[m_nRegions]();
        m_pnState = new int[m_nRegions];
        m_ppnStateBitmap = new int*[m_nRegions];
        m_pprcStateSource = new RECT*[m_nRegions];
        for (int i = 0; i < m_nRegions; ++i) {
            m_pnState[i] = kStateHidden;
            m_ppnStateBitmap[i] = new int[kImageStates];
            m_pprcStateSource[i] = new RECT[kImageStates]();
            for (int s = 0; s < kImageStates; ++s) m_ppnStateBitmap[i][s] = m_nBitmaps + 1;
        }
    }
}

void CSkin::SetRegion(int region, int state, int left, int top, int right, int bottom) {
    if (!Below(region, m_nRegions) || !m_prcDest) return;
    SetRect(&m_prcDest[region], left, top, right, bottom);
    m_pnState[region] = state;
}

void CSkin::SetStateSource(int region, int state, int bitmap, int left, int top, int right, int bottom) {
    if (!Below(region, m_nRegions) || !Below(state, kImageStates) || !m_prcDest) return;
    m_ppnStateBitmap[region][state] = bitmap;
    SetRect(&m_pprcStateSource[region][state], left, top, right, bottom);
}

void CSkin::SetState(int region, int state) {
    if (!Below(region, m_nRegions) || !Below(state, kStateHidden + 1) || !m_pnState) return;
    m_pnState[region] = state;
}

void CSkin::SetRegionRect(int region, int left, int top, int right, int bottom) {
    if (!Below(region, m_nRegions) || !m_prcDest) return;
    SetRect(&m_prcDest[region], left, top, right, bottom);
}

int CSkin::GetRegionRect(int region, RECT* out) const {
    if (!Below(region, m_nRegions) || !m_prcDest || !out) return 0;
    *out = m_prcDest[region];
    return 1;
}

int CSkin::GetState(int region) const {
    if (!Below(region, m_nRegions) || !m_pnState) return -1;
    return m_pnState[region];
}

int CSkin::CopyStateSources(int toRegion, int fromRegion) {
    if (!Below(toRegion, m_nRegions) || !Below(fromRegion, m_nRegions) || !m_prcDest) return 0;
    for (int s = 0; s < kImageStates; ++s) {
        m_ppnStateBitmap[toRegion][s] = m_ppnStateBitmap[fromRegion][s];
        m_pprcStateSource[toRegion][s] = m_pprcStateSource[fromRegion][s];
    }
    return 1;
}

int CSkin::HitTest(int region, int x, int y) const {
    if (!Below(region, m_nRegions) || !m_prcDest) return 0;
    return PtInRect(&m_prcDest[region], POINT{x, y}) ? 1 : 0;
}

// The DC that holds the region's current image, or null when the region shows nothing.
static HDC ImageSource(const CSkin& skin, int region, const RECT** source) {
    if (!Below(region, skin.m_nRegions) || !skin.m_prcDest || !skin.m_phdcBitmap) return nullptr;
    const int state = skin.m_pnState[region];
    if (!Below(state, kImageStates)) return nullptr;
    const int bitmap = skin.m_ppnStateBitmap[region][state];
    if (!Below(bitmap, skin.m_nBitmaps)) return nullptr;
    *source = &skin.m_pprcStateSource[region][state];
    return skin.m_phdcBitmap[bitmap];
}

void CSkin::Draw(HDC dc, int region, int xOffset, int yOffset) const {
    const RECT* s = nullptr;
    HDC image = dc ? ImageSource(*this, region, &s) : nullptr;
    if (!image) return;
    // The destination sets the size; the source gives only its top-left corner.
    const RECT d = MovedBack(m_prcDest[region], xOffset, yOffset);
    BitBlt(dc, d.left, d.top, Extent(d.left, d.right), Extent(d.top, d.bottom), image, s->left, s->top, SRCCOPY);
}

void CSkin::DrawClipped(HDC dc, int region, const RECT* clip, int xOffset, int yOffset) const {
    const RECT* s = nullptr;
    HDC image = dc && clip ? ImageSource(*this, region, &s) : nullptr;
    if (!image) return;
    const RECT d = MovedBack(m_prcDest[region], xOffset, yOffset);
    const RECT k = MovedBack(*clip, xOffset, yOffset);
    RECT inside;
    IntersectRect(&inside, &d, &k);
    if (!EqualRect(&inside, &k)) return;  // only a clip wholly inside the region is drawn
    BitBlt(dc, k.left, k.top, Extent(k.left, k.right), Extent(k.top, k.bottom), image,
           Clamped(static_cast<long long>(s->left) + k.left - d.left),
           Clamped(static_cast<long long>(s->top) + k.top - d.top), SRCCOPY);
}

void CSkin::DrawSprite(HDC dc, int spriteRegion, int maskRegion, const RECT* dest, const RECT* size, int xOffset,
                       int yOffset) const {
    if (!dc || !m_hdcWork || !m_hbmWork || !dest || !size) return;
    const RECT* s = nullptr;
    const RECT* m = nullptr;
    HDC sprite = ImageSource(*this, spriteRegion, &s);
    HDC mask = ImageSource(*this, maskRegion, &m);
    if (!sprite || !mask) return;
    const int w = Extent(s->left, s->right), h = Extent(s->top, s->bottom);
    const int W = Extent(size->left, size->right), H = Extent(size->top, size->bottom);
    const RECT d = MovedBack(*dest, xOffset, yOffset);
    const int dw = Extent(d.left, d.right), dh = Extent(d.top, d.bottom);

    // Work surface: the sprite where the mask is black, black where it is white.
    BitBlt(m_hdcWork, 0, 0, w, h, sprite, s->left, s->top, SRCCOPY);
    BitBlt(m_hdcWork, 0, 0, w, h, mask, m->left, m->top, DSna);
    // Cut the sprite's shape out of the background, then fill the hole with the sprite.
    StretchBlt(dc, d.left, d.top, dw, dh, mask, m->left, m->top, W, H, SRCAND);
    StretchBlt(dc, d.left, d.top, dw, dh, m_hdcWork, 0, 0, W, H, SRCPAINT);
}
