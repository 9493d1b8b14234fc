#ifndef VIREO_OPERATIONS_CORRELATION_H
#define VIREO_OPERATIONS_CORRELATION_H

#include "core/selection.h"
#include "core/task.h"

#include <QVector>

#include <vector>

// Finds the blocks of the model's data that vary like the model: a window of
// the model's shape slides over attribute rotations (outer) and time shifts
// (inner), and every window whose Pearson coefficient reaches 1 - threshold is
// returned in that order. The coefficient of every window is kept as a float,
// so that a later search with another threshold only replays them.
class Correlation : public TypedTask<Selections>
{
public:
    enum Mode
    {
        AllData = 0,
        SameAttributes = 1,
        SameTimeSteps = 2
    };

    // scores: those of an earlier search for the same model, data and mode,
    // or empty to compute them.
    Correlation(int mode, const Selection &selection, double threshold,
                const QVector<float> &scores);

    void run() override;

    // One coefficient per window, in visiting order.
    QVector<float> scores() const { return m_scores; }
    // The coefficients, before they become scores, of the windows of the
    // model's shape at every time shift over the attributes from `rotation`
    // on: as a search computes them. Empty when no window fits.
    static QVector<double> coefficients(const Selection &model, int rotation);

private:
    // The windows visited: rotations x shifts, both runs of consecutive values.
    struct Windows
    {
        int firstRotation = 0;
        int rotations = 0;
        int firstShift = 0;
        int shifts = 0;
        qint64 count() const { return qint64(rotations) * shifts; }
    };

    Windows windows() const;
    Selection window(const Windows &windows, qint64 index) const;
    bool replay(const Windows &windows, Selections &found);
    bool compute(const Windows &windows, Selections &found);
    Selections collect(const Windows &windows, const std::vector<bool> &matches) const;

    int m_mode;
    Selection m_selection;
    double m_threshold;
    QVector<float> m_scores;
};

#endif // VIREO_OPERATIONS_CORRELATION_H
