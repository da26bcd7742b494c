// The recorded-path file: a header of three words, a point count, then per point one
// position record ("word x y z") and one ignored record ("word a b c d"), in file units.
#pragma once

#include <cstdio>

// File units per view unit is 25; stored points are in view units.
constexpr float kPathFileScale = 0.04f;
// Words are read into a buffer of this size; longer words are cut, their rest skipped.
constexpr int kPathWordBuffer = 260;
// The most of a path file that is read: 180 points of two records, each word at its
// longest, fit (a real file is a few KB); anything after it is not read.
constexpr int kPathFileMaxBytes = 256 * 1024;

// Reads points from an open text stream into xs/ys/zs (capacity entries each) and returns
// how many point slots the file claims, clamped to 0..capacity. Reading stops at the
// capacity. A coordinate the file does not deliver (it ends early or holds a word where a
// number belongs) or that is not finite is stored as 0.
int ReadPathPoints(std::FILE* file, float* xs, float* ys, float* zs, int capacity);
