#ifndef VIREO_VIEW_VIEWCONTEXTMENU_H
#define VIREO_VIEW_VIEWCONTEXTMENU_H

#include "core/annotation.h"
#include "core/selection.h"

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>

class VireoGLWidget;

// The menu of actions on the view's current selection: ask for correlated
// blocks, export the selected cells, attach a note. Its menu and dialogs go
// through replaceable functions, so that tests answer them.
class ViewContextMenu : public QObject
{
    Q_OBJECT

public:
    enum Entry
    {
        NoEntry = -1,
        TwoDView,
        DetectCorrelation,
        ExportSelection,
        AddAnnotation
    };

    // The index of the chosen entry, NoEntry when the menu was dismissed.
    using EntryChooser = std::function<int(const QStringList &entries, const QPoint &globalPos)>;
    // A null name when cancelled.
    using FileNameAsker = std::function<QString(const QString &caption, const QString &filter)>;
    using NoteAsker = std::function<QString(const QString &title, const QString &label,
                                            const QString &initialText, bool *accepted)>;
    using Warner = std::function<void(const QString &title, const QString &text)>;

    // Warnings go through warner; the other dialogs are the real ones until replaced.
    ViewContextMenu(VireoGLWidget *view, Warner warner);

    static QStringList entries();

    void setEntryChooser(EntryChooser chooser) { m_chooseEntry = std::move(chooser); }
    void setFileNameAsker(FileNameAsker asker) { m_askFileName = std::move(asker); }
    void setNoteAsker(NoteAsker asker) { m_askNote = std::move(asker); }

    // Opens the menu at pos (view coordinates) and carries out the chosen entry.
    void exec(const QPoint &pos);

signals:
    void correlationRequested(Selection selection);
    // After every export, also a cancelled or failed one.
    void exportFinished();
    void noteWritten(Annotation annotation);

private:
    // Each reads the view's selection after its own dialog: new data may
    // have arrived while it was open and taken the selection away.
    bool hasSelection() const;
    void exportSelection();
    void addAnnotation();

    VireoGLWidget *m_view;
    Warner m_warn;
    EntryChooser m_chooseEntry;
    FileNameAsker m_askFileName;
    NoteAsker m_askNote;
};

#endif // VIREO_VIEW_VIEWCONTEXTMENU_H
