#include "widgets/colorbrewerdialog.h"

#include "ui_colorbrewerdialog.h"
#include "widgets/colorbrewerwidget.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// "rgb(r,g,b)" with components 0..255; anything else is an invalid colour.
QColor parseColor(const QString &text)
{
    static const QRegularExpression rgb(
        QRegularExpression::anchoredPattern(QStringLiteral("rgb\\((\\d+),(\\d+),(\\d+)\\)")));
    const QRegularExpressionMatch match = rgb.match(text);
    if (!match.hasMatch())
        return QColor();
    int components[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        components[i] = match.captured(i + 1).toInt(&ok, 10);
        if (!ok || components[i] > 255)
            return QColor();
    }
    return QColor(components[0], components[1], components[2]);
}

// The colours evenly spaced from 0 to 1. Positions are computed, not summed:
// an accumulated step can land just past 1, where the last colour would be
// refused.
QLinearGradient gradientOf(const QJsonArray &colors)
{
    QLinearGradient gradient;
    const int last = colors.size() - 1;
    for (int i = 0; i <= last; ++i)
        gradient.setColorAt(double(i) / last, parseColor(colors.at(i).toString()));
    return gradient;
}

} // namespace

// The palettes live in a static library, whose resource object the linker
// would otherwise leave out. Outside any namespace, as the macro requires.
static void initColorBrewerResource()
{
    Q_INIT_RESOURCE(colorbrewer);
}

QString ColorBrewerDialog::acknowledgment()
{
    initColorBrewerResource();
    QFile file(QStringLiteral(":/colorbrewer-LICENSE.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString text = QString::fromUtf8(file.readAll()).simplified();
    const QString opening = QStringLiteral("acknowledgment: \"");
    const int begin = text.indexOf(opening);
    const int end = text.indexOf(QLatin1Char('"'), begin + opening.size());
    return begin < 0 || end < 0 ? QString()
                                : text.mid(begin + opening.size(), end - begin - opening.size());
}

ColorBrewerDialog::ColorBrewerDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ColorBrewerDialog)
{
    initColorBrewerResource();
    ui->setupUi(this);

    QFile file(QStringLiteral(":/colorbrewer.json"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        palettes = QJsonDocument::fromJson(file.readAll()).object();

    nbColorsChanged(ui->comboBox->currentText());
    connect(ui->comboBox, &QComboBox::currentTextChanged, this,
            &ColorBrewerDialog::nbColorsChanged);
}

ColorBrewerDialog::~ColorBrewerDialog()
{
    delete ui;
}

QLinearGradient ColorBrewerDialog::selectedGradient() const
{
    return selected ? selected->gradient() : QLinearGradient();
}

QList<ColorBrewerWidget *> ColorBrewerDialog::swatches() const
{
    QList<ColorBrewerWidget *> result;
    for (int i = 0; i < ui->horizontalLayout->count(); ++i)
        if (auto *swatch =
                qobject_cast<ColorBrewerWidget *>(ui->horizontalLayout->itemAt(i)->widget()))
            result << swatch;
    return result;
}

void ColorBrewerDialog::nbColorsChanged(const QString &c)
{
    QHBoxLayout *layout = ui->horizontalLayout;
    // Everything but the trailing spacer goes, the first time the placeholder too.
    while (layout->count() > 1) {
        QLayoutItem *item = layout->takeAt(0);
        delete item->widget();
        delete item;
    }
    selected = nullptr;

    const QString seq = QStringLiteral("seq");
    for (auto it = palettes.constBegin(); it != palettes.constEnd(); ++it) {
        const QJsonObject palette = it.value().toObject();
        const QJsonArray colors = palette.value(c).toArray();
        if (colors.size() < 2 || palette.value(QStringLiteral("type")).toString() != seq)
            continue;
        auto *swatch = new ColorBrewerWidget(this);
        swatch->setObjectName(it.key());
        swatch->setToolTip(it.key());
        swatch->setGradient(gradientOf(colors));
        connect(swatch, &ColorBrewerWidget::clicked, this, [this, swatch] { select(swatch); });
        connect(swatch, &ColorBrewerWidget::doubleClicked, this, [this, swatch] {
            select(swatch);
            accept();
        });
        layout->insertWidget(0, swatch);
    }
    updateOkButton();
}

void ColorBrewerDialog::select(ColorBrewerWidget *swatch)
{
    if (selected)
        selected->setSelected(false);
    selected = swatch;
    selected->setSelected(true);
    updateOkButton();
}

void ColorBrewerDialog::updateOkButton()
{
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(selected != nullptr);
}
