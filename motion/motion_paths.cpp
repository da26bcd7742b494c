// The motion generator: every path mode advances by one tick per NextPosition. The paths
// are counted in ticks, so their speed follows from the caller's tick interval.
#include <cmath>
#include <ctime>

#include "motion/spatial_player.h"
#include "motion/units.h"
#include "platform/kernel/crt_rand.h"

namespace {

enum PathMode {
    kManual = 0,
    kHorizontal = 1,
    kVertical = 2,
    kFlyBy = 3,
    kInsect = 4,
    kSpiral = 5,
    kPathFile = 6,
};

constexpr int kCircleTicks = 500;
constexpr double kCircleStep = 0.012566370614;  // 2 pi / 500
constexpr double kCircleRadius = 1.6;

constexpr int kFlyByTicks = 240;                          // one swing there and back
constexpr int kFlyByLegTicks = 120;
constexpr double kFlyByStep = 0.026179938779166665;        // 2 pi / 240
constexpr double kFlyByHalfWidth = 3.0;

constexpr int kSpiralTicks = 100;
constexpr double kSpiralStep = 0.06283185307;             // 2 pi / 100

constexpr float kRoomLimit = 3.0f;
// An insect above or below the room's limit is shown at half the limit's height.
constexpr float kInsectHeightLimit = 1.5f;
// The float 0x3F666667, one unit in the last place above 0.9f (0x3F666666): the insect's
// output factor is this value, not the float nearest 0.9.
constexpr float kInsectOutputScale = 0.90000004f;
constexpr float kInsectStep = 0.03f;
constexpr float kInsectStart = 2.0f;
constexpr float kInsectMinTargetRadius = 0.3f;
// The single-precision value nearest 1/32767, so rand's 0..32767 maps onto 0..1.
constexpr float kRandScale = 3.0518509e-5f;

float Length(float x, float y, float z) {
    return static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y +
                                        static_cast<double>(z) * z));
}

}  // namespace

void CSpatialPlayer::SetPathMode(int mode) {
    m_pathMode = mode;
    m_tick = 0;
    m_leg = 0;
    if (mode == kInsect) {
        msvcrt::srand(static_cast<unsigned int>(std::time(nullptr)));
        m_insectPos = Vec3{0.0f, 0.0f, kInsectStart};
        m_insectVel = Vec3{0.0f, 0.0f, 0.0f};
        PickInsectTarget();
        m_insectStep = kInsectStep;
        m_damping = static_cast<float>(std::exp(-0.02));
    }
    m_pointIndex = 0;
    m_height = m_baseHeight;
    m_radius = 3.0f;
    m_radiusStep = 0.003f;
    m_radiusDir = -1;
    m_heightDir = -1;
    m_heightStep = static_cast<float>(m_baseHeight * 0.1);
}

void CSpatialPlayer::NextPosition(Vec3* out) {
    switch (m_pathMode) {
        case kHorizontal:
            NextCircle(false);
            break;
        case kVertical:
            NextCircle(true);
            break;
        case kFlyBy:
            NextFlyBy();
            break;
        case kInsect:
            NextInsect();
            break;
        case kSpiral:
            NextSpiral();
            break;
        case kPathFile:
            NextPathPoint(out);
            return;
        default:
            break;  // Manual and unknown modes hold the source where it is.
    }
    if (out != nullptr) {
        *out = SoundToView(m_pos);
    }
}

void CSpatialPlayer::NextCircle(bool vertical) {
    m_tick = (m_tick + 1) % kCircleTicks;
    const double a = m_tick * kCircleStep;
    const float across = static_cast<float>(kCircleRadius * std::sin(a));
    const float around = static_cast<float>(kCircleRadius * std::cos(a));
    m_pos = vertical ? Vec3{across, around, 0.0f} : Vec3{across, 0.0f, around};
}

void CSpatialPlayer::NextFlyBy() {
    m_tick = (m_tick + 1) % kFlyByTicks;
    const double w = std::cos(m_tick * kFlyByStep);
    const float x = static_cast<float>(-kFlyByHalfWidth * w);
    float z = 0.0f;
    switch (m_leg) {
        case 0:
            z = kRoomLimit;  // in front, left to right
            break;
        case 1:
            z = x;  // through the listener, front right to back left
            break;
        case 2:
            z = -kRoomLimit;  // behind, left to right
            break;
        default:
            z = static_cast<float>(kFlyByHalfWidth * w);  // through the listener, back right to front left
            break;
    }
    m_pos = Vec3{x, 0.0f, z};
    if (m_tick % kFlyByLegTicks == kFlyByLegTicks - 1) {
        ++m_leg;
    }
    m_leg %= 4;
}

float CSpatialPlayer::RandomUnit() { return static_cast<float>(msvcrt::rand()) * kRandScale; }

void CSpatialPlayer::PickInsectTarget() {
    const float r1 = RandomUnit();
    const float r2 = RandomUnit();
    const float r3 = RandomUnit();
    m_insectTarget = Vec3{(r3 - 0.5f) * 4.0f, r2 - 0.5f, (r1 - 0.5f) * 4.0f};
    // A target on the listener would pull the insect through the head.
    if (Length(m_insectTarget.x, m_insectTarget.y, m_insectTarget.z) < kInsectMinTargetRadius) {
        m_insectTarget.z = kInsectMinTargetRadius;
    }
    m_targetDist = Length(m_insectTarget.x - m_insectPos.x, m_insectTarget.y - m_insectPos.y,
                          m_insectTarget.z - m_insectPos.z);
}

void CSpatialPlayer::StepInsect() {
    const double dx = static_cast<double>(m_insectTarget.x) - m_insectPos.x;
    const double dy = static_cast<double>(m_insectTarget.y) - m_insectPos.y;
    const double dz = static_cast<double>(m_insectTarget.z) - m_insectPos.z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);

    // Attraction: unit vector to the target, none when the insect sits on it.
    double fx = 0.0, fy = 0.0, fz = 0.0;
    if (d > 0.0) {
        fx = dx / d;
        fy = dy / d;
        fz = dz / d;
    }
    // Repulsion from the listener: 3 at the head, 1.5 at 0.3, fading with distance. At
    // the origin itself there is no direction to push in.
    const double px = m_insectPos.x, py = m_insectPos.y, pz = m_insectPos.z;
    const double r = std::sqrt(px * px + py * py + pz * pz);
    if (r > 0.0) {
        const double h = 1.0 / (1.0 + 11.11111111111111 * r * r);
        const double push = 3.0 * h / r;
        fx += push * px;
        fy += push * py;
        fz += push * pz;
    }

    const double s = m_insectStep;
    const double k = m_damping;
    m_insectVel.x = static_cast<float>(k * m_insectVel.x + s * fx);
    m_insectVel.y = static_cast<float>(k * m_insectVel.y + s * fy);
    m_insectVel.z = static_cast<float>(k * m_insectVel.z + s * fz);
    m_insectPos.x = static_cast<float>(px + s * m_insectVel.x);
    m_insectPos.y = static_cast<float>(py + s * m_insectVel.y);
    m_insectPos.z = static_cast<float>(pz + s * m_insectVel.z);

    // Re-target half way there, measured before this move. A target chosen where the
    // insect already was gives no distance to halve, so it is replaced at once.
    if (m_targetDist <= 0.0f || d / m_targetDist < 0.5) {
        PickInsectTarget();
    }
}

void CSpatialPlayer::NextInsect() {
    StepInsect();
    float x = kInsectOutputScale * m_insectPos.x;
    float y = kInsectOutputScale * m_insectPos.y;
    float z = kInsectOutputScale * m_insectPos.z;
    if (x > kRoomLimit) x = kRoomLimit;
    if (y > kRoomLimit) y = kInsectHeightLimit;
    if (z > kRoomLimit) z = kRoomLimit;
    if (x < -kRoomLimit) x = -kRoomLimit;
    if (y < -kRoomLimit) y = -kInsectHeightLimit;
    if (z < -kRoomLimit) z = -kRoomLimit;
    m_pos = Vec3{x, y, z};
}

void CSpatialPlayer::NextSpiral() {
    m_radius = m_radius + static_cast<float>(m_radiusDir) * m_radiusStep;
    m_tick = (m_tick + 1) % kSpiralTicks;
    if (m_tick == 0) {
        m_height = m_height + static_cast<float>(m_heightDir) * m_heightStep;
    }
    if (m_radiusDir < 0 && m_radius <= 0.0f) {
        m_radiusDir = 1;
    }
    // The radius test runs every tick but the height moves only every 100 ticks, so the
    // radius keeps growing past 3 until the height has reached its end too.
    const bool heightAtEnd = (m_heightDir < 0 && m_height <= -m_baseHeight) ||
                             (m_heightDir > 0 && m_height >= m_baseHeight);
    if (m_radiusDir > 0 && m_radius >= 3.0f && heightAtEnd) {
        m_radiusDir = -m_radiusDir;
        m_heightDir = -m_heightDir;
        return;
    }
    const double a = m_tick * kSpiralStep;
    m_pos = Vec3{static_cast<float>(m_radius * std::sin(a)), m_height,
                 static_cast<float>(m_radius * std::cos(static_cast<double>(static_cast<float>(a))))};
}

void CSpatialPlayer::NextPathPoint(Vec3* out) {
    // No recorded points: the source rests at the listener.
    Vec3 point{0.0f, 0.0f, 0.0f};
    if (m_pointCount > 0) {
        const int count = m_pointCount < kMaxPathPoints ? m_pointCount : kMaxPathPoints;
        if (m_pointIndex < 0 || m_pointIndex >= count) {
            m_pointIndex = 0;
        }
        point = Vec3{m_pathX[m_pointIndex], m_pathY[m_pointIndex], m_pathZ[m_pointIndex]};
        m_pointIndex = m_pointIndex >= count - 1 ? 0 : m_pointIndex + 1;
    }
    if (out != nullptr) {
        *out = point;
    }
}
