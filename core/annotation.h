#ifndef VIREO_CORE_ANNOTATION_H
#define VIREO_CORE_ANNOTATION_H

#include "core/selection.h"

#include <QMetaType>
#include <QString>
#include <QVector>

// A user's note attached to a block of cells.
class Annotation
{
public:
    Annotation() = default;
    Annotation(const QString &text, const Selection &selection);

    Selection selection;
    QString text;
    // False for a default-constructed annotation, which consumers ignore.
    bool hasSelection = false;
};

using Annotations = QVector<Annotation>;

Q_DECLARE_METATYPE(Annotation)
Q_DECLARE_METATYPE(Annotations)

#endif // VIREO_CORE_ANNOTATION_H
