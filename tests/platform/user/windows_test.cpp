// Window creation and geometry, dialogs from templates, resources, the system menu, the
// file dialog and COM's per-thread count.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/host/null/null_host.h"
#include "platform/kernel/module.h"
#include "platform/user/resources.h"
#include "tests/platform/user/test_window.h"

using namespace test_window;

namespace {

LRESULT Refuse(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Log().push_back(Event{w, m, wp, lp});
    if (m == WM_CREATE) return -1;
    return DefWindowProcA(w, m, wp, lp);
}

std::vector<UINT> Messages(HWND w) {
    std::vector<UINT> out;
    for (auto& e : Log())
        if (e.window == w) out.push_back(e.message);
    return out;
}

}  // namespace

TEST(Windows, CreateRefusedByWmCreateIsDestroyedAndReturnsNull) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = Refuse;
    cls.lpszClassName = "Refuser";
    RegisterClassA(&cls);
    Log().clear();
    HWND w = CreateWindowExA(0, "refuser", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(w, nullptr);
    ASSERT_FALSE(Log().empty());
    HWND made = Log()[0].window;
    EXPECT_EQ(Messages(made), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(made));
    EXPECT_EQ(CreateWindowExA(0, "no such class", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, ClassName(), nullptr, WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(Windows, GeometryResizeAndIds) {
    null_host::NullHost host;
    HWND top = CreateTop(100, 50);
    HWND child = CreateChild(top, 105, RECT{10, 20, 40, 45});
    EXPECT_EQ(GetDlgItem(top, 105), child);
    EXPECT_EQ(GetDlgCtrlID(child), 105);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 105);
    EXPECT_EQ(GetParent(child), top);

    user_host::SetTopLevelPosition(top, 300, 200);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 310);
    EXPECT_EQ(r.top, 220);
    EXPECT_EQ(r.right, 340);
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 25);

    HDC dc = GetDC(top);
    SetPixel(dc, 5, 5, RGB(1, 2, 3));
    ReleaseDC(top, dc);
    // No frame: the new window size is the new client size; the pixels stay.
    SetWindowPos(top, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(top, &r);
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, 480);
    GetWindowRect(top, &r);
    EXPECT_EQ(r.left, 300);
    auto surface = user_host::TopLevelSurface(top);
    EXPECT_EQ(surface->width, 640);
    EXPECT_EQ(host.Pixel(top, 5, 5), 0x010203u);
    DestroyWindow(top);
}

TEST(Windows, AShownDialogWithoutPaintingOfItsOwnShowsTheFaceColour) {
    null_host::NullHost host;
    RegisterDialogTemplate(7101, DialogTemplate{"About", 200, 90, "DejaVu Sans", 9, WS_POPUP | WS_CAPTION});
    HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(7101), nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    host.PumpUntilIdle();
    const std::uint32_t face = 0x00D6D8DEu;  // COLOR_3DFACE as the surface stores it
    for (POINT p : {POINT{0, 0}, POINT{199, 89}, POINT{100, 45}}) EXPECT_EQ(host.Pixel(dialog, p.x, p.y), face);
    DestroyWindow(dialog);
}

TEST(Windows, DialogFromTemplateHasCaptionSizeAndFont) {
    null_host::NullHost host;
    RegisterDialogTemplate(7100, DialogTemplate{"Zor", 320, 200, "DejaVu Sans", 9, WS_POPUP | WS_CAPTION | WS_SYSMENU});
    HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(7100), nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(user_host::WindowCaption(dialog), "Zor");
    ASSERT_NE(user_host::WindowTemplate(dialog), nullptr);
    EXPECT_EQ(user_host::WindowTemplate(dialog)->width, 320);
    RECT r;
    GetClientRect(dialog, &r);
    EXPECT_EQ(r.right, 320);
    auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    std::string face;
    int size = 0;
    ASSERT_TRUE(user_host::GetFontInfo(font, &face, &size));
    EXPECT_EQ(face, "DejaVu Sans");
    EXPECT_EQ(size, 9);
    EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(7199), nullptr, nullptr, 0), nullptr);

    // WM_CLOSE on a dialog becomes IDCANCEL; the dialog decides.
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, dialog, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(LOWORD(msg.wParam), IDCANCEL);
    EXPECT_TRUE(IsWindow(dialog));

    // Enter on a control of the dialog becomes IDOK to the dialog, not a key for the control.
    HWND child = CreateChild(dialog, 3, RECT{0, 0, 20, 20});
    Log().clear();
    PostMessageA(child, WM_KEYDOWN, VK_RETURN, 1);
    host.PumpUntilIdle();
    EXPECT_TRUE(Of(WM_KEYDOWN).empty());
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    MSG key{child, WM_KEYDOWN, VK_ESCAPE, 1, 0, POINT{0, 0}};
    EXPECT_TRUE(IsDialogMessageA(dialog, &key));
    MSG elsewhere{nullptr, WM_KEYDOWN, VK_ESCAPE, 1, 0, POINT{0, 0}};
    EXPECT_FALSE(IsDialogMessageA(dialog, &elsewhere));

    HMENU menu = GetSystemMenu(dialog, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetSystemMenu(dialog, FALSE), menu);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 16, "About...");
    auto items = user_host::SystemMenuItems(dialog);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].separator);
    EXPECT_EQ(items[1].id, 16u);
    EXPECT_EQ(items[1].text, "About...");
    EXPECT_EQ(items[3].id, SC_CLOSE);
    EXPECT_EQ(items[3].text, "Close");
    // Refused: a check outside its group, a group end that is missing.
    for (UINT id : {32u, 48u, 64u}) AppendMenuA(menu, MF_STRING, id, "Choice");
    EXPECT_FALSE(CheckMenuRadioItem(menu, 32, 48, 64, MF_BYCOMMAND) || CheckMenuRadioItem(menu, 32, 99, 32, MF_BYCOMMAND));
    EXPECT_TRUE(CheckMenuRadioItem(menu, 2, 4, 3, MF_BYPOSITION));
    EXPECT_TRUE(user_host::SystemMenuItems(dialog)[3].checked);
    // Inserted before an item named by command; deleted; greyed and back, the old state told.
    EXPECT_TRUE(InsertMenuA(menu, 48, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 80, "Inserted"));
    EXPECT_FALSE(InsertMenuA(menu, 99, MF_BYCOMMAND | MF_STRING, 96, "Nowhere"));
    EXPECT_TRUE(DeleteMenu(menu, 32, MF_BYCOMMAND));
    EXPECT_FALSE(DeleteMenu(menu, 32, MF_BYCOMMAND));
    items = user_host::SystemMenuItems(dialog);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_TRUE(items[2].id == 80 && items[2].grayed && items[3].id == 48 && !items[3].grayed);
    EXPECT_EQ(EnableMenuItem(menu, 80, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, 48, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu, 99, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(-1));
    EXPECT_TRUE(!user_host::SystemMenuItems(dialog)[2].grayed && user_host::SystemMenuItems(dialog)[3].grayed);
    DestroyWindow(dialog);
}

TEST(Windows, StringsTruncateAndMissingOnesAreEmpty) {
    RegisterStringResource(9001, "Kestrel");
    char buffer[5] = "xxxx";
    EXPECT_EQ(LoadStringA(nullptr, 9001, buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "Kest");
    char other[8] = "xxxx";
    EXPECT_EQ(LoadStringA(nullptr, 9002, other, sizeof other), 0);
    EXPECT_STREQ(other, "");
}

TEST(Windows, IconFromBmpKeepsMagentaTransparent) {
    // A 32 x 32, 24-bit bottom-up BMP: left half magenta, right half blue.
    std::vector<std::uint8_t> bmp(54 + 32 * 32 * 3);
    auto le32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    le32(2, static_cast<std::uint32_t>(bmp.size()));
    le32(10, 54);
    le32(14, 40);
    le32(18, 32);
    le32(22, 32);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            std::uint8_t* p = &bmp[54 + (y * 32 + x) * 3];
            if (x < 16) { p[0] = 255; p[1] = 0; p[2] = 255; } else { p[0] = 255; p[1] = 0; p[2] = 0; }
        }
    static std::vector<std::uint8_t> keep;
    keep = bmp;
    RegisterIconResource(9128, keep.data(), keep.size());
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(9128));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(9128)), icon);
    user_host::IconImage image;
    ASSERT_TRUE(user_host::GetIconImage(icon, &image));
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.mask[0], 0);
    EXPECT_EQ(image.mask[31], 1);
    EXPECT_EQ(image.pixels[31], 0x0000FFu);

    null_host::NullHost host;
    HWND top = CreateTop(40, 40);
    HDC dc = GetDC(top);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) SetPixel(dc, x, y, RGB(10, 20, 30));
    EXPECT_TRUE(DrawIcon(dc, 4, 4, icon));
    ReleaseDC(top, dc);
    EXPECT_EQ(host.Pixel(top, 5, 5), 0x0A141Eu);   // behind the transparent half
    EXPECT_EQ(host.Pixel(top, 30, 5), 0x0000FFu);  // the opaque half
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    DestroyWindow(top);
}

TEST(Windows, FileDialogReturnsLayerPathAndMovesTheCurrentDirectory) {
    null_host::NullHost host;
    auto folder = std::filesystem::temp_directory_path() / ("zor_ofn_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto file = folder / "clip.wav";
    std::ofstream(file) << "x";
    auto before = std::filesystem::current_path();

    char path[260] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = 76;
    ofn.lpstrFilter = "Wave files(*.wav)\0*.wav\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    host.QueueOpenFileAnswer(true, file.string());
    ASSERT_EQ(GetOpenFileNameA(&ofn), TRUE);
    std::string expected = LayerPath(file.string());
    EXPECT_EQ(std::string(path), expected);
    EXPECT_EQ(std::string(path + ofn.nFileOffset), "clip.wav");
    EXPECT_EQ(std::string(path + ofn.nFileExtension), "wav");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(folder));
    ASSERT_EQ(host.openFileRequests.size(), 1u);
    ASSERT_EQ(host.openFileRequests[0].filters.size(), 1u);
    EXPECT_EQ(host.openFileRequests[0].filters[0].first, "Wave files(*.wav)");
    EXPECT_EQ(host.openFileRequests[0].filters[0].second, "*.wav");

    // Too small a buffer, a cancel, a missing file: nothing chosen, the buffer untouched.
    std::filesystem::current_path(before);
    char small[8] = "keep";
    ofn.lpstrFile = small;
    ofn.nMaxFile = sizeof small;
    host.QueueOpenFileAnswer(true, file.string());
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    EXPECT_STREQ(small, "keep");
    host.QueueOpenFileAnswer(false, "");
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    host.QueueOpenFileAnswer(true, (folder / "gone.wav").string());
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    // OFN_NOCHANGEDIR keeps the current directory.
    ofn.Flags |= OFN_NOCHANGEDIR;
    host.QueueOpenFileAnswer(true, file.string());
    EXPECT_EQ(GetOpenFileNameA(&ofn), TRUE);
    EXPECT_EQ(std::filesystem::current_path(), before);
    std::filesystem::remove_all(folder);
}

TEST(Windows, ComCountsPerThread) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

TEST(Windows, SnapshotFilesDecodeBackToThePixels) {
    null_host::NullHost host;
    HWND top = CreateTop(7, 3);
    HDC dc = GetDC(top);
    SetPixel(dc, 6, 2, RGB(200, 100, 50));
    ReleaseDC(top, dc);
    auto bmpPath = std::filesystem::temp_directory_path() / ("zor_snap_" + std::to_string(getpid()) + ".bmp");
    ASSERT_TRUE(host.SaveBmp(top, bmpPath.string()));
    std::ifstream in(bmpPath, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    HBITMAP decoded = gdi::CreateBitmapFromBmp(bytes.data(), bytes.size(), false);
    ASSERT_NE(decoded, nullptr);
    auto surface = gdi::SurfaceOfBitmap(decoded);
    EXPECT_EQ(surface->width, 7);
    EXPECT_EQ(surface->pixels[2 * 7 + 6], 0xC86432u);
    DeleteObject(decoded);
    std::filesystem::remove(bmpPath);

    auto pngPath = std::filesystem::temp_directory_path() / ("zor_snap_" + std::to_string(getpid()) + ".png");
    ASSERT_TRUE(host.SavePng(top, pngPath.string()));
    std::ifstream png(pngPath, std::ios::binary);
    std::vector<std::uint8_t> p((std::istreambuf_iterator<char>(png)), {});
    ASSERT_GT(p.size(), 33u);
    EXPECT_EQ(p[1], 'P');
    EXPECT_EQ(p[19], 7);  // IHDR width
    EXPECT_EQ(p[23], 3);  // IHDR height
    std::filesystem::remove(pngPath);
    DestroyWindow(top);
}
