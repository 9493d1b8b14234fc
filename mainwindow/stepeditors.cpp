#include "mainwindow/stepeditors.h"

#include "mainwindow/deltatime.h"

#include <QSignalBlocker>
#include <QSpinBox>

StepEditors::StepEditors(const std::array<QSpinBox *, 6> &fields, QSpinBox *seconds,
                         QSpinBox *count)
    : m_fields(fields), m_seconds(seconds), m_count(count)
{
    // Every split of a step fits the fields.
    m_fields[0]->setMaximum(DeltaTime::maximumYears());
}

void StepEditors::setSpan(const Data &data)
{
    m_spanKnown = data.timeCount() >= 2;
    m_span = m_spanKnown ? data.firstTime().secsTo(data.lastTime()) : 0;
}

void StepEditors::show(qint64 deltaT)
{
    showStep(DeltaTime::bounded(deltaT), true);
}

bool StepEditors::fieldsEdited()
{
    DeltaTime::Fields fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = m_fields[i]->value();
    const qint64 total = DeltaTime::total(fields);
    // All fields at 0 is an entry in progress, not a step.
    if (total <= 0)
        return false;
    const qint64 deltaT = DeltaTime::bounded(total);
    // Fields beyond the largest step show that step instead.
    showStep(deltaT, deltaT != total);
    return true;
}

void StepEditors::secondsEdited()
{
    showStep(m_seconds->value(), true);
}

bool StepEditors::countEdited()
{
    if (!m_spanKnown)
        return false;
    showStep(DeltaTime::forStepCount(m_span, m_count->value()), true);
    return true;
}

void StepEditors::showStep(qint64 deltaT, bool withFields)
{
    {
        const QSignalBlocker blocker(m_seconds);
        m_seconds->setValue(int(deltaT));
    }
    if (withFields) {
        const DeltaTime::Fields fields = DeltaTime::split(deltaT);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const QSignalBlocker blocker(m_fields[i]);
            m_fields[i]->setValue(fields[i]);
        }
    }
    if (m_spanKnown) {
        const QSignalBlocker blocker(m_count);
        const qint64 count = DeltaTime::stepCount(m_span, deltaT);
        m_count->setValue(int(qBound<qint64>(m_count->minimum(), count, m_count->maximum())));
    }
}
