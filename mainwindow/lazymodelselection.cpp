#include "mainwindow/lazymodelselection.h"

#include "mainwindow/lazymodelattribute.h"
#include "mainwindow/lazymodelattributes.h"
#include "mainwindow/lazymodeltime.h"
#include "mainwindow/lazymodeltimes.h"
#include "mainwindow/lazymodelvalue.h"
#include "mainwindow/selectionsitemmodel.h"

#include <QCoreApplication>

LazyModelSelection::LazyModelSelection(const Selection *selection, LazyModel *parent)
    : LazyModel(selection->attributeCount() == 1 && selection->timeCount() == 1 ? 1 : 2, parent),
      m_selection(selection)
{}

bool LazyModelSelection::isOneCell() const
{
    return childCount() == 1;
}

QString LazyModelSelection::displayText(const Data &, TimeDisplay) const
{
    return QCoreApplication::translate("LazyModel", "Area %1").arg(row());
}

QVariant LazyModelSelection::roleData(int role) const
{
    if (role != SelectionsItemModel::SelectionRole)
        return QVariant();
    return QVariant::fromValue(static_cast<void *>(const_cast<Selection *>(m_selection)));
}

std::unique_ptr<LazyModel> LazyModelSelection::createChild(int row)
{
    if (isOneCell())
        return std::make_unique<LazyModelValue>(LazyModelValue::AttributeAndTime, 0, 0, m_selection,
                                                this);
    if (row == 0) {
        if (m_selection->attributeCount() < 2)
            return std::make_unique<LazyModelAttribute>(0, m_selection, this);
        return std::make_unique<LazyModelAttributes>(m_selection, this);
    }
    if (m_selection->timeCount() < 2)
        return std::make_unique<LazyModelTime>(0, m_selection, this);
    return std::make_unique<LazyModelTimes>(m_selection, this);
}
