#include "mainwindow/lazymodeltime.h"

#include "mainwindow/lazymodelvalue.h"

LazyModelTime::LazyModelTime(int timeIndex, const Selection *selection, LazyModel *parent)
    : LazyModel(selection->attributeCount(), parent), m_timeIndex(timeIndex), m_selection(selection)
{}

QString LazyModelTime::displayText(const Data &data, TimeDisplay times) const
{
    return timeText(*m_selection, m_timeIndex, data, times);
}

std::unique_ptr<LazyModel> LazyModelTime::createChild(int row)
{
    return std::make_unique<LazyModelValue>(LazyModelValue::AttributeOnly, row, m_timeIndex,
                                            m_selection, this);
}
