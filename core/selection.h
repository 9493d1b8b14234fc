#ifndef VIREO_CORE_SELECTION_H
#define VIREO_CORE_SELECTION_H

#include "core/data.h"

#include <QMetaType>
#include <QVector>

// A block of cells: a run of attributes, which may wrap past the last one back
// to attribute 0 (attributes lie on a circle), times a run of time steps.
class Selection
{
public:
    enum SelectionType { None = 0, Value = 1, Attribute = 2, Time = 3, Zone = 4 };

    Selection() = default;
    Selection(const Data &data, int firstAttribute, int lastAttribute, int time1, int time2);

    int attributeCount() const;
    int timeCount() const;
    int attributeIndex(int i) const;
    QString attributeName(int i) const;
    QDateTime time(int j) const;
    double value(int i, int j) const;
    QString typeName() const;

    int firstAttribute = 0;
    int lastAttribute = 0;
    int firstTime = 0;
    int lastTime = 0;
    Data data;
    int type = None;
};

using Selections = QVector<Selection>;

Q_DECLARE_METATYPE(Selection)
Q_DECLARE_METATYPE(Selections)

#endif // VIREO_CORE_SELECTION_H
