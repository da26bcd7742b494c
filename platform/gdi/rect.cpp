// Rectangle helpers with the platform's semantics: right and bottom are exclusive, and a
// rectangle with no area is empty whatever its position.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/wingdi.h"

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
    if (!r) return FALSE;
    *r = {left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }

BOOL CopyRect(RECT* dst, const RECT* src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}

// Offsets wrap around rather than overflow, as 32-bit platform arithmetic does.
static LONG WrapAdd(LONG v, long long d) {
    return static_cast<LONG>(static_cast<std::uint32_t>(static_cast<long long>(v) + d));
}

BOOL OffsetRect(RECT* r, int dx, int dy) {
    if (!r) return FALSE;
    *r = {WrapAdd(r->left, dx), WrapAdd(r->top, dy), WrapAdd(r->right, dx), WrapAdd(r->bottom, dy)};
    return TRUE;
}

BOOL InflateRect(RECT* r, int dx, int dy) {
    if (!r) return FALSE;
    *r = {WrapAdd(r->left, -static_cast<long long>(dx)), WrapAdd(r->top, -static_cast<long long>(dy)),
          WrapAdd(r->right, dx), WrapAdd(r->bottom, dy)};
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst) return FALSE;
    if (!a || !b) {
        SetRectEmpty(dst);
        return FALSE;
    }
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r) || IsRectEmpty(a) || IsRectEmpty(b)) {
        SetRectEmpty(dst);
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst) return FALSE;
    const bool useA = a && !IsRectEmpty(a);
    const bool useB = b && !IsRectEmpty(b);
    if (!useA && !useB) {
        SetRectEmpty(dst);
        return FALSE;
    }
    if (!useA) {
        *dst = *b;
    } else if (!useB) {
        *dst = *a;
    } else {
        *dst = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    if (!a || !b) return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
