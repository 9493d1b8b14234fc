#include "view/viewcontextmenu.h"

#include "io/csvexporter.h"
#include "view/vireoglwidget.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

ViewContextMenu::ViewContextMenu(VireoGLWidget *view, Warner warner)
    : QObject(view), m_view(view), m_warn(std::move(warner))
{
    setObjectName(QStringLiteral("contextMenu"));
    m_chooseEntry = [](const QStringList &entries, const QPoint &globalPos) {
        QMenu menu;
        for (const QString &entry : entries)
            menu.addAction(entry);
        return int(menu.actions().indexOf(menu.exec(globalPos)));
    };
    m_askFileName = [view](const QString &caption, const QString &filter) {
        return QFileDialog::getSaveFileName(view, caption, QString(), filter);
    };
    m_askNote = [view](const QString &title, const QString &label, const QString &initialText,
                       bool *accepted) {
        return QInputDialog::getMultiLineText(view, title, label, initialText, accepted);
    };
}

QStringList ViewContextMenu::entries()
{
    return {tr("2D view"), tr("Detect Correlation"), tr("Export selection"), tr("Add annotation")};
}

bool ViewContextMenu::hasSelection() const
{
    if (m_view->selection().type != Selection::None)
        return true;
    m_warn(tr("Unable to do this"), tr("Please select something before calling this action."));
    return false;
}

void ViewContextMenu::exec(const QPoint &pos)
{
    const int entry = m_chooseEntry(entries(), m_view->mapToGlobal(pos));
    if (entry == NoEntry || !hasSelection())
        return;
    switch (entry) {
    case TwoDView:
        m_warn(tr("Not for now"), tr("This action needs to be implemented."));
        break;
    case DetectCorrelation:
        emit correlationRequested(m_view->selection());
        break;
    case ExportSelection:
        exportSelection();
        break;
    case AddAnnotation:
        addAnnotation();
        break;
    }
}

void ViewContextMenu::exportSelection()
{
    const QString fileName =
        m_askFileName(tr("Save file"), tr("CSV Files (*.csv);;All files(*.*)"));
    if (!fileName.isEmpty() && hasSelection()) {
        const Selections correlation = m_view->correlation();
        const Selections cells =
            correlation.isEmpty() ? Selections{m_view->selection()} : correlation;
        QString message;
        if (!CsvExporter(fileName).exportSelections(cells, message))
            m_warn(tr("Unable to save file"), message);
    }
    emit exportFinished();
}

void ViewContextMenu::addAnnotation()
{
    bool accepted = false;
    const QString text =
        m_askNote(tr("Add annotation"), tr("Note :"), tr("This is a note."), &accepted);
    if (accepted && !text.isEmpty() && hasSelection())
        emit noteWritten(Annotation(text, m_view->selection()));
}
