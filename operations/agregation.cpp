#include "operations/agregation.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// The samples [first, end) read for one step. first is the sample held from
// the step before when that one split; Sum leaves it out of its sum (its
// remaining share arrives as the carry) and starts at read. When the step
// splits, its last sample reaches past the bound: `after` of its `length`
// milliseconds lie beyond.
struct Agregation::Step
{
    int first = 0;
    int read = 0;
    int end = 0;
    bool splits = false;
    double after = 0.0;
    double length = 0.0;
};

namespace {

// Attributes are taken eight at a time in local arrays: fixed-width loops
// that the compiler turns into vector instructions without alias checks.
constexpr int Lanes = 8;
constexpr double Missing = std::numeric_limits<double>::quiet_NaN();

// Missing values are skipped; ties keep the value held, hence the strict
// comparisons. Written without branches, so that eight lanes become vector
// selects.
template <int Mode> inline double fold(double held, double x)
{
    const bool present = !std::isnan(x);
    const bool empty = std::isnan(held);
    if (Mode == Agregation::Max)
        return present & (empty | (x > held)) ? x : held;
    return present & (empty | (x < held)) ? x : held;
}

// Sums start from -0.0, which adds nothing (not even to a zero's sign), and
// count what they took, so that once +inf and -inf have met the sum stays
// undefined instead of starting again as if empty.
inline double add(double sum, double x)
{
    return sum + (std::isnan(x) ? -0.0 : x);
}

// The share of the last sample that lies past the bound; in the other order
// when the product alone would overflow.
inline double share(const double last, const double after, const double length)
{
    const double part = last * after / length;
    return std::isinf(part) && std::isfinite(last) ? last * (after / length) : part;
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
        Data output;
        output.attributes = m_data.attributes;
        output.times.resize(int(stepCount));
        // Every cell is written by the steps.
        output.values = newValues(int(stepCount * m_data.attributeCount()));
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
    const QDateTime origin = m_data.times.constFirst();
    QDateTime *labels = output.times.data();
    double *values = output.values.data();

    // The steps' samples depend on the times only. A batch of steps, a few
    // million cells read or written at most, is then shared out in runs of
    // whole steps, each with every attribute, so that rows are read and
    // written whole; the runs get about as many rows each.
    const qint64 batchCells = qint64(1) << 20;
    const qint64 stepsPerBatch = std::max<qint64>(1, batchCells / std::max(attributes, 1));
    std::vector<Step> steps;
    std::vector<qint64> work; // rows and steps up to each step of the batch
    // The Sum carry into the batch, and out of it.
    std::vector<double> carryIn(size_t(attributes), Missing), carryOut(carryIn);
    qint64 bound = times.first();
    int first = 0;
    bool held = false;
    qint64 stored = 0;
    for (qint64 batch = 0; batch < stepCount; batch += qint64(steps.size())) {
        steps.clear();
        work.assign(1, 0);
        while (batch + qint64(steps.size()) < stepCount && qint64(steps.size()) < stepsPerBatch &&
               work.back() * std::max(attributes, 1) < batchCells) {
            Step step;
            bound += m_deltaT * 1000;
            step.first = first;
            step.read = held && m_modeAgregation == Sum ? first + 1 : first;
            step.end = first;
            while (step.end < samples && times[step.end] < bound)
                ++step.end;
            // A sample exactly on the bound belongs to the next step.
            step.splits = step.end > first && step.end < samples && times[step.end] > bound;
            if (step.splits) {
                step.after = double(times[step.end] - bound);
                step.length = double(times[step.end] - times[step.end - 1]);
            }
            held = step.splits;
            first = held ? step.end - 1 : step.end;
            steps.push_back(step);
            work.push_back(work.back() + 1 + step.end - step.read);
        }
        const int count = int(steps.size());
        const int runs = std::min(count, 2 * parallelism());
        // Run r starts at the first step past r / runs of the work.
        const auto start = [&](int run) {
            const qint64 target = work.back() * run / runs;
            return int(std::lower_bound(work.begin(), work.end(), target) - work.begin());
        };
        runInParallel(runs, [&](int run, int) {
            const int begin = run == 0 ? 0 : start(run);
            const int end = run + 1 == runs ? count : start(run + 1);
            std::vector<double> carry(size_t(attributes), Missing);
            if (m_modeAgregation == Sum) {
                for (int a = 0; a < attributes; ++a)
                    carry[size_t(a)] = incomingCarry(steps.data(), begin, a, carryIn[size_t(a)]);
            }
            for (int i = begin; i < end && attributes > 0; ++i)
                labels[batch + i] = origin.addSecs(m_deltaT * (batch + i + 1));
            storeSteps(steps.data() + begin, end - begin,
                       values + qsizetype(batch + begin) * attributes, carry.data());
            if (run + 1 == runs) // empty or not, it ends at the batch's end
                carryOut = carry;
        });
        carryIn.swap(carryOut);
        if (!reportStored(stored, stepCount * attributes, stored + qint64(count) * attributes))
            return false;
    }
    return true;
}

// The Sum carry into step index: the share of the last sample of the step
// before that lies past its bound, missing when that sample is.
double Agregation::incomingCarry(const Step *steps, int index, int attribute,
                                 double batchCarry) const
{
    if (index == 0)
        return batchCarry;
    const Step &step = steps[index - 1];
    if (!step.splits)
        return Missing;
    const double last =
        m_data.values.at(qsizetype(step.end - 1) * m_data.attributeCount() + attribute);
    return share(last, step.after, step.length);
}

void Agregation::storeSteps(const Step *steps, int count, double *rows, double *carry) const
{
    // The mode is chosen once for the whole run of steps.
    switch (m_modeAgregation) {
    case Sum:
        return storeRows<Sum>(steps, count, rows, carry);
    case Average:
        return storeRows<Average>(steps, count, rows, carry);
    case Max:
        return storeRows<Max>(steps, count, rows, carry);
    default:
        return storeRows<Min>(steps, count, rows, carry);
    }
}

template <int Mode>
void Agregation::storeRows(const Step *steps, int count, double *rows, double *carry) const
{
    const int attributes = m_data.attributeCount();
    for (int s = 0; s < count; ++s) {
        double *row = rows + qsizetype(s) * attributes;
        int a = 0;
        for (; a + Lanes <= attributes; a += Lanes)
            storeBlock<Mode, Lanes>(steps[s], a, row, carry);
        for (; a < attributes; ++a)
            storeBlock<Mode, 1>(steps[s], a, row, carry);
    }
}

// One step of attributes [first, first + Width): their values into row, and
// in Sum mode the carry taken and passed on.
template <int Mode, int Width>
void Agregation::storeBlock(const Step &step, int first, double *row, double *carry) const
{
    const int attributes = m_data.attributeCount();
    const double *in = m_data.values.constData() + first;
    constexpr bool sums = Mode == Sum || Mode == Average;
    double value[Width], count[Width], incoming[Width];
    for (int l = 0; l < Width; ++l) {
        incoming[l] = Mode == Sum ? carry[first + l] : Missing;
        const bool carried = !std::isnan(incoming[l]);
        value[l] = sums ? (carried ? incoming[l] : -0.0) : Missing;
        count[l] = carried ? 1.0 : 0.0;
    }
    for (int i = step.read; i < step.end; ++i) {
        const double *x = in + qsizetype(i) * attributes;
        for (int l = 0; l < Width; ++l)
            value[l] = sums ? add(value[l], x[l]) : fold<Mode>(value[l], x[l]);
        for (int l = 0; sums && l < Width; ++l)
            count[l] += std::isnan(x[l]) ? 0.0 : 1.0;
    }
    for (int l = 0; sums && l < Width; ++l)
        value[l] = count[l] == 0.0 ? Missing : Mode == Average ? value[l] / count[l] : value[l];
    if (Mode == Sum && step.splits) {
        // The last sample spans [tb, ta); the part after the bound moves on.
        const double *last = in + qsizetype(step.end - 1) * attributes;
        for (int l = 0; l < Width; ++l) {
            const double part = share(last[l], step.after, step.length);
            const bool known = !std::isnan(last[l]);
            carry[first + l] = part;
            value[l] = known ? value[l] - part : value[l];
        }
    } else if (Mode == Sum) {
        std::fill(carry + first, carry + first + Width, Missing);
    }
    for (int l = 0; sums && l < Width; ++l) {
        if (count[l] != 0.0 && !std::isfinite(value[l]))
            value[l] = outOfRange(step, first + l, incoming[l]);
    }
    std::copy(value, value + Width, row + first);
}

double Agregation::outOfRange(const Step &step, int attribute, double incoming) const
{
    // The running sum met an infinity or overflowed. An infinite term decides
    // alone, and terms of both signs leave the value undefined; otherwise a
    // sum in a wider type (where the platform has one) or a mean whose terms
    // are divided first may well be back in range.
    const int attributes = m_data.attributeCount();
    const bool sum = m_modeAgregation == Sum;
    const double *in = m_data.values.constData() + attribute;
    bool positive = sum && incoming == qInf(), negative = sum && incoming == -qInf();
    long double total = sum && !std::isnan(incoming) ? incoming : 0.0L;
    double mean = 0.0;
    int count = 0;
    for (int i = sum ? step.read : step.first; i < step.end; ++i) {
        const double x = in[qsizetype(i) * attributes];
        if (std::isnan(x))
            continue;
        positive |= x == qInf();
        negative |= x == -qInf();
        total += x;
        ++count;
        mean += x / count - mean / count;
    }
    if (positive || negative)
        return positive && negative ? Missing : positive ? qInf() : -qInf();
    if (!sum)
        return mean;
    const double part =
        step.splits ? share(in[qsizetype(step.end - 1) * attributes], step.after, step.length)
                    : 0.0;
    return double(std::isnan(part) ? total : total - part);
}

bool Agregation::reportStored(qint64 &stored, qint64 total, qint64 now)
{
    // Every percentage that storing the cells one by one would pass.
    qint64 cell = stored + 1;
    while (cell <= now) {
        const int percentage = percent(cell, total);
        if (!checkpoint(percentage))
            return false;
        // The first cell past this percentage.
        cell = std::max(cell + 1, ((percentage + 1) * total + 99) / 100);
    }
    stored = now;
    return checkpoint(progress());
}
