#ifndef VIREO_MAINWINDOW_LAZYMODEL_H
#define VIREO_MAINWINDOW_LAZYMODEL_H

#include "core/data.h"
#include "core/selection.h"

#include <QString>
#include <QVariant>

#include <memory>

// A node of the selection and correlation trees. Its child count is fixed
// when it is made, but children are only built when first asked for: a zone
// of millions of cells would otherwise cost its whole tree before a row shows.
class LazyModel
{
public:
    // How time stamps are written: "yyyy-MM-dd hh:mm:ss" or seconds since 1970.
    enum TimeDisplay
    {
        Calendar,
        Epoch
    };

    LazyModel(int childCount, LazyModel *parent);
    virtual ~LazyModel();
    LazyModel(const LazyModel &) = delete;
    LazyModel &operator=(const LazyModel &) = delete;

    virtual QString displayText(const Data &data, TimeDisplay times) const = 0;
    virtual QVariant roleData(int role) const;

    int childCount() const { return m_childCount; }
    // The child at row, built on first request; null past the child count or
    // for a node that builds none.
    LazyModel *child(int row);
    LazyModel *parent() const { return m_parent; }
    // Row under the parent; -1 until the parent has built the node, and for
    // the root.
    int row() const { return m_row; }

protected:
    virtual std::unique_ptr<LazyModel> createChild(int row) = 0;

    // Texts of the i-th attribute and j-th time of a selection as found in
    // data; "Error" when the selection reaches past data.
    static QString attributeText(const Selection &selection, int i, const Data &data);
    static QString timeText(const Selection &selection, int j, const Data &data, TimeDisplay times);
    static QString valueText(const Selection &selection, int i, int j, const Data &data);

private:
    int m_row = -1;
    int m_childCount;
    LazyModel *m_parent;
    // Allocated with the first child: most nodes of a large tree never have one.
    std::unique_ptr<std::unique_ptr<LazyModel>[]> m_children;
};

#endif // VIREO_MAINWINDOW_LAZYMODEL_H
