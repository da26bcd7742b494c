#include "app/listening_test.h"

#include <algorithm>
#include <cmath>

namespace {

// Within this of straight left or right, front and back cannot be told apart by the
// ear either: such bursts do not count towards confusions.
constexpr double kSideZone = 20.0;

// +1 in front, -1 behind, 0 on the line through the ears.
int Half(double azimuth) {
    const double c = std::cos(azimuth * kRadian);
    return c > 1e-9 ? 1 : (c < -1e-9 ? -1 : 0);
}

bool NearSide(double azimuth) { return std::fabs(std::cos(azimuth * kRadian)) < std::sin(kSideZone * kRadian); }

}  // namespace

double AzimuthError(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

CListeningTest::CListeningTest(std::vector<std::string> sets, std::mt19937::result_type seed)
    : m_sets(std::move(sets)) {
    std::mt19937 random(seed);
    std::vector<std::vector<double>> order(m_sets.size());
    for (auto& azimuths : order) {
        for (int i = 0; i < kDirections; ++i) azimuths.push_back(360.0 * i / kDirections);
        std::shuffle(azimuths.begin(), azimuths.end(), random);
    }
    std::vector<int> round(m_sets.size());
    for (int r = 0; r < kDirections; ++r) {
        for (std::size_t s = 0; s < round.size(); ++s) round[s] = static_cast<int>(s);
        std::shuffle(round.begin(), round.end(), random);
        for (int s : round) m_trials.push_back(EarTrial{s, order[static_cast<std::size_t>(s)][static_cast<std::size_t>(r)]});
    }
    m_answers.assign(m_trials.size(), NAN);
}

void CListeningTest::Answer(double azimuth) {
    if (Done()) return;
    m_answers[static_cast<std::size_t>(m_next++)] = azimuth;
}

std::vector<EarScore> CListeningTest::Scores() const {
    std::vector<EarScore> scores(m_sets.size());
    for (std::size_t s = 0; s < m_sets.size(); ++s) scores[s].set = m_sets[s];
    for (std::size_t t = 0; t < m_trials.size(); ++t) {
        if (std::isnan(m_answers[t])) continue;
        const EarTrial& trial = m_trials[t];
        EarScore& score = scores[static_cast<std::size_t>(trial.set)];
        ++score.answered;
        score.meanError += AzimuthError(trial.azimuth, m_answers[t]);
        if (NearSide(trial.azimuth)) continue;
        ++score.judged;
        if (Half(trial.azimuth) * Half(m_answers[t]) < 0) ++score.confusions;
    }
    for (EarScore& score : scores)
        if (score.answered) score.meanError /= score.answered;
    return scores;
}

int CListeningTest::BestSet() const {
    const std::vector<EarScore> scores = Scores();
    int best = -1;
    for (std::size_t s = 0; s < scores.size(); ++s) {
        if (scores[s].answered == 0) continue;
        if (best < 0) {
            best = static_cast<int>(s);
            continue;
        }
        const EarScore& b = scores[static_cast<std::size_t>(best)];
        const double share = scores[s].ConfusionShare();
        if (share < b.ConfusionShare() || (share == b.ConfusionShare() && scores[s].meanError < b.meanError))
            best = static_cast<int>(s);
    }
    return best;
}
