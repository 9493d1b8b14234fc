#ifndef VIREO_MAINWINDOW_STEPEDITORS_H
#define VIREO_MAINWINDOW_STEPEDITORS_H

#include "core/data.h"

#include <array>

class QSpinBox;

// The three editors of the aggregation step: calendar fields, seconds, and
// the step count over the loaded time span. An edit of one rewrites the
// others with their signals blocked, so that it causes one restart only.
class StepEditors
{
public:
    StepEditors(const std::array<QSpinBox *, 6> &fields, QSpinBox *seconds, QSpinBox *count);

    // The span the step count divides; unknown with fewer than two time stamps.
    void setSpan(const Data &data);
    // Every editor shows deltaT (bounded to the seconds editor's range).
    void show(qint64 deltaT);

    // After the user changed one editor; false when the change sets no step.
    bool fieldsEdited();
    void secondsEdited();
    bool countEdited();

private:
    void showStep(qint64 deltaT, bool withFields);

    std::array<QSpinBox *, 6> m_fields;
    QSpinBox *m_seconds;
    QSpinBox *m_count;
    bool m_spanKnown = false;
    qint64 m_span = 0;
};

#endif // VIREO_MAINWINDOW_STEPEDITORS_H
