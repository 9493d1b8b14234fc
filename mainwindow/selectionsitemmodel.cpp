#include "mainwindow/selectionsitemmodel.h"

#include "mainwindow/lazymodelselection.h"
#include "mainwindow/lazymodelselections.h"

SelectionsItemModel::SelectionsItemModel(const QString &name, const Selections &selections,
                                         const Data &data, QObject *parent)
    : QAbstractItemModel(parent), m_name(name), m_selections(selections), m_sourceData(data)
{
    m_root = std::make_unique<LazyModelSelections>(&m_selections, nullptr);
}

SelectionsItemModel::SelectionsItemModel(const QString &name, const Selection &selection,
                                         const Data &data, QObject *parent)
    : QAbstractItemModel(parent), m_name(name), m_selections({selection}), m_sourceData(data)
{
    m_root = std::make_unique<LazyModelSelection>(&m_selections.at(0), nullptr);
}

SelectionsItemModel::~SelectionsItemModel() = default;

void SelectionsItemModel::setTimeDisplay(LazyModel::TimeDisplay times)
{
    if (times == m_timeDisplay)
        return;
    // No row moves: the views only redraw, keeping what they had expanded.
    emit layoutAboutToBeChanged();
    m_timeDisplay = times;
    emit layoutChanged();
}

LazyModel *SelectionsItemModel::node(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<LazyModel *>(index.internalPointer()) : m_root.get();
}

QModelIndex SelectionsItemModel::index(int row, int column, const QModelIndex &parent) const
{
    LazyModel *owner = node(parent);
    if (!owner || column != 0 || row < 0 || row >= owner->childCount())
        return QModelIndex();
    LazyModel *child = owner->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex SelectionsItemModel::parent(const QModelIndex &child) const
{
    LazyModel *item = child.isValid() ? node(child) : nullptr;
    LazyModel *owner = item ? item->parent() : nullptr;
    if (!owner || owner->row() == -1)
        return QModelIndex();
    return createIndex(owner->row(), 0, owner);
}

int SelectionsItemModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    LazyModel *owner = node(parent);
    return owner ? owner->childCount() : 0;
}

int SelectionsItemModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant SelectionsItemModel::data(const QModelIndex &index, int role) const
{
    LazyModel *item = index.isValid() ? node(index) : nullptr;
    if (!item)
        return QVariant();
    if (role == Qt::DisplayRole)
        return item->displayText(m_sourceData, m_timeDisplay);
    return item->roleData(role);
}

QVariant SelectionsItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && role == Qt::DisplayRole)
        return m_name;
    return QAbstractItemModel::headerData(section, orientation, role);
}

Qt::ItemFlags SelectionsItemModel::flags(const QModelIndex &index) const
{
    // The root is no item.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
