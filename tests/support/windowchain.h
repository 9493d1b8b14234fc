#ifndef VIREO_TESTS_SUPPORT_WINDOWCHAIN_H
#define VIREO_TESTS_SUPPORT_WINDOWCHAIN_H

// What the window's chain should show, computed by the operations alone.

#include "operations/agregation.h"
#include "operations/normalization.h"
#include "operations/reorganization.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSpinBox>

// The chain run task by task; -1 for "None".
inline Data chain(const Data &original, int agregation, qint64 deltaT, int normalization,
                  int reorganization)
{
    Data data =
        agregation < 0 ? original : ran(new Agregation(original, agregation, deltaT))->result();
    data = ran(new Normalization(data, normalization))->result();
    return reorganization < 0 ? data : ran(new Reorganization(data, reorganization))->result();
}

// The chain for the settings the window's editors show.
inline Data chainOf(const TestWindow &w, const Data &original)
{
    return chain(original, w.child<QComboBox>("comboBoxModeAgregation")->currentIndex() - 1,
                 w.child<QSpinBox>("spinEpoch")->value(),
                 w.child<QAbstractButton>("radioNormalizationGlobal")->isChecked()
                     ? Normalization::Global
                     : Normalization::Local,
                 w.child<QComboBox>("comboBoxModeReorganization")->currentIndex() - 1);
}

// Scores as bytes: NaN scores compare equal.
inline QByteArray bytes(const QVector<float> &scores)
{
    return QByteArray(reinterpret_cast<const char *>(scores.constData()),
                      int(scores.size() * sizeof(float)));
}

#endif
