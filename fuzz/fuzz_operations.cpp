// Runs the processing chain (aggregation, normalization, reorganization) on a
// small fuzzed table and checks what each stage promises.
#include "fuzz/fuzzinput.h"
#include "fuzz/taskprobe.h"
#include "operations/agregation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

void require(bool condition, const QString &what)
{
    TaskProbe::require(condition, what);
}

// Aggregations kept small, so that every run takes milliseconds at most.
const qint64 maxSteps = 4096;

Data runTask(Task *task, TaskProbe::Outcome &outcome)
{
    Data result;
    outcome = TaskProbe::run(
        task, [&result](Task *t) { result = static_cast<TypedTask<Data> *>(t)->result(); });
    TaskProbe::checkDelivery(outcome);
    if (outcome.status == Task::Failed)
        require(TaskProbe::isEmpty(result), QStringLiteral("partial result after a failure"));
    return result;
}

// Present values of attribute a.
QVector<double> present(const Data &data, int a)
{
    QVector<double> values;
    for (int t = 0; t < data.timeCount(); ++t)
        if (!std::isnan(data.value(t, a)))
            values.append(data.value(t, a));
    return values;
}

void checkSameShape(const Data &output, const Data &input, const char *stage)
{
    require(output.attributes == input.attributes && output.times == input.times &&
                output.values.size() == input.values.size(),
            QStringLiteral("%1 changed the names, times or size").arg(QLatin1String(stage)));
}

Data agregate(const Data &input, int mode, qint64 deltaT)
{
    const qint64 span = input.timeCount() > 1 ? input.firstTime().secsTo(input.lastTime()) : 0;
    const qint64 steps = span > 0 && deltaT > 0 ? span / deltaT + 1 : 0;
    if (steps > maxSteps && Data::canHold(steps, input.attributeCount()))
        return input; // valid but too slow for fuzzing
    TaskProbe::Outcome outcome;
    const Data output = runTask(new Agregation(input, mode, deltaT), outcome);
    if (steps == 0) {
        require(outcome.message == QStringLiteral("originalDataTimeInterval or deltaT is 0"),
                QStringLiteral("zero span or step: \"%1\"").arg(outcome.message));
        return input;
    }
    if (steps > maxSteps) {
        require(outcome.status == Task::Failed, QStringLiteral("%1 steps accepted").arg(steps));
        return input;
    }
    // Steps of more than 30,000 years may be refused; a message says why.
    if (deltaT > qint64(1000000000000) && outcome.status == Task::Failed)
        return input;
    require(outcome.status == Task::Done, QStringLiteral("failed: ") + outcome.message);
    require(output.attributes == input.attributes && output.timeCount() == steps &&
                output.values.size() == steps * input.attributeCount(),
            QStringLiteral("%1 steps of %2 values, expected %3")
                .arg(output.timeCount())
                .arg(output.values.size())
                .arg(steps));
    for (int s = 0; s < output.timeCount() && input.attributeCount() > 0; ++s)
        require(output.timeAt(s) == input.firstTime().addSecs((s + 1) * deltaT) &&
                    output.timeAt(s).timeSpec() == Qt::UTC,
                QStringLiteral("step %1 labelled %2")
                    .arg(s)
                    .arg(output.timeAt(s).toString(Qt::ISODate)));

    for (int a = 0; a < input.attributeCount(); ++a) {
        const QVector<double> in = present(input, a);
        const QVector<double> out = present(output, a);
        require(!in.isEmpty() || out.isEmpty(),
                QStringLiteral("values made up for attribute %1").arg(a));
        if (in.isEmpty())
            continue;
        const double lo = *std::min_element(in.begin(), in.end());
        const double hi = *std::max_element(in.begin(), in.end());
        double total = 0, magnitude = 0, outTotal = 0;
        for (double x : in) {
            total += x;
            magnitude += std::fabs(x);
        }
        for (double y : out)
            outTotal += y;
        if (mode == Agregation::Sum) {
            if (!std::isfinite(magnitude) || magnitude > 1e300)
                continue;
            const double tolerance = 1e-12 * magnitude * double(in.size() + out.size()) +
                                     std::numeric_limits<double>::denorm_min() * 64;
            require(std::fabs(outTotal - total) <= tolerance,
                    QStringLiteral("sum of attribute %1: %2 instead of %3")
                        .arg(a)
                        .arg(outTotal, 0, 'g', 17)
                        .arg(total, 0, 'g', 17));
            continue;
        }
        // An average may round just past the range of the finite values it
        // averages.
        double finite = 0.0;
        for (double x : in)
            finite = std::isfinite(x) ? std::max(finite, std::fabs(x)) : finite;
        const double tolerance = mode == Agregation::Average ? 1e-12 * finite : 0.0;
        for (double y : out)
            require((y >= lo && y <= hi) || (y >= lo - tolerance && y <= hi + tolerance),
                    QStringLiteral("attribute %1: %2 outside %3..%4")
                        .arg(a)
                        .arg(y, 0, 'g', 17)
                        .arg(lo, 0, 'g', 17)
                        .arg(hi, 0, 'g', 17));
    }
    return output;
}

Data normalize(const Data &input, int mode)
{
    TaskProbe::Outcome outcome;
    const Data output = runTask(new Normalization(input, mode), outcome);
    require(outcome.status == Task::Done, QStringLiteral("failed: ") + outcome.message);
    checkSameShape(output, input, "normalization");
    for (int i = 0; i < output.values.size(); ++i) {
        const double x = input.values.at(i);
        const double y = output.values.at(i);
        require(!std::isnan(x) || std::isnan(y), QStringLiteral("missing value %1 filled").arg(i));
        require(
            std::isnan(y) || (y >= 0.0 && y <= 1.0),
            QStringLiteral("value %1: %2 becomes %3").arg(i).arg(x, 0, 'g', 17).arg(y, 0, 'g', 17));
    }
    return output;
}

double bond(const Data &data, int a, int b)
{
    double sum = 0.0;
    for (int t = 0; t < data.timeCount(); ++t) {
        const double x = data.value(t, a);
        const double y = data.value(t, b);
        if (!std::isnan(x) && !std::isnan(y))
            sum += x * y;
    }
    return sum;
}

// Greedy placement by bond strength, written the plain way.
QVector<int> bondOrder(const Data &data)
{
    QVector<int> order{0, 1};
    for (int k = 2; k < data.attributeCount(); ++k) {
        double best = std::numeric_limits<double>::min();
        int position = 0;
        for (int j = 0; j < order.size(); ++j) {
            const double b = bond(data, k, order.at(j));
            if (b > best) {
                best = b;
                position = j;
            }
        }
        order.insert(position, k);
    }
    return order;
}

int firstPresent(const Data &data, int a)
{
    for (int t = 0; t < data.timeCount(); ++t)
        if (!std::isnan(data.value(t, a)))
            return t;
    return -1;
}

void reorganize(const Data &input, int mode)
{
    auto *task = new Reorganization(input, mode);
    QVector<int> permutation;
    Data output;
    const TaskProbe::Outcome outcome = TaskProbe::run(task, [&](Task *t) {
        permutation = static_cast<Reorganization *>(t)->permutation();
        output = static_cast<Reorganization *>(t)->result();
    });
    TaskProbe::checkDelivery(outcome);
    const int attributes = input.attributeCount();
    if (attributes < 2) {
        require(outcome.message == QStringLiteral("Number of attributes is less than 2") &&
                    TaskProbe::isEmpty(output),
                QStringLiteral("%1 attributes: \"%2\"").arg(attributes).arg(outcome.message));
        return;
    }
    require(outcome.status == Task::Done, QStringLiteral("failed: ") + outcome.message);
    QVector<int> sorted = permutation;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < sorted.size(); ++i)
        require(sorted.at(i) == i, QStringLiteral("not a permutation"));
    require(sorted.size() == attributes, QStringLiteral("permutation of %1").arg(sorted.size()));
    Data expected = input;
    for (int i = 0; i < attributes; ++i) {
        expected.attributes[i] = input.attributes.at(permutation.at(i));
        for (int t = 0; t < input.timeCount(); ++t)
            expected.values[t * attributes + i] = input.value(t, permutation.at(i));
    }
    const QString difference = TaskProbe::difference(output, expected);
    require(difference.isEmpty(),
            QStringLiteral("result is not the permuted input: ") + difference);
    if (mode == Reorganization::Bea) {
        require(permutation == bondOrder(input),
                QStringLiteral("order differs from the plain one"));
        return;
    }
    // Ascending first present time, ties in input order.
    int previous = -1, previousFirst = -1;
    for (int a : qAsConst(permutation)) {
        const int first = firstPresent(input, a);
        if (first < 0)
            continue;
        require(first > previousFirst || (first == previousFirst && a > previous),
                QStringLiteral("attribute %1 (first value at %2) placed after %3 (at %4)")
                    .arg(a)
                    .arg(first)
                    .arg(previous)
                    .arg(previousFirst));
        previous = a;
        previousFirst = first;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    TaskProbe::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzInput input(bytes, size);
    const int agregationMode = input.byte() % 5; // 4: no aggregation
    qint64 deltaT = 0;
    switch (input.byte() % 4) {
    case 0:
        deltaT = 1 + qint64(input.byte());
        break;
    case 1:
        deltaT = qint64(input.bits(24));
        break;
    case 2:
        deltaT = -qint64(input.bits(16));
        break;
    default:
        deltaT = qint64(input.bits(64));
        break;
    }
    const int normalizationMode = input.byte() % 2;
    const int reorganizationMode = input.byte() % 3; // 2: no reorganization
    const Data data =
        input.data(6, 48, QDateTime(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC), qint64(1) << 32);

    const Data agregated = agregationMode < 4 ? agregate(data, agregationMode, deltaT) : data;
    const Data normalized = normalize(agregated, normalizationMode);
    if (reorganizationMode < 2)
        reorganize(normalized, reorganizationMode);
    return 0;
}
