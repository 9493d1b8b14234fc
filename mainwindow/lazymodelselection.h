#ifndef VIREO_MAINWINDOW_LAZYMODELSELECTION_H
#define VIREO_MAINWINDOW_LAZYMODELSELECTION_H

#include "mainwindow/lazymodel.h"

// One selection: a single cell, or its attribute part and its time part.
class LazyModelSelection : public LazyModel
{
public:
    LazyModelSelection(const Selection *selection, LazyModel *parent);

    // "Area n", n its row.
    QString displayText(const Data &data, TimeDisplay times) const override;
    // SelectionsItemModel::SelectionRole: the selection, as a void pointer.
    QVariant roleData(int role) const override;

protected:
    std::unique_ptr<LazyModel> createChild(int row) override;

private:
    bool isOneCell() const;

    const Selection *m_selection;
};

#endif // VIREO_MAINWINDOW_LAZYMODELSELECTION_H
