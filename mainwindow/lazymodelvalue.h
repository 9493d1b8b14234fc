#ifndef VIREO_MAINWINDOW_LAZYMODELVALUE_H
#define VIREO_MAINWINDOW_LAZYMODELVALUE_H

#include "mainwindow/lazymodel.h"

// One cell of a selection: its value, after its time, its attribute's name or
// both, as its parent does not already show them.
class LazyModelValue : public LazyModel
{
public:
    // Bits: 1 the time is shown, 2 the attribute's name.
    enum Kind
    {
        TimeOnly = 1,
        AttributeOnly = 2,
        AttributeAndTime = 3
    };

    LazyModelValue(int kind, int attributeIndex, int timeIndex, const Selection *selection,
                   LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    int m_kind;
    int m_attributeIndex;
    int m_timeIndex;
    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELVALUE_H
