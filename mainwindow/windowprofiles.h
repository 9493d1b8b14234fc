#ifndef VIREO_MAINWINDOW_WINDOWPROFILES_H
#define VIREO_MAINWINDOW_WINDOWPROFILES_H

#include "mainwindow/profile.h"

#include <functional>

class QStatusBar;
class WindowDialogs;

namespace Ui {
class VireoMainWindow;
}

// The window's widgets and the view's key bindings as a Profile, in both
// directions, and the profile files the menus save and open.
class WindowProfiles
{
public:
    // normalizationClicked and timeDisplayClicked do what a click on their
    // radio buttons does; keysChosen hands key bindings to the window.
    WindowProfiles(Ui::VireoMainWindow *ui, WindowDialogs &dialogs, QStatusBar *status,
                   std::function<void()> normalizationClicked,
                   std::function<void()> timeDisplayClicked,
                   std::function<void(const Profile::KeyBindings &)> keysChosen);

    // kind: Profile::Kind.
    void save(int kind);
    void open(int kind);
    // What the widgets and the view's bindings hold.
    Profile current() const;
    // Through the widgets' setters, whose signals rerun the chain and recolour
    // the view; a setting the profile lacks is left alone.
    void apply(const Profile &profile, int kind);

private:
    Ui::VireoMainWindow *ui;
    WindowDialogs &dialogs;
    QStatusBar *status;
    std::function<void()> normalizationClicked;
    std::function<void()> timeDisplayClicked;
    std::function<void(const Profile::KeyBindings &)> keysChosen;
};

#endif // VIREO_MAINWINDOW_WINDOWPROFILES_H
