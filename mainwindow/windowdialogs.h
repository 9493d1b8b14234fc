#ifndef VIREO_MAINWINDOW_WINDOWDIALOGS_H
#define VIREO_MAINWINDOW_WINDOWDIALOGS_H

#include <QMessageBox>
#include <QString>

// The window's modal dialogs, as its helpers reach them: the window implements
// them, and tests replace the window's versions, so no helper opens a box of
// its own.
class WindowDialogs
{
public:
    virtual QString askOpenFileName(const QString &caption, const QString &filter) = 0;
    virtual QString askSaveFileName(const QString &caption, const QString &filter) = 0;
    virtual QMessageBox::StandardButton askQuestion(const QString &title, const QString &text) = 0;
    virtual void showWarning(const QString &title, const QString &text) = 0;
    virtual void showInformation(const QString &title, const QString &text) = 0;

protected:
    virtual ~WindowDialogs();
};

#endif // VIREO_MAINWINDOW_WINDOWDIALOGS_H
