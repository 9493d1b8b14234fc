#ifndef VIREO_MAINWINDOW_LAZYMODELSELECTIONS_H
#define VIREO_MAINWINDOW_LAZYMODELSELECTIONS_H

#include "mainwindow/lazymodel.h"

// Root of the correlation tree: one area per selection of the list.
class LazyModelSelections : public LazyModel
{
public:
    LazyModelSelections(const Selections *selections, LazyModel *parent);

    QString displayText(const Data &data, TimeDisplay times) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    const Selections *m_selections;
};

#endif // VIREO_MAINWINDOW_LAZYMODELSELECTIONS_H
