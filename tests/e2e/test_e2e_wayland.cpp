// The built program as a native Wayland client of a private headless Weston, photographed
// by the compositor: the window must show the skin opaque, and show it again changed when
// an auto-demo step lights another button. Skipped, saying why, where Weston cannot start.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLibraryInfo>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "tests/res/skin_places.h"
#include "tests/support/cannot_run.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const QImage kWindowArt(ZOR_RES_DIR "/main.bmp"), kPanelArt(ZOR_RES_DIR "/panel.bmp"), kSheetArt(ZOR_RES_DIR "/sheet.bmp");
// The on-screen pixel is the artwork's, and opaque.
bool Same(const QImage& shot, QPoint at, const QImage& art, QPoint from) {
    return shot.valid(at) && qAlpha(shot.pixel(at)) == 255 && (shot.pixel(at) & 0xFFFFFF) == (art.pixel(from) & 0xFFFFFF);
}

// Where the client area starts: where the whole title strip (7, 7)-(631, 43) shows.
std::optional<QPoint> FindWindow(const QImage& shot) {
    for (int oy = 0; oy + 43 <= shot.height(); ++oy)
        for (int ox = 0; ox + 631 <= shot.width(); ++ox) {
            bool all = true;
            for (int y = 7; all && y < 43; y += 3)
                for (int x = 7; all && x < 631; x += 2) all = Same(shot, QPoint(ox + x, oy + y), kWindowArt, QPoint(x, y));
            if (all) return QPoint(ox, oy);
        }
    return std::nullopt;
}

bool ShowsButton(const QImage& shot, QPoint origin, int region, bool lit) {
    for (const Place& p : kPanelPlaces) {
        if (p.region != region) continue;
        const QPoint from = lit ? QPoint(p.selectedX, p.selectedY) : QPoint(p.normalX, p.normalY);
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x)
                if (!Same(shot, origin + QPoint(p.left + x, p.top + y), lit ? kSheetArt : kPanelArt, from + QPoint(x, y)))
                    return false;
        return true;
    }
    return false;
}

struct Weston {
    fs::path dir;
    std::vector<std::string> client;  // the environment that reaches it
    std::optional<test_support::ChildProcess> process;
    // Empty once it takes clients; otherwise why it cannot.
    std::string Start() {
        for (const char* tool : {"weston", "weston-screenshooter"})
            if (test_support::FindOnPath(tool).empty()) return std::string(tool) + " is not installed";
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so"))
            return "the toolkit's Wayland platform (qt6-wayland) is not installed";
        const fs::path runtime = dir / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        const std::string socket = "zor-wayland-" + std::to_string(getpid());
        // Headless Weston has no seat: the toolkit's default input method crashes on the
        // list box's popup without one. --debug lets the screenshooter in.
        client = {"XDG_RUNTIME_DIR=" + runtime.string(), "WAYLAND_DISPLAY=" + socket, "QT_QPA_PLATFORM=wayland",
                  "QT_IM_MODULE=compose"};
        test_support::ChildOptions options{{client[0]}, false, "", open((dir / "weston.log").c_str(), O_WRONLY | O_CREAT, 0600)};
        process.emplace(std::vector<std::string>{"weston", "--backend=headless-backend.so", "--use-pixman",
                                                 "--socket=" + socket, "--width=1024", "--height=768",
                                                 "--idle-time=0", "--debug"},
                        options);
        close(options.outputFd);
        for (auto waited = 0ms; waited < 15s && process->Running(); waited += 100ms) {
            if (fs::exists(runtime / socket)) return {};
            std::this_thread::sleep_for(100ms);
        }
        return "Weston did not start; its log is " + (dir / "weston.log").string();
    }
    // The whole output, kept as name.png beside the log.
    QImage Screenshot(const std::string& name) {
        const fs::path folder = dir / "shooting";
        fs::create_directories(folder);
        test_support::ChildProcess shooter({"weston-screenshooter"}, {client, false, folder.string()});
        if (!shooter.Wait(10s)) shooter.Stop(SIGKILL, 0ms);
        for (const auto& entry : fs::directory_iterator(folder)) {
            fs::rename(entry.path(), dir / (name + ".png"));
            return QImage(QString::fromStdString((dir / (name + ".png")).string())).convertToFormat(QImage::Format_ARGB32);
        }
        return {};
    }
    ~Weston() {
        if (process) process->Stop(SIGTERM, 3000ms);
    }
};

TEST(Wayland, TheSkinIsDrawnAndRedrawnAfterADemoStep) {
    const fs::path dir = fs::temp_directory_path() / ("zor_wayland_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "app");
    Weston weston{dir, {}, {}};
    if (const std::string why = weston.Start(); !why.empty()) return test_support::CannotRunHere(why);
    fs::copy_file(ZOR_EXECUTABLE, dir / "app/zor3dplayer");
    fs::copy(ZOR_MUSIC_DIR, dir / "app/MUSIC", fs::copy_options::recursive);
    // Loopy lit for the first 8 s, whatever the start-up costs; then the helicopter.
    std::ofstream(dir / "app/steps.ini") << "[Counter]\nDemoCounter=2\n"
                                            "[AutoDemo1]\nTimer=8000\nSoundSource=Loopy\nMovingPath =Manual\n"
                                            "[AutoDemo2]\nTimer=60000\nSoundSource=Helicopter\nMovingPath =Fly-by\n";
    test_support::ChildOptions options{weston.client, false, (dir / "app").string()};
    options.environment.push_back("ALSOFT_DRIVERS=null");
    test_support::ChildProcess player({(dir / "app/zor3dplayer").string(), "steps.ini"}, options);
    ASSERT_TRUE(player.Started()) << player.Error();
    // Polls the screen until the window shows the button lit; the window's origin, or none.
    const auto waitForLit = [&](int region, const std::string& name, auto limit) -> std::optional<QPoint> {
        for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < limit;) {
            const QImage shot = weston.Screenshot(name);
            const std::optional<QPoint> origin = FindWindow(shot);
            if (origin && ShowsButton(shot, *origin, region, true)) {
                EXPECT_TRUE(ShowsButton(shot, *origin, region == 2 ? 4 : 2, false)) << "the other one is not lit";
                return origin;
            }
            if (!player.Running()) break;
            std::this_thread::sleep_for(300ms);
        }
        return std::nullopt;
    };
    ASSERT_TRUE(waitForLit(2, "first-step", 8s)) << "no opaque skinned window with Loopy lit: " << dir / "first-step.png";
    ASSERT_TRUE(waitForLit(4, "second-step", 15s)) << "the next step never reached the screen: " << dir / "second-step.png";
    EXPECT_EQ(player.Stop(SIGTERM, 10000ms), 0);
    fs::remove_all(dir);
}

}  // namespace
