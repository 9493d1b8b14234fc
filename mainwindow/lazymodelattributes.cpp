#include "mainwindow/lazymodelattributes.h"

#include "mainwindow/lazymodelattribute.h"

#include <QCoreApplication>

LazyModelAttributes::LazyModelAttributes(const Selection *selection, LazyModel *parent)
    : LazyModel(selection->attributeCount(), parent), m_selection(selection)
{}

QString LazyModelAttributes::displayText(const Data &, TimeDisplay) const
{
    return QCoreApplication::translate("LazyModel", "%1 attributes").arg(childCount());
}

std::unique_ptr<LazyModel> LazyModelAttributes::createChild(int row)
{
    return std::make_unique<LazyModelAttribute>(row, m_selection, this);
}
