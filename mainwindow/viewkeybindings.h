#ifndef VIREO_MAINWINDOW_VIEWKEYBINDINGS_H
#define VIREO_MAINWINDOW_VIEWKEYBINDINGS_H

#include <QMap>

#include <functional>

class QObject;
class VireoGLWidget;

// The view's key bindings: the modeless dialog that edits them, and a chosen
// set handed to the view.
class ViewKeyBindings
{
public:
    using Chosen = std::function<void(QMap<int, int>, int, QMap<int, int>, QMap<int, int>)>;

    // window: the dialog goes with it and reports a choice through chosen in
    // its thread.
    ViewKeyBindings(VireoGLWidget *view, QObject *window, Chosen chosen);

    void editInDialog();
    void set(const QMap<int, int> &camera, int returnToOrigin, const QMap<int, int> &picking,
             const QMap<int, int> &moveSelection);

private:
    VireoGLWidget *view;
    QObject *window;
    Chosen chosen;
};

#endif // VIREO_MAINWINDOW_VIEWKEYBINDINGS_H
