#include "operations/correlation.h"

#include "operations/blockscorer.h"

#include <algorithm>
#include <limits>

namespace {

// Beyond the float range the conversion is undefined; infinity keeps the order.
float toScore(double coefficient)
{
    constexpr double largest = std::numeric_limits<float>::max();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (coefficient > largest)
        return infinity;
    if (coefficient < -largest)
        return -infinity;
    return float(coefficient);
}

bool isInside(const Selection &selection)
{
    const int attributes = selection.data.attributeCount();
    const int times = selection.data.timeCount();
    return selection.type != Selection::None && selection.firstAttribute >= 0 &&
           selection.firstAttribute < attributes && selection.lastAttribute >= 0 &&
           selection.lastAttribute < attributes && selection.firstTime >= 0 &&
           selection.firstTime <= selection.lastTime && selection.lastTime < times;
}

} // namespace

Correlation::Correlation(int mode, const Selection &selection, double threshold,
                         const QVector<float> &scores)
    : m_mode(mode), m_selection(selection), m_threshold(threshold), m_scores(scores)
{}

void Correlation::run()
{
    if (m_selection.type == Selection::Value) {
        succeed(Selections{m_selection});
        return;
    }
    const Windows all = windows();
    // Scores of a list of another length belong to another search: recompute.
    const bool stored = !m_scores.isEmpty() && m_scores.size() == all.count();
    Selections found;
    bool searched = false;
    if (!withinMemory([&] { searched = stored ? replay(all, found) : compute(all, found); }))
        fail(Task::tr("Not enough memory to search for correlations."));
    else if (searched)
        succeed(found);
}

QVector<double> Correlation::coefficients(const Selection &model, int rotation)
{
    const int shifts = model.data.timeCount() - model.timeCount() + 1;
    if (model.type == Selection::Value || !isInside(model) || shifts <= 0 || rotation < 0 ||
        rotation >= model.data.attributeCount())
        return {};
    BlockScorer scorer(model, rotation, 1, 0);
    const int length = scorer.blockLength(shifts, shifts);
    QVector<double> result(shifts);
    BlockScorer::Scratch scratch;
    for (int first = 0; first < shifts; first += length) {
        scorer.load(first, std::min(length, shifts - first));
        for (int c = 0; c < scorer.columnCount(); ++c)
            scorer.sumColumn(c);
        scorer.score(0, result.data() + first, scratch);
    }
    return result;
}

Correlation::Windows Correlation::windows() const
{
    Windows windows;
    if (!isInside(m_selection))
        return windows; // no window fits in the data
    const Selection &model = m_selection;
    windows.firstRotation = m_mode == SameAttributes ? model.firstAttribute : 0;
    windows.rotations = m_mode == SameAttributes ? 1 : model.data.attributeCount();
    windows.firstShift = m_mode == SameTimeSteps ? model.firstTime : 0;
    windows.shifts = m_mode == SameTimeSteps ? 1 : model.data.timeCount() - model.timeCount() + 1;
    return windows;
}

Selection Correlation::window(const Windows &windows, qint64 index) const
{
    Selection window = m_selection;
    const int attributes = m_selection.attributeCount();
    window.firstAttribute = windows.firstRotation + int(index / windows.shifts);
    window.lastAttribute = (window.firstAttribute + attributes - 1) % window.data.attributeCount();
    window.firstTime = windows.firstShift + int(index % windows.shifts);
    window.lastTime = window.firstTime + m_selection.timeCount() - 1;
    return window;
}

bool Correlation::replay(const Windows &windows, Selections &found)
{
    const qint64 count = windows.count();
    const double bar = 1.0 - m_threshold;
    const float *scores = m_scores.constData();
    for (qint64 k = 0; k < count; ++k) {
        if (double(scores[k]) >= bar)
            found.append(window(windows, k));
        if (!checkpoint(k + 1, count))
            return false;
    }
    return true;
}

bool Correlation::compute(const Windows &windows, Selections &found)
{
    const qint64 count = windows.count();
    if (count == 0) {
        m_scores.clear();
        return true;
    }
    BlockScorer scorer(m_selection, windows.firstRotation, windows.rotations, windows.firstShift);
    const int length = scorer.blockLength(windows.shifts, count);
    claimMemory(count * qint64(sizeof(float)) + count / 8 + scorer.workingBytes(length));
    m_scores = QVector<float>(int(count));
    std::vector<bool> matches(static_cast<size_t>(count));
    const int group = scorer.rotationGroup(length);
    std::vector<double> coefficients(size_t(group) * size_t(length));
    std::vector<BlockScorer::Scratch> scratch(static_cast<size_t>(Task::parallelism()));
    const double bar = 1.0 - m_threshold;
    float *scores = m_scores.data();
    qint64 done = 0;
    for (int first = 0; first < windows.shifts; first += length) {
        const int shifts = std::min(length, windows.shifts - first);
        scorer.load(first, shifts);
        runInParallel(scorer.columnCount(), [&scorer](int c, int) { scorer.sumColumn(c); });
        if (!checkpoint(done, count))
            return false;
        for (int rotations = 0; rotations < windows.rotations; rotations += group) {
            const int groupSize = std::min(group, windows.rotations - rotations);
            runInParallel(groupSize, [&](int i, int worker) {
                scorer.score(rotations + i, coefficients.data() + size_t(i) * size_t(length),
                             scratch[size_t(worker)]);
            });
            for (int i = 0; i < groupSize; ++i) {
                const double *coefficient = coefficients.data() + size_t(i) * size_t(length);
                const qint64 base = qint64(rotations + i) * windows.shifts + first;
                for (int m = 0; m < shifts; ++m) {
                    scores[base + m] = toScore(coefficient[m]);
                    matches[size_t(base + m)] = coefficient[m] >= bar;
                }
            }
            done += qint64(groupSize) * shifts;
            if (!checkpoint(done, count))
                return false;
        }
    }
    found = collect(windows, matches);
    return true;
}

Selections Correlation::collect(const Windows &windows, const std::vector<bool> &matches) const
{
    Selections found;
    for (qint64 k = 0; k < windows.count(); ++k) {
        if (matches[size_t(k)])
            found.append(window(windows, k));
    }
    return found;
}
