#ifndef VIREO_MAINWINDOW_SELECTIONPANELS_H
#define VIREO_MAINWINDOW_SELECTIONPANELS_H

#include "core/annotation.h"
#include "core/data.h"
#include "core/selection.h"
#include "mainwindow/lazymodel.h"

#include <QModelIndex>
#include <QObject>

#include <functional>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QTreeView;
class QTreeWidget;
class QWidget;
class SelectionsItemModel;
class VireoGLWidget;

// The side panels that describe what is picked in the view: the selection
// label and tree, the correlation tree and the annotation list. Their rows
// lead back to the view.
class SelectionPanels : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        VireoGLWidget *view;
        QLabel *label;
        QTreeView *selectionTree;
        QWidget *correlationGroup;
        QProgressBar *correlationProgress;
        QTreeView *correlationTree;
        QTreeWidget *annotationTree;
        // Checked: times are shown as seconds since 1970.
        QAbstractButton *epochButton;
    };

    // displayedData: the values as read and aggregated, in the view's
    // attribute order; empty while there is none.
    SelectionPanels(const Widgets &widgets, std::function<Data()> displayedData, QObject *parent);

    void showSelection(const Selection &selection);
    void showCorrelation(const Selections &selections);
    void showAnnotations(const Annotations &annotations);
    // Makes the area or annotation of a row the view's selection; fly also
    // brings the camera to it. Other rows do nothing.
    void selectArea(const QModelIndex &index, bool fly);
    void selectAnnotation(const QModelIndex &index, bool fly);

private:
    // Empty when there is nothing to read the selection's cells from.
    Data dataFor(const Selection &selection);
    LazyModel::TimeDisplay timeDisplay() const;
    void timeDisplayChanged();
    void showValueLabel();
    void replaceModel(QTreeView *tree, SelectionsItemModel *model);
    void select(const Selection &selection, bool fly);

    Widgets m_widgets;
    std::function<Data()> m_displayedData;
    // The displayed data is a reordered copy of the whole table: it is made
    // again only when the view shows another table, kept in m_viewData so
    // that its buffer cannot be reused by the next one.
    Data m_viewData;
    Data m_cachedData;
    // The value selection the label describes, rewritten when the time
    // display changes.
    Selection m_valueSelection;
    Data m_valueData;
};

#endif // VIREO_MAINWINDOW_SELECTIONPANELS_H
