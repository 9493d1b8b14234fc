#include "mainwindow/lazymodelattribute.h"

#include "mainwindow/lazymodelvalue.h"

LazyModelAttribute::LazyModelAttribute(int attributeIndex, const Selection *selection,
                                       LazyModel *parent)
    : LazyModel(selection->timeCount(), parent), m_attributeIndex(attributeIndex),
      m_selection(selection)
{}

QString LazyModelAttribute::displayText(const Data &data, TimeDisplay) const
{
    return attributeText(*m_selection, m_attributeIndex, data);
}

std::unique_ptr<LazyModel> LazyModelAttribute::createChild(int row)
{
    return std::make_unique<LazyModelValue>(LazyModelValue::TimeOnly, m_attributeIndex, row,
                                            m_selection, this);
}
