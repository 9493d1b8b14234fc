#ifndef VIREO_MAINWINDOW_SELECTIONSITEMMODEL_H
#define VIREO_MAINWINDOW_SELECTIONSITEMMODEL_H

#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/lazymodel.h"

#include <QAbstractItemModel>

#include <memory>

// A read-only tree of the cells of one selection (its attribute part and its
// time part) or of a list of them (one area each). Nodes are built as the
// view first asks for them; names, times and values are read from the
// model's own copy of the data.
class SelectionsItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // On an area row: a void pointer to its selection, valid while the model lives.
    static constexpr int SelectionRole = Qt::UserRole + 1;

    SelectionsItemModel(const QString &name, const Selections &selections, const Data &data,
                        QObject *parent);
    SelectionsItemModel(const QString &name, const Selection &selection, const Data &data,
                        QObject *parent);
    ~SelectionsItemModel() override;

    LazyModel::TimeDisplay timeDisplay() const { return m_timeDisplay; }
    // Rewrites the times of every row shown.
    void setTimeDisplay(LazyModel::TimeDisplay times);

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    LazyModel *node(const QModelIndex &index) const;

    QString m_name;
    Selections m_selections;
    Data m_sourceData;
    std::unique_ptr<LazyModel> m_root;
    LazyModel::TimeDisplay m_timeDisplay = LazyModel::Calendar;
};

#endif // VIREO_MAINWINDOW_SELECTIONSITEMMODEL_H
