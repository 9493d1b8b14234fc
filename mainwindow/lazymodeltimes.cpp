#include "mainwindow/lazymodeltimes.h"

#include "mainwindow/lazymodeltime.h"

#include <QCoreApplication>

LazyModelTimes::LazyModelTimes(const Selection *selection, LazyModel *parent)
    : LazyModel(selection->timeCount(), parent), m_selection(selection)
{}

QString LazyModelTimes::displayText(const Data &, TimeDisplay) const
{
    return QCoreApplication::translate("LazyModel", "%1 times steps").arg(childCount());
}

std::unique_ptr<LazyModel> LazyModelTimes::createChild(int row)
{
    return std::make_unique<LazyModelTime>(row, m_selection, this);
}
