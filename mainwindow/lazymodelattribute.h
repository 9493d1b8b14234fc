#ifndef VIREO_MAINWINDOW_LAZYMODELATTRIBUTE_H
#define VIREO_MAINWINDOW_LAZYMODELATTRIBUTE_H

#include "mainwindow/lazymodel.h"

// One attribute of a selection (counted from its first), with its value at
// each time step of the selection beneath it.
class LazyModelAttribute : public LazyModel
{
public:
    LazyModelAttribute(int attributeIndex, const Selection *selection, LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    int m_attributeIndex;
    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELATTRIBUTE_H
