// One playback: owns the sound device for its life, loads and plays the clip as the one
// 3D source, and generates the source's motion tick by tick.
#pragma once

#include "audio/vec3.h"
#include "motion/reverb_presets.h"
#include "platform/kernel/types.h"

constexpr int kMaxPathPoints = 180;

class CSpatialPlayer {
public:
    explicit CSpatialPlayer(HWND owner);
    ~CSpatialPlayer() = default;
    CSpatialPlayer(const CSpatialPlayer&) = delete;
    CSpatialPlayer& operator=(const CSpatialPlayer&) = delete;

    int Close();
    int LoadFile(LPSTR path);
    HRESULT Play();
    void Stop();
    void SetPathMode(int mode);
    void SetPosition(Vec3 position, Vec3 velocity);  // view units
    Vec3* GetPosition(Vec3* out);                    // view units
    void NextPosition(Vec3* out);                    // view units
    void SetEnvironment(unsigned int row);
    void SendReverb(ReverbParams params);

    // Motion generator steps, public so their numbers can be checked one by one.
    float RandomUnit();
    void PickInsectTarget();
    void StepInsect();
    void ReadPathFile();

    HWND m_hOwner;
    Vec3 m_pos;           // sound units
    int m_pathMode;
    int m_tick;
    int m_leg;
    Vec3 m_insectPos;
    Vec3 m_insectTarget;
    Vec3 m_insectVel;
    float m_damping;
    float m_targetDist;
    float m_insectStep;
    float m_radius;
    float m_height;
    float m_baseHeight;
    float m_radiusStep;
    float m_heightStep;
    int m_radiusDir;
    int m_heightDir;
    int m_pointCount;
    int m_pointIndex;
    float m_pathX[kMaxPathPoints];
    float m_pathY[kMaxPathPoints];
    float m_pathZ[kMaxPathPoints];

private:
    // One tick of each moving mode; each leaves the new position in m_pos (sound units),
    // except the path file, which writes view units to out.
    void NextCircle(bool vertical);
    void NextFlyBy();
    void NextInsect();
    void NextSpiral();
    void NextPathPoint(Vec3* out);

    // False when OpenSoundDevice failed: the player then answers without touching sound.
    bool m_bDeviceOpen = false;
};
