#include "mainwindow/windowprofiles.h"

#include "mainwindow/windowdialogs.h"
#include "ui_vireomainwindow.h"

#include <QCoreApplication>
#include <QStatusBar>

namespace {

// Not translated: the same in every language.
QString profileFilter()
{
    return QStringLiteral("INI Files (*.ini);;All files(*.*)");
}

// An index the list does not have would empty it.
void setIndex(QComboBox *box, const std::optional<int> &index)
{
    if (index && *index >= 0 && *index < box->count())
        box->setCurrentIndex(*index);
}

} // namespace

WindowProfiles::WindowProfiles(Ui::VireoMainWindow *ui, WindowDialogs &dialogs, QStatusBar *status,
                               std::function<void()> normalizationClicked,
                               std::function<void()> timeDisplayClicked,
                               std::function<void(const Profile::KeyBindings &)> keysChosen)
    : ui(ui), dialogs(dialogs), status(status),
      normalizationClicked(std::move(normalizationClicked)),
      timeDisplayClicked(std::move(timeDisplayClicked)), keysChosen(std::move(keysChosen))
{}

void WindowProfiles::save(int kind)
{
    const QString fileName = dialogs.askSaveFileName(
        QCoreApplication::translate("VireoMainWindow", "Save profile"), profileFilter());
    if (fileName.isEmpty())
        return;
    Profile profile = current();
    if (!profile.save(fileName, kind)) {
        dialogs.showWarning(
            QCoreApplication::translate("VireoMainWindow", "Unable to save profile"),
            QCoreApplication::translate("VireoMainWindow",
                                        "The profile could not be saved to %1: %2")
                .arg(fileName, profile.errorString()));
        return;
    }
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Profile saved"));
}

void WindowProfiles::open(int kind)
{
    const QString fileName = dialogs.askOpenFileName(
        QCoreApplication::translate("VireoMainWindow", "Open profile"), profileFilter());
    if (fileName.isEmpty())
        return;
    Profile profile = current();
    if (!profile.open(fileName, kind)) {
        dialogs.showWarning(
            QCoreApplication::translate("VireoMainWindow", "Unable to open profile"),
            QCoreApplication::translate("VireoMainWindow", "The profile %1 could not be opened: %2")
                .arg(fileName, profile.errorString()));
        return;
    }
    apply(profile, kind);
    status->showMessage(QCoreApplication::translate("VireoMainWindow", "Profile opened"));
}

Profile WindowProfiles::current() const
{
    Profile profile;
    profile.operations = {ui->comboBoxModeAgregation->currentIndex(),
                          ui->spinEpoch->value(),
                          ui->radioNormalizationGlobal->isChecked() ? 0 : 1,
                          ui->comboBoxModeReorganization->currentIndex(),
                          ui->correlationMode->currentIndex(),
                          ui->correlationThreshold->value()};
    profile.display = {
        ui->radioBtnEpoch->isChecked() ? 0 : 1, ui->displayModeComboBox->currentIndex(),
        ui->missingValuesColorWidget->color(),  ui->backgroundColorWidget->color(),
        ui->widthColorWidget->color(),          ui->gradientColorsForValuesWidget->gradient()};
    const VireoGLWidget *view = ui->glWidget;
    profile.keys = {view->keyMapForCamera(), view->keyForReturnToOrigin(), view->keyMapForPicking(),
                    view->keyMapToMoveSelection()};
    return profile;
}

void WindowProfiles::apply(const Profile &profile, int kind)
{
    // A button set by program emits no clicked(): what a click would do is
    // done here, or the view would go on showing the other choice.
    const auto check = [](QRadioButton *button, const std::function<void()> &clicked) {
        if (button->isChecked())
            return;
        button->setChecked(true);
        clicked();
    };
    if (kind == Profile::Complete || kind == Profile::Operations) {
        const Profile::OperationSettings &operations = profile.operations;
        setIndex(ui->comboBoxModeAgregation, operations.agregationType);
        if (operations.agregationEpoch)
            ui->spinEpoch->setValue(*operations.agregationEpoch);
        if (operations.normalizationMode)
            check(*operations.normalizationMode == 0 ? ui->radioNormalizationGlobal
                                                     : ui->radioNormalizationLocal,
                  normalizationClicked);
        setIndex(ui->comboBoxModeReorganization, operations.reorganizationMode);
        setIndex(ui->correlationMode, operations.correlationMode);
        if (operations.correlationThreshold)
            ui->correlationThreshold->setValue(*operations.correlationThreshold);
    }
    if (kind == Profile::Complete || kind == Profile::Display) {
        const Profile::DisplaySettings &display = profile.display;
        if (display.displayTime)
            check(*display.displayTime == 0 ? ui->radioBtnEpoch : ui->radioBtnGMT,
                  timeDisplayClicked);
        setIndex(ui->displayModeComboBox, display.displayMode);
        if (display.missingValueColor)
            ui->missingValuesColorWidget->setColor(*display.missingValueColor);
        if (display.backgroundColor)
            ui->backgroundColorWidget->setColor(*display.backgroundColor);
        if (display.widthColor)
            ui->widthColorWidget->setColor(*display.widthColor);
        if (display.gradient)
            ui->gradientColorsForValuesWidget->setGradient(*display.gradient);
    }
    if (kind == Profile::Keys)
        keysChosen(profile.keys);
}
