// The built program as a native Wayland client of a headless Weston, photographed by the
// compositor: the window must show the skin (not a transparent surface), and show it again
// changed when an auto-demo step lights another button. Skipped, saying why, where Weston
// cannot start.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLibraryInfo>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "tests/res/skin_places.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The title strip comes straight from the window bitmap: where it shows, the window is.
constexpr int kStripLeft = 7, kStripTop = 7, kStripRight = 631, kStripBottom = 43;
const Place& PlaceOf(int region) {
    for (const Place& p : kPanelPlaces)
        if (p.region == region) return p;
    return kPanelPlaces[0];
}

struct Skin {
    QImage window = QImage(QStringLiteral(ZOR_RES_DIR "/main.bmp"));
    QImage panel = QImage(QStringLiteral(ZOR_RES_DIR "/panel.bmp"));
    QImage sheet = QImage(QStringLiteral(ZOR_RES_DIR "/sheet.bmp"));
};

bool Same(const QImage& shot, int x, int y, const QImage& art, int ax, int ay) {
    return shot.valid(x, y) && (shot.pixel(x, y) & 0xFFFFFFu) == (art.pixel(ax, ay) & 0xFFFFFFu) &&
           qAlpha(shot.pixel(x, y)) == 255;
}

// The window's client origin in the shot: where the whole title strip matches, opaque.
std::optional<QPoint> FindWindow(const QImage& shot, const QImage& art) {
    for (int oy = 0; oy + kStripBottom <= shot.height(); ++oy) {
        for (int ox = 0; ox + kStripRight <= shot.width(); ++ox) {
            bool all = true;
            for (int y = kStripTop; all && y < kStripBottom; y += 3)
                for (int x = kStripLeft; all && x < kStripRight; x += 2) all = Same(shot, ox + x, oy + y, art, x, y);
            if (all) return QPoint(ox, oy);
        }
    }
    return std::nullopt;
}

// Whether a control-panel button shows its lit (or normal) picture, pixel for pixel.
bool ShowsButton(const QImage& shot, QPoint origin, const Skin& skin, int region, bool lit) {
    const Place& p = PlaceOf(region);
    const QImage& art = lit ? skin.sheet : skin.panel;
    const int sx = lit ? p.selectedX : p.normalX, sy = lit ? p.selectedY : p.normalY;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if (!Same(shot, origin.x() + p.left + x, origin.y() + p.top + y, art, sx + x, sy + y)) return false;
    return true;
}

class WaylandSession {
public:
    explicit WaylandSession(const fs::path& dir) : dir_(dir), runtime_(dir / "runtime") {
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        socket_ = "zor-wayland-" + std::to_string(getpid());
    }

    // Empty once the compositor takes clients; otherwise why it cannot.
    std::string Start() {
        for (const char* tool : {"weston", "weston-screenshooter"})
            if (test_support::FindOnPath(tool).empty()) return std::string(tool) + " is not installed";
        const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
        if (!QFile::exists(plugin)) return "the toolkit's Wayland platform (qt6-wayland) is not installed";
        const fs::path log = dir_ / "weston.log";
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        test_support::ChildOptions options;
        options.environment = {"XDG_RUNTIME_DIR=" + runtime_.string()};
        options.outputFd = fd;
        // --debug lets the screenshooter in; pixman needs no GPU.
        weston_.emplace(std::vector<std::string>{"weston", "--backend=headless-backend.so", "--use-pixman",
                                                 "--socket=" + socket_, "--width=1024", "--height=768",
                                                 "--idle-time=0", "--debug"},
                        options);
        close(fd);
        for (auto waited = 0ms; waited < 15s; waited += 100ms) {
            if (!weston_->Running()) break;
            if (fs::exists(runtime_ / socket_)) return {};
            std::this_thread::sleep_for(100ms);
        }
        std::ifstream in(log);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return "Weston did not start: " + text.substr(text.size() > 600 ? text.size() - 600 : 0);
    }

    std::vector<std::string> ClientEnvironment() const {
        return {"XDG_RUNTIME_DIR=" + runtime_.string(), "WAYLAND_DISPLAY=" + socket_, "QT_QPA_PLATFORM=wayland",
                // Headless Weston has no seat; the toolkit's default input method code
                // crashes on the list box's popup without one.
                "QT_IM_MODULE=compose"};
    }

    // The whole output as the compositor shows it, or a null image.
    QImage Screenshot(const std::string& name) {
        const fs::path folder = dir_ / ("shot-" + name);
        fs::create_directories(folder);
        test_support::ChildOptions options;
        options.environment = ClientEnvironment();
        options.directory = folder.string();
        test_support::ChildProcess shooter({"weston-screenshooter"}, options);
        if (!shooter.Wait(10s)) shooter.Stop(SIGKILL, 0ms);
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".png") continue;
            QImage image(QString::fromStdString(entry.path().string()));
            fs::rename(entry.path(), dir_ / (name + ".png"));
            return image.convertToFormat(QImage::Format_ARGB32);
        }
        return {};
    }

    ~WaylandSession() {
        if (weston_) weston_->Stop(SIGTERM, 3000ms);
    }

private:
    fs::path dir_;
    fs::path runtime_;
    std::string socket_;
    std::optional<test_support::ChildProcess> weston_;
};

TEST(Wayland, TheSkinIsDrawnAndRedrawnAfterADemoStep) {
    const fs::path dir = fs::temp_directory_path() / ("zor_wayland_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "app");
    WaylandSession session(dir);
    if (const std::string why = session.Start(); !why.empty()) {
        fs::remove_all(dir);
        GTEST_SKIP() << why;
    }

    fs::copy_file(ZOR_EXECUTABLE, dir / "app" / "zor3dplayer");
    fs::copy(ZOR_MUSIC_DIR, dir / "app" / "MUSIC", fs::copy_options::recursive);
    // Loopy lit for the first 8 s, whatever the start-up costs; then the helicopter.
    std::ofstream(dir / "app" / "steps.ini")
        << "[Counter]\nDemoCounter=2\nDemoLoop=FALSE\n"
           "[AutoDemo1]\nTimer=8000\nSoundSource=Loopy\nMovingPath =Manual\nEnableEffects=FALSE\n"
           "[AutoDemo2]\nTimer=60000\nSoundSource=Helicopter\nMovingPath =Fly-by\nEnableEffects=FALSE\n";
    test_support::ChildOptions options;
    options.environment = session.ClientEnvironment();
    options.environment.push_back("ALSOFT_DRIVERS=null");
    options.directory = (dir / "app").string();
    test_support::ChildProcess player({(dir / "app" / "zor3dplayer").string(), "steps.ini"}, options);
    ASSERT_TRUE(player.Started()) << player.Error();

    const Skin skin;
    ASSERT_FALSE(skin.window.isNull() || skin.panel.isNull() || skin.sheet.isNull());
    // Polls the screen until it shows the wanted button lit, or the time is up.
    const auto waitForLit = [&](int region, const std::string& name, std::chrono::milliseconds limit) {
        std::optional<QPoint> origin;
        for (auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < limit;) {
            const QImage shot = session.Screenshot(name);
            if (!player.Running()) break;
            origin = FindWindow(shot, skin.window);
            if (origin && ShowsButton(shot, *origin, skin, region, true)) return std::make_pair(origin, shot);
            std::this_thread::sleep_for(300ms);
        }
        return std::make_pair(std::optional<QPoint>(), QImage());
    };

    const auto [first, before] = waitForLit(2, "first-step", 8s);
    ASSERT_TRUE(first) << "no opaque skinned window with Loopy lit; see " << dir / "first-step.png";
    EXPECT_TRUE(ShowsButton(before, *first, skin, 4, false)) << "the helicopter is not lit yet";

    const auto [second, after] = waitForLit(4, "second-step", 15s);
    ASSERT_TRUE(second) << "the helicopter never lit on screen; see " << dir / "second-step.png";
    EXPECT_TRUE(ShowsButton(after, *second, skin, 2, false)) << "Loopy went out";

    EXPECT_EQ(player.Stop(SIGTERM, 10000ms), 0);
    fs::remove_all(dir);
}

}  // namespace
