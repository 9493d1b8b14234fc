#ifndef VIREO_MAINWINDOW_LAZYMODELTIMES_H
#define VIREO_MAINWINDOW_LAZYMODELTIMES_H

#include "mainwindow/lazymodel.h"

// The time steps of a selection, one row each.
class LazyModelTimes : public LazyModel
{
public:
    LazyModelTimes(const Selection *selection, LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELTIMES_H
