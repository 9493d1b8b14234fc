#ifndef VIREO_MAINWINDOW_LAZYMODELATTRIBUTES_H
#define VIREO_MAINWINDOW_LAZYMODELATTRIBUTES_H

#include "mainwindow/lazymodel.h"

// The attributes of a selection, one row each.
class LazyModelAttributes : public LazyModel
{
public:
    LazyModelAttributes(const Selection *selection, LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELATTRIBUTES_H
