#include "operations/agregation.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// The samples [first, end) read for one step. `held` when `first` is the
// sample re-read from the step before because its interval crosses that
// boundary; `splits` when the sample end - 1 reaches past this step's bound.
struct Agregation::Step
{
    int first = 0;
    int end = 0;
    bool held = false;
    bool splits = false;
    qint64 bound = 0; // milliseconds since the epoch
};

// Working state of every attribute for the current step, and the progress
// counter over stored cells.
struct Agregation::Cells
{
    QVector<double> accumulator;
    QVector<double> carry;
    QVector<int> count;
    qint64 stored = 0;
    qint64 total = 0;
};

namespace {

void addRow(double *accumulator, const double *row, int count)
{
    for (int a = 0; a < count; ++a) {
        const double x = row[a];
        if (!std::isnan(x))
            accumulator[a] = std::isnan(accumulator[a]) ? x : accumulator[a] + x;
    }
}

void countRow(int *count, const double *row, int attributes)
{
    for (int a = 0; a < attributes; ++a)
        count[a] += std::isnan(row[a]) ? 0 : 1;
}

// Ties keep the value held, hence the strict comparisons.
void maxRow(double *accumulator, const double *row, int count)
{
    for (int a = 0; a < count; ++a) {
        const double x = row[a];
        if (!std::isnan(x) && (std::isnan(accumulator[a]) || x > accumulator[a]))
            accumulator[a] = x;
    }
}

void minRow(double *accumulator, const double *row, int count)
{
    for (int a = 0; a < count; ++a) {
        const double x = row[a];
        if (!std::isnan(x) && (std::isnan(accumulator[a]) || x < accumulator[a]))
            accumulator[a] = x;
    }
}

} // namespace

Agregation::Agregation(const Data &data, int modeAgregation, qint64 deltaT)
    : m_data(data), m_modeAgregation(modeAgregation), m_deltaT(deltaT)
{}

void Agregation::run()
{
    qint64 stepCount = 0;
    const QString problem = validate(stepCount);
    if (!problem.isEmpty()) {
        fail(problem);
        return;
    }
    const bool enoughMemory = withinMemory([&] {
        claimMemory(stepCount * m_data.attributeCount() * qint64(sizeof(double)) +
                    qint64(m_data.timeCount()) * qint64(sizeof(qint64)));
        Data output(m_data.attributes, int(stepCount));
        QVector<qint64> times;
        times.reserve(m_data.timeCount());
        for (const QDateTime &time : qAsConst(m_data.times))
            times.append(time.toMSecsSinceEpoch());
        if (resample(output, times))
            succeed(output);
    });
    if (!enoughMemory)
        fail(Task::tr("Not enough memory to aggregate the data."));
}

QString Agregation::validate(qint64 &stepCount) const
{
    const qint64 span = m_data.timeCount() > 1 ? m_data.firstTime().secsTo(m_data.lastTime()) : 0;
    // A negative step or span would walk backwards: refused like a zero one.
    if (span <= 0 || m_deltaT <= 0)
        return Task::tr("originalDataTimeInterval or deltaT is 0");
    if (m_modeAgregation < Sum || m_modeAgregation > Min)
        return Task::tr("Unknown aggregation mode %1.").arg(m_modeAgregation);
    stepCount = span / m_deltaT + 1;
    const QString tooLarge = Data::sizeProblem(stepCount, m_data.attributeCount());
    if (!tooLarge.isEmpty())
        return Task::tr("ΔT = %1 s gives too many time steps: %2").arg(m_deltaT).arg(tooLarge);
    // Step bounds are computed in milliseconds; keep them far from overflow.
    const qint64 limit = std::numeric_limits<qint64>::max() / 4;
    if (m_deltaT > limit / 1000 / stepCount || qAbs(m_data.firstTime().toMSecsSinceEpoch()) > limit)
        return Task::tr("ΔT = %1 s is out of range.").arg(m_deltaT);
    return QString();
}

bool Agregation::resample(Data &output, const QVector<qint64> &times)
{
    const int attributes = m_data.attributeCount();
    const int samples = times.size();
    const qint64 stepCount = output.timeCount();
    Cells cells;
    cells.accumulator.fill(qQNaN(), attributes);
    cells.carry.fill(qQNaN(), attributes);
    cells.count.fill(0, attributes);
    cells.total = stepCount * attributes;

    // The steps' samples depend on the times only; the attributes are then
    // shared out in runs of whole cache lines, for a run of steps at a time.
    const int lanes = 8;
    const int jobs = std::max(1, std::min(2 * parallelism(), attributes / (4 * lanes)));
    const int perJob = (attributes / jobs + lanes - 1) / lanes * lanes;
    const qint64 stepsPerRun = std::max<qint64>(1, (1 << 18) / std::max(attributes, 1));
    std::vector<Step> steps;
    Step step;
    step.bound = times.first();
    double *values = output.values.data();
    for (qint64 firstStep = 0; firstStep < stepCount; firstStep += stepsPerRun) {
        steps.clear();
        for (qint64 s = firstStep; s < std::min(stepCount, firstStep + stepsPerRun); ++s) {
            step.bound += m_deltaT * 1000;
            step.end = step.first;
            while (step.end < samples && times[step.end] < step.bound)
                ++step.end;
            // A sample exactly on the bound belongs to the next step.
            step.splits =
                step.end > step.first && step.end < samples && times[step.end] > step.bound;
            steps.push_back(step);
            if (attributes > 0)
                output.times[int(s)] = m_data.times.constFirst().addSecs(m_deltaT * (s + 1));
            step.held = step.splits;
            step.first = step.splits ? step.end - 1 : step.end;
        }
        runInParallel(jobs, [&](int job, int) {
            const Range range{std::min(attributes, job * perJob),
                              job + 1 == jobs ? attributes
                                              : std::min(attributes, (job + 1) * perJob)};
            for (size_t i = 0; i < steps.size(); ++i) {
                combine(cells, steps[i], range);
                close(cells, steps[i], times, range);
                double *row = values + qsizetype(firstStep + qint64(i)) * attributes;
                std::copy(cells.accumulator.constData() + range.first,
                          cells.accumulator.constData() + range.end, row + range.first);
            }
        });
        if (!reportStored(cells, cells.stored + qint64(steps.size()) * attributes))
            return false;
    }
    return true;
}

void Agregation::combine(Cells &cells, const Step &step, const Range &range) const
{
    const int attributes = m_data.attributeCount();
    const int width = range.end - range.first;
    double *accumulator = cells.accumulator.data() + range.first;
    int *count = cells.count.data() + range.first;
    double *carry = cells.carry.data() + range.first;
    if (m_modeAgregation == Sum) {
        std::copy(carry, carry + width, accumulator);
        std::fill(carry, carry + width, qQNaN());
    } else {
        std::fill(accumulator, accumulator + width, qQNaN());
        std::fill(count, count + width, 0);
    }
    // In Sum mode the held sample's remaining share arrives as the carry:
    // reading it in full again would count it twice.
    const bool skipHeld = step.held && m_modeAgregation == Sum;
    for (int i = skipHeld ? step.first + 1 : step.first; i < step.end; ++i) {
        const double *row = m_data.values.constData() + qsizetype(i) * attributes + range.first;
        switch (m_modeAgregation) {
        case Sum:
            addRow(accumulator, row, width);
            break;
        case Average:
            addRow(accumulator, row, width);
            countRow(count, row, width);
            break;
        case Max:
            maxRow(accumulator, row, width);
            break;
        default:
            minRow(accumulator, row, width);
            break;
        }
    }
}

void Agregation::close(Cells &cells, const Step &step, const QVector<qint64> &times,
                       const Range &range) const
{
    const int attributes = m_data.attributeCount();
    double *accumulator = cells.accumulator.data();
    if (m_modeAgregation == Average) {
        const int *count = cells.count.constData();
        for (int a = range.first; a < range.end; ++a) {
            if (count[a] > 0)
                accumulator[a] /= count[a];
            if (std::isinf(accumulator[a]))
                accumulator[a] = finiteMean(step, a, accumulator[a]);
        }
    }
    if (m_modeAgregation != Sum || !step.splits)
        return;
    // The last sample spans [tb, ta); the part after the bound moves on.
    const double *last = m_data.values.constData() + qsizetype(step.end - 1) * attributes;
    const double after = double(times.at(step.end) - step.bound);
    const double length = double(times.at(step.end) - times.at(step.end - 1));
    double *carry = cells.carry.data();
    for (int a = range.first; a < range.end; ++a) {
        if (std::isnan(accumulator[a]) || std::isnan(last[a]))
            continue;
        const double share = last[a] * after / length;
        accumulator[a] -= share;
        carry[a] = share;
    }
}

double Agregation::finiteMean(const Step &step, int attribute, double overflowed) const
{
    // The sum of finite values may overflow where their mean does not; a
    // running mean whose terms are divided first stays in range.
    const int attributes = m_data.attributeCount();
    double mean = 0.0;
    int count = 0;
    for (int i = step.first; i < step.end; ++i) {
        const double x = m_data.values.at(qsizetype(i) * attributes + attribute);
        if (std::isnan(x))
            continue;
        if (std::isinf(x))
            return overflowed;
        ++count;
        mean += x / count - mean / count;
    }
    return mean;
}

bool Agregation::reportStored(Cells &cells, qint64 stored)
{
    // Every percentage that storing the cells one by one would pass.
    const qint64 total = cells.total;
    qint64 cell = cells.stored + 1;
    while (cell <= stored) {
        const int percentage = percent(cell, total);
        if (!checkpoint(percentage))
            return false;
        // The first cell past this percentage.
        cell = std::max(cell + 1, ((percentage + 1) * total + 99) / 100);
    }
    cells.stored = stored;
    return checkpoint(progress());
}
