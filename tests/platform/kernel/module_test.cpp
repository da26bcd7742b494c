#include "platform/kernel/module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

std::string RealExePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

TEST(ModuleFileNameTest, GivesTheExecutablePathInBackslashForm) {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string expected = LayerPath(RealExePath());
    EXPECT_EQ(std::string(buf, n), expected);
    EXPECT_EQ(std::strchr(buf, '/'), nullptr);
    EXPECT_EQ(NativePath(buf), RealExePath());
}

TEST(ModuleFileNameTest, TruncatesAndTerminates) {
    char full[MAX_PATH];
    DWORD whole = GetModuleFileNameA(nullptr, full, MAX_PATH);
    ASSERT_GT(whole, 5u);
    char small[6];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
    EXPECT_EQ(std::string(small), std::string(full, 5));
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
    EXPECT_EQ(small[0], full[0]);
}

TEST(ModuleFileNameTest, ProgramFolderIsFoundWithMultibyteSearch) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    auto* last = _mbsrchr(reinterpret_cast<unsigned char*>(path), '\\');
    ASSERT_NE(last, nullptr);
    *last = '\0';
    EXPECT_EQ(NativePath(path) + "/", RealExePath().substr(0, RealExePath().rfind('/') + 1));
}

TEST(MbsrchrTest, FindsLastOccurrenceOrNothing) {
    const unsigned char text[] = "a\\b\xC3\xA9\\c";
    EXPECT_EQ(_mbsrchr(text, '\\'), text + 5);
    EXPECT_EQ(_mbsrchr(text, 'z'), nullptr);
    EXPECT_EQ(_mbsrchr(text, '\0'), text + 7);  // the terminator counts
    EXPECT_EQ(_mbsrchr(nullptr, '\\'), nullptr);
}

TEST(PathTest, ConvertsBetweenLayerAndNativeForms) {
    EXPECT_EQ(NativePath("\\home\\u\\MUSIC\\x.wav"), "/home/u/MUSIC/x.wav");
    EXPECT_EQ(NativePath("mixed/a\\b"), "mixed/a/b");
    EXPECT_EQ(NativePath(nullptr), "");
    EXPECT_EQ(LayerPath("/a/b"), "\\a\\b");
}

int TestEntry() { return 42; }

TEST(LoadLibraryTest, OnlyRegisteredModulesLoad) {
    EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    RegisterLayerModule("kerneltest.dll", {{"Entry", reinterpret_cast<FARPROC>(&TestEntry)}});
    HMODULE m = LoadLibraryA("KernelTest.DLL");
    ASSERT_NE(m, nullptr);
    FARPROC p = GetProcAddress(m, "Entry");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<int (*)()>(p)(), 42);
    EXPECT_EQ(GetProcAddress(m, "entry"), nullptr);
    EXPECT_EQ(GetProcAddress(m, "Missing"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "Entry"), nullptr);
}

TEST(LoadLibraryTest, FreeLibraryCountsLoads) {
    RegisterLayerModule("counted.dll", {{"Entry", reinterpret_cast<FARPROC>(&TestEntry)}});
    HMODULE a = LoadLibraryA("counted.dll");
    HMODULE b = LoadLibraryA("counted.dll");
    ASSERT_EQ(a, b);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(GetProcAddress(b, "Entry"), nullptr);
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_EQ(GetProcAddress(b, "Entry"), nullptr);
    EXPECT_FALSE(FreeLibrary(b));
    EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace
