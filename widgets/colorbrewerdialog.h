#ifndef VIREO_WIDGETS_COLORBREWERDIALOG_H
#define VIREO_WIDGETS_COLORBREWERDIALOG_H

#include <QDialog>
#include <QJsonObject>
#include <QLinearGradient>
#include <QList>
#include <QString>

class ColorBrewerWidget;

namespace Ui {
class ColorBrewerDialog;
}

// Offers the sequential ColorBrewer palettes of ":/colorbrewer.json" as
// swatches for a chosen number of colours. Ok stays disabled until a swatch is
// selected, so an accepted dialog always has a palette to give.
class ColorBrewerDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ColorBrewerDialog(QWidget *parent = nullptr);
    ~ColorBrewerDialog() override;

    bool hasSelection() const { return selected != nullptr; }
    // The selected palette, first colour at 0; a gradient without stops when
    // none is selected.
    QLinearGradient selectedGradient() const;
    // In their order on screen, left to right; each is named after its palette.
    QList<ColorBrewerWidget *> swatches() const;
    // The acknowledgment the palettes' licence asks programs to show, quoted
    // from the embedded licence text so that it stays word for word.
    static QString acknowledgment();

public slots:
    void nbColorsChanged(const QString &c);

private:
    void select(ColorBrewerWidget *swatch);
    void updateOkButton();

    Ui::ColorBrewerDialog *ui;
    QJsonObject palettes;
    ColorBrewerWidget *selected = nullptr;
};

#endif // VIREO_WIDGETS_COLORBREWERDIALOG_H
