#include "mainwindow/selectionpanels.h"

#include "mainwindow/lazymodelvalue.h"
#include "mainwindow/selectionsitemmodel.h"
#include "view/vireoglwidget.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QTreeView>
#include <QTreeWidget>

namespace {

bool fits(const Selection &s, const Data &data)
{
    const auto inRange = [](int i, int count) { return i >= 0 && i < count; };
    return inRange(s.firstAttribute, data.attributeCount()) &&
           inRange(s.lastAttribute, data.attributeCount()) &&
           inRange(s.firstTime, data.timeCount()) && inRange(s.lastTime, data.timeCount()) &&
           s.firstTime <= s.lastTime;
}

} // namespace

SelectionPanels::SelectionPanels(const Widgets &widgets, std::function<Data()> displayedData,
                                 QObject *parent)
    : QObject(parent), m_widgets(widgets), m_displayedData(std::move(displayedData))
{
    // Expanding a node of 100,000 rows must not measure each one.
    m_widgets.selectionTree->setUniformRowHeights(true);
    m_widgets.correlationTree->setUniformRowHeights(true);
    connect(m_widgets.epochButton, &QAbstractButton::toggled, this,
            &SelectionPanels::timeDisplayChanged);
}

Data SelectionPanels::dataFor(const Selection &selection)
{
    const Data &shown = m_widgets.view->data();
    if (m_cachedData.values.isEmpty() ||
        m_viewData.values.constData() != shown.values.constData()) {
        m_viewData = shown;
        m_cachedData = m_displayedData();
        // The view drops its notes with its table without announcing it.
        showAnnotations(m_widgets.view->annotations());
    }
    if (m_cachedData.values.isEmpty() || m_cachedData.attributeCount() != shown.attributeCount() ||
        m_cachedData.timeCount() != shown.timeCount())
        return Data();
    if (selection.type != Selection::None && !fits(selection, m_cachedData))
        return Data();
    return m_cachedData;
}

LazyModel::TimeDisplay SelectionPanels::timeDisplay() const
{
    return m_widgets.epochButton->isChecked() ? LazyModel::Epoch : LazyModel::Calendar;
}

void SelectionPanels::timeDisplayChanged()
{
    for (QTreeView *tree : {m_widgets.selectionTree, m_widgets.correlationTree})
        if (auto *model = qobject_cast<SelectionsItemModel *>(tree->model()))
            model->setTimeDisplay(timeDisplay());
    if (m_valueSelection.type == Selection::Value)
        showValueLabel();
}

void SelectionPanels::showSelection(const Selection &selection)
{
    const Data data = dataFor(selection);
    if (data.values.isEmpty())
        return;
    m_valueSelection = Selection();
    m_valueData = Data();
    switch (selection.type) {
    case Selection::None:
        m_widgets.label->setText(tr("No selection"));
        m_widgets.correlationGroup->hide();
        m_widgets.selectionTree->hide();
        return;
    case Selection::Value:
        m_valueSelection = selection;
        m_valueData = data;
        showValueLabel();
        m_widgets.selectionTree->hide();
        return;
    default:
        m_widgets.label->setText(tr("Type of selection : %1").arg(selection.typeName()));
        replaceModel(m_widgets.selectionTree,
                     new SelectionsItemModel(tr("Selection"), selection, data, this));
        m_widgets.selectionTree->show();
        m_widgets.correlationGroup->show();
    }
}

void SelectionPanels::showValueLabel()
{
    // The tree's own cell text: name, time and value.
    const LazyModelValue cell(LazyModelValue::AttributeAndTime, 0, 0, &m_valueSelection, nullptr);
    m_widgets.label->setText(cell.displayText(m_valueData, timeDisplay()));
}

void SelectionPanels::replaceModel(QTreeView *tree, SelectionsItemModel *model)
{
    QAbstractItemModel *old = tree->model();
    model->setTimeDisplay(timeDisplay());
    tree->setModel(model);
    // Only once the view has let go of it.
    if (qobject_cast<SelectionsItemModel *>(old) && old->parent() == this)
        delete old;
}

void SelectionPanels::showCorrelation(const Selections &selections)
{
    if (selections.isEmpty()) {
        m_widgets.correlationTree->hide();
        m_widgets.correlationProgress->setValue(0);
        return;
    }
    const Data data = dataFor(Selection());
    if (data.values.isEmpty())
        return;
    for (const Selection &selection : selections)
        if (!fits(selection, data))
            return;
    replaceModel(m_widgets.correlationTree,
                 new SelectionsItemModel(tr("Correlation"), selections, data, this));
    m_widgets.correlationTree->show();
}

void SelectionPanels::showAnnotations(const Annotations &annotations)
{
    QTreeWidget *tree = m_widgets.annotationTree;
    if (annotations.isEmpty()) {
        tree->hide();
        return;
    }
    tree->clear();
    tree->show();
    QList<QTreeWidgetItem *> items;
    for (int k = 0; k < annotations.size(); ++k) {
        auto *item = new QTreeWidgetItem(QStringList(tr("Annotation %1 :").arg(k)));
        item->setData(0, Qt::UserRole, QVariant::fromValue(annotations.at(k)));
        // Owned by its top-level item.
        new QTreeWidgetItem(item, QStringList(annotations.at(k).text));
        items << item;
    }
    tree->addTopLevelItems(items);
}

void SelectionPanels::selectArea(const QModelIndex &index, bool fly)
{
    const QVariant pointer = index.data(SelectionsItemModel::SelectionRole);
    const void *selection = pointer.canConvert<void *>() ? pointer.value<void *>() : nullptr;
    if (selection)
        select(*static_cast<const Selection *>(selection), fly);
}

void SelectionPanels::selectAnnotation(const QModelIndex &index, bool fly)
{
    const Annotation annotation = index.data(Qt::UserRole).value<Annotation>();
    if (annotation.hasSelection)
        select(annotation.selection, fly);
}

void SelectionPanels::select(const Selection &selection, bool fly)
{
    VireoGLWidget *view = m_widgets.view;
    // A note taken on an earlier table would point at cells of another one.
    if (!view->layout().contains(selection))
        return;
    const Selection current(view->data(), selection.firstAttribute, selection.lastAttribute,
                            selection.firstTime, selection.lastTime);
    view->setSelection(current);
    if (fly)
        view->goTo(current);
}
