#include "motion/path_file.h"

#include <cmath>

namespace {

// One whitespace-delimited word, at most kPathWordBuffer - 1 characters; the rest of an
// overlong word is consumed so the records that follow stay aligned.
void SkipWord(std::FILE* file) {
    char word[kPathWordBuffer];
    if (std::fscanf(file, "%259s", word) == 1) {
        std::fscanf(file, "%*[^ \t\n\v\f\r]");
    }
}

int ReadCount(std::FILE* file, int capacity) {
    // A long cannot be overflowed into an arbitrary int: glibc saturates it, and the
    // value is clamped to the capacity below.
    long count = 0;
    if (std::fscanf(file, "%ld", &count) != 1) {
        return 0;
    }
    if (count <= 0) {
        return 0;
    }
    return count > capacity ? capacity : static_cast<int>(count);
}

// "inf" and "nan" are valid numbers to the formatted reader but no place to put a source.
float ToViewUnits(float fileValue) {
    const float view = fileValue * kPathFileScale;
    return std::isfinite(view) ? view : 0.0f;
}

}  // namespace

int ReadPathPoints(std::FILE* file, float* xs, float* ys, float* zs, int capacity) {
    if (file == nullptr || capacity <= 0) {
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        SkipWord(file);
    }
    const int count = ReadCount(file, capacity);
    for (int i = 0; i < count; ++i) {
        // Like a chain of conversions, a number that fails stops the rest of its record.
        SkipWord(file);
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        std::fscanf(file, "%f %f %f", &x, &y, &z);
        SkipWord(file);
        float ignored[4];
        std::fscanf(file, "%f %f %f %f", &ignored[0], &ignored[1], &ignored[2], &ignored[3]);
        xs[i] = ToViewUnits(x);
        ys[i] = ToViewUnits(y);
        zs[i] = ToViewUnits(z);
    }
    return count;
}
