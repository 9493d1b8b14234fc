#include "mainwindow/lazymodel.h"

namespace {

QString errorText()
{
    return QStringLiteral("Error");
}

// The data index of the i-th attribute of the run, or -1 off the table.
int dataAttribute(const Selection &selection, int i, const Data &data)
{
    const int count = data.attributeCount();
    if (count == 0 || selection.firstAttribute < 0 || selection.firstAttribute >= count || i < 0)
        return -1;
    return int((qint64(selection.firstAttribute) + i) % count);
}

int dataTime(const Selection &selection, int j, const Data &data)
{
    const qint64 t = qint64(selection.firstTime) + j;
    return t >= 0 && t < data.timeCount() ? int(t) : -1;
}

} // namespace

LazyModel::LazyModel(int childCount, LazyModel *parent)
    : m_childCount(qMax(0, childCount)), m_parent(parent)
{}

LazyModel::~LazyModel() = default;

QVariant LazyModel::roleData(int) const
{
    return QVariant();
}

LazyModel *LazyModel::child(int row)
{
    if (row < 0 || row >= m_childCount)
        return nullptr;
    if (!m_children)
        m_children.reset(new std::unique_ptr<LazyModel>[size_t(m_childCount)]);
    std::unique_ptr<LazyModel> &slot = m_children[size_t(row)];
    if (!slot) {
        slot = createChild(row);
        if (slot)
            slot->m_row = row;
    }
    return slot.get();
}

QString LazyModel::attributeText(const Selection &selection, int i, const Data &data)
{
    const int a = dataAttribute(selection, i, data);
    return a < 0 ? errorText() : data.attributes.at(a);
}

QString LazyModel::timeText(const Selection &selection, int j, const Data &data, TimeDisplay times)
{
    const int t = dataTime(selection, j, data);
    if (t < 0)
        return errorText();
    const QDateTime time = data.timeAt(t);
    return times == Epoch ? QString::number(time.toSecsSinceEpoch())
                          : time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString LazyModel::valueText(const Selection &selection, int i, int j, const Data &data)
{
    const int a = dataAttribute(selection, i, data);
    const int t = dataTime(selection, j, data);
    if (a < 0 || t < 0 || qint64(t) * data.attributeCount() + a >= data.values.size())
        return errorText();
    return QString::number(data.value(t, a), 'g', 6);
}
