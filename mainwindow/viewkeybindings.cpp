#include "mainwindow/viewkeybindings.h"

#include "view/vireoglwidget.h"
#include "widgets/keysconfigurationdialog.h"

ViewKeyBindings::ViewKeyBindings(VireoGLWidget *view, QObject *window, Chosen chosen)
    : view(view), window(window), chosen(std::move(chosen))
{}

void ViewKeyBindings::editInDialog()
{
    // Modeless and without a parent, so the window stays usable; it goes when
    // closed, does not keep the program running, and goes with the window.
    auto *dialog = new KeysConfigurationDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAttribute(Qt::WA_QuitOnClose, false);
    QObject::connect(window, &QObject::destroyed, dialog, [dialog] { delete dialog; });
    dialog->setCameraKeys(view->keyMapForCamera());
    dialog->returnToOriginKeyChoose(view->keyForReturnToOrigin());
    dialog->setPickingKeys(view->keyMapForPicking());
    dialog->setMoveSelectionKeys(view->keyMapToMoveSelection());
    dialog->show();
    QObject::connect(dialog, &KeysConfigurationDialog::configurationSelected, window, chosen);
}

void ViewKeyBindings::set(const QMap<int, int> &camera, int returnToOrigin,
                          const QMap<int, int> &picking, const QMap<int, int> &moveSelection)
{
    view->setKeyMapForCamera(camera);
    view->setKeyForReturnToOrigin(returnToOrigin);
    view->setKeyMapForPicking(picking);
    view->setKeyMapToMoveSelection(moveSelection);
}
