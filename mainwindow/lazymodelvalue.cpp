#include "mainwindow/lazymodelvalue.h"

LazyModelValue::LazyModelValue(int kind, int attributeIndex, int timeIndex,
                               const Selection *selection, LazyModel *parent)
    : LazyModel(0, parent), m_kind(kind), m_attributeIndex(attributeIndex), m_timeIndex(timeIndex),
      m_selection(selection)
{}

QString LazyModelValue::displayText(const Data &data, TimeDisplay times) const
{
    const QString value = valueText(*m_selection, m_attributeIndex, m_timeIndex, data);
    // One arg() call for all: a name holding "%2" must stay as it is.
    switch (m_kind) {
    case TimeOnly:
        return QStringLiteral("%1 : %2").arg(timeText(*m_selection, m_timeIndex, data, times),
                                             value);
    case AttributeOnly:
        return QStringLiteral("%1 : %2").arg(attributeText(*m_selection, m_attributeIndex, data),
                                             value);
    case AttributeAndTime:
        return QStringLiteral("%1, %2 : %3")
            .arg(attributeText(*m_selection, m_attributeIndex, data),
                 timeText(*m_selection, m_timeIndex, data, times), value);
    default:
        return QStringLiteral("Error");
    }
}

std::unique_ptr<LazyModel> LazyModelValue::createChild(int)
{
    return nullptr;
}
