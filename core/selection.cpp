#include "core/selection.h"

#include <algorithm>

Selection::Selection(const Data &data, int firstAttribute, int lastAttribute, int time1, int time2)
    : firstAttribute(firstAttribute)
    , lastAttribute(lastAttribute)
    , firstTime(std::min(time1, time2))
    , lastTime(std::max(time1, time2))
    , data(data)
{
    const int lastAttributeIndex = data.attributeCount() - 1;
    const int lastTimeIndex = data.timeCount() - 1;
    if (firstAttribute == lastAttribute && firstTime == lastTime)
        type = Value;
    else if (firstAttribute == lastAttribute && firstTime == 0 && lastTime == lastTimeIndex)
        type = Attribute;
    else if (firstTime == lastTime && firstAttribute == 0 && lastAttribute == lastAttributeIndex)
        type = Time;
    else
        type = Zone;
}

int Selection::attributeCount() const
{
    if (type == None)
        return 0;
    if (firstAttribute <= lastAttribute)
        return lastAttribute - firstAttribute + 1;
    return data.attributeCount() - firstAttribute + 1 + lastAttribute;
}

int Selection::timeCount() const
{
    return type == None ? 0 : lastTime - firstTime + 1;
}

int Selection::attributeIndex(int i) const
{
    const int count = data.attributeCount();
    return count > 0 ? (firstAttribute + i) % count : firstAttribute + i;
}

QString Selection::attributeName(int i) const
{
    return data.attributes.at(attributeIndex(i));
}

QDateTime Selection::time(int j) const
{
    return data.timeAt(firstTime + j);
}

double Selection::value(int i, int j) const
{
    return data.value(firstTime + j, attributeIndex(i));
}

QString Selection::typeName() const
{
    switch (type) {
    case Value:
        return QStringLiteral("value");
    case Attribute:
        return QStringLiteral("attribute");
    case Time:
        return QStringLiteral("time");
    case Zone:
        return QStringLiteral("zone");
    default:
        return QString();
    }
}
