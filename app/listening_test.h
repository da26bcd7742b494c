// The listening test's plan and score: bursts from hidden directions on the horizontal
// plane, every set's bursts spread evenly through the test, and per set how far the
// listener's answers were off and how often front and back were mixed up.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <vector>

// Azimuths in degrees clockwise from the front, as the room view shows them from above:
// 0 ahead, 90 right, 180 behind, 270 left; one degree in radians:
constexpr double kRadian = M_PI / 180.0;

struct EarTrial {
    int set;  // index into the sets under test
    double azimuth;
};

struct EarScore {
    std::string set;
    int answered = 0;
    double meanError = 0;  // degrees, 0..180
    int judged = 0;        // answered bursts clearly in front or behind
    int confusions = 0;    // of those, answered in the other half
    double ConfusionShare() const { return judged ? static_cast<double>(confusions) / judged : 0.0; }
};

class CListeningTest {
public:
    static constexpr int kDirections = 12;  // per set, 30 degrees apart

    // The trials come in rounds of one burst per set, in shuffled order; each set meets
    // every direction once, in an order of its own.
    CListeningTest(std::vector<std::string> sets, std::mt19937::result_type seed);

    const std::vector<std::string>& Sets() const { return m_sets; }
    int Count() const { return static_cast<int>(m_trials.size()); }
    int Current() const { return m_next; }  // the trial waiting for its answer
    bool Done() const { return m_next >= Count(); }
    const EarTrial& Trial() const { return m_trials[static_cast<std::size_t>(m_next)]; }

    // The listener's answer to the current trial; the next trial is then current.
    void Answer(double azimuth);

    std::vector<EarScore> Scores() const;
    // Fewest front/back confusions, then the smallest error; -1 before any answer.
    int BestSet() const;

private:
    std::vector<std::string> m_sets;
    std::vector<EarTrial> m_trials;
    std::vector<double> m_answers;
    int m_next = 0;
};

// How far apart two azimuths are, 0..180 degrees.
double AzimuthError(double a, double b);
