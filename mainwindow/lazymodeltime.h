#ifndef VIREO_MAINWINDOW_LAZYMODELTIME_H
#define VIREO_MAINWINDOW_LAZYMODELTIME_H

#include "mainwindow/lazymodel.h"

// One time step of a selection (counted from its first), with the value of
// each attribute of the selection beneath it.
class LazyModelTime : public LazyModel
{
public:
    LazyModelTime(int timeIndex, const Selection *selection, LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    int m_timeIndex;
    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELTIME_H
