#include "mainwindow/vireomainwindow.h"
#include "view/vireoglwidget.h"
#include "widgets/colorbrewerdialog.h"
#include "widgets/colorbrewerwidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QResource>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

using Stops = QVector<QPair<double, QColor>>;

QJsonObject embeddedTable()
{
    QFile file(":/colorbrewer.json");
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

// The names of the palettes of one type, in the table's key order.
QStringList namesOfType(const QJsonObject &table, const QString &type)
{
    QStringList names;
    for (auto it = table.begin(); it != table.end(); ++it)
        if (it.value().toObject().value("type").toString() == type)
            names << it.key();
    return names;
}

Stops stopsOf(const QLinearGradient &gradient)
{
    Stops stops;
    for (const QGradientStop &stop : gradient.stops())
        stops << qMakePair(std::round(stop.first * 1e9) / 1e9, stop.second);
    return stops;
}

const Stops blues3 = {
    {0.0, QColor(222, 235, 247)}, {0.5, QColor(158, 202, 225)}, {1.0, QColor(49, 130, 189)}};

bool showOnScreen(QWidget &widget)
{
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

// The parts of a palette dialog a user deals with.
struct Palettes
{
    ColorBrewerDialog &dialog;
    ColorBrewerWidget *swatch(const QString &name)
    {
        return dialog.findChild<ColorBrewerWidget *>(name);
    }
    // Picks the count from the list; true once the new swatches are on screen.
    bool setCount(int index)
    {
        dialog.findChild<QComboBox *>("comboBox")->setCurrentIndex(index);
        return QTest::qWaitFor([this] {
            const QList<ColorBrewerWidget *> shown = dialog.swatches();
            return std::all_of(shown.begin(), shown.end(),
                               [](QWidget *s) { return s->isVisible() && s->x() > 0; });
        });
    }
    QPushButton *button(QDialogButtonBox::StandardButton which)
    {
        return dialog.findChild<QDialogButtonBox *>()->button(which);
    }
    QPushButton *ok() { return button(QDialogButtonBox::Ok); }
    QStringList selectedNames()
    {
        QStringList names;
        for (ColorBrewerWidget *s : dialog.swatches())
            if (s->isSelected())
                names << s->objectName();
        return names;
    }
};

// The window with the palette dialog answered by the test.
class PaletteWindow : public VireoMainWindow
{
public:
    using VireoMainWindow::loadFile;
    using VireoMainWindow::runningTask;
    std::function<void(Palettes)> answer;
    int asked = 0;

protected:
    int execPaletteDialog(QDialog *dialog) override
    {
        ++asked;
        auto *palettes = qobject_cast<ColorBrewerDialog *>(dialog);
        if (!palettes || !answer)
            return QDialog::Rejected;
        if (!showOnScreen(*palettes))
            return QDialog::Rejected;
        answer(Palettes{*palettes});
        return palettes->result();
    }
};

// Window pixel of the middle of the cell of attribute a (of n) at time index t.
QPoint cellPixel(const VireoGLWidget &view, int n, int a, int t)
{
    const double step = 2 * M_PI / n;
    const double middle = -step * (a + 0.5);
    const double chord = view.tubeRadius() * std::cos(step / 2);
    const QVector3D point(float(chord * std::cos(middle)), float(chord * std::sin(middle)),
                          -(t + 0.5f) * view.timeStepLength());
    QMatrix4x4 projection;
    projection.perspective(45.0f, float(view.width()) / view.height(), 0.01f, 1000.0f);
    const QVector3D ndc = (projection * view.camera().viewMatrix()).map(point);
    return QPoint(int((ndc.x() + 1) / 2 * view.width()), int((1 - ndc.y()) / 2 * view.height()));
}

} // namespace

class TestColorBrewer : public QObject
{
    Q_OBJECT

private slots:
    void embeddedTableMatchesGeneratedFile()
    {
        const QJsonObject table = embeddedTable();
        QCOMPARE(table.size(), 35);
        QCOMPARE(namesOfType(table, "div").size(), 9);
        QCOMPARE(namesOfType(table, "qual").size(), 8);
        QCOMPARE(namesOfType(table, "seq").size(), 18);
        QVERIFY(QResource(":/colorbrewer.json").compressionAlgorithm() ==
                QResource::ZlibCompression);

        // Every count from 3 to the largest (8 to 12, at least 8 for
        // sequential palettes), each colour written rgb(r,g,b).
        const QRegularExpression rgb("^rgb\\((\\d{1,3}),(\\d{1,3}),(\\d{1,3})\\)$");
        for (auto it = table.begin(); it != table.end(); ++it) {
            const QJsonObject palette = it.value().toObject();
            // Counts 3..largest and "type".
            const int largest = palette.size() + 1;
            QVERIFY2(largest >= 8 && largest <= 12, qPrintable(it.key()));
            for (int count = 3; count <= largest; ++count) {
                const QJsonArray colours = palette.value(QString::number(count)).toArray();
                QVERIFY2(colours.size() == count,
                         qPrintable(it.key() + ' ' + QString::number(count)));
                for (const QJsonValue &colour : colours)
                    QVERIFY2(rgb.match(colour.toString()).hasMatch(),
                             qPrintable(colour.toString()));
            }
        }
        QCOMPARE(table.value("Blues").toObject().value("3").toArray(),
                 QJsonArray({"rgb(222,235,247)", "rgb(158,202,225)", "rgb(49,130,189)"}));

        QFile committed(VIREO_SOURCE_DIR "/resources/colorbrewer.json");
        QVERIFY(committed.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(committed.readAll()).object(), table);
    }

    void swatchesForEachCount_data()
    {
        QTest::addColumn<int>("index");
        for (int index = 0; index < 6; ++index)
            QTest::addRow("%d colours", index + 3) << index;
    }
    void swatchesForEachCount()
    {
        QFETCH(int, index);
        ColorBrewerDialog dialog;
        QVERIFY(showOnScreen(dialog));
        Palettes d{dialog};
        QCOMPARE(d.dialog.windowTitle(), "Color brewer 2 presets");
        QVERIFY(!d.dialog.findChild<QWidget *>("widget"));
        QVERIFY(d.setCount(index));

        // Only the sequential palettes, in the reverse of the key order.
        QStringList expected = namesOfType(embeddedTable(), "seq");
        std::reverse(expected.begin(), expected.end());
        QStringList shown;
        int left = -1;
        for (ColorBrewerWidget *swatch : d.dialog.swatches()) {
            shown << swatch->objectName();
            QCOMPARE(swatch->gradient().stops().size(), index + 3);
            QVERIFY(swatch->flags() & VireoGradientColorWidget::ReadOnly);
            QVERIFY(swatch->x() > left);
            left = swatch->x();
        }
        QCOMPARE(shown, expected);
        QCOMPARE(d.dialog.findChildren<ColorBrewerWidget *>().size(), 18);
    }

    void selectionByClick()
    {
        ColorBrewerDialog dialog;
        QVERIFY(showOnScreen(dialog));
        Palettes d{dialog};
        QVERIFY(!d.ok()->isEnabled());
        QVERIFY(!d.dialog.hasSelection());

        QTest::mouseClick(d.swatch("Blues"), Qt::LeftButton);
        QCOMPARE(d.selectedNames(), QStringList({"Blues"}));
        QVERIFY(d.ok()->isEnabled());
        QCOMPARE(stopsOf(d.dialog.selectedGradient()), blues3);

        QTest::mouseClick(d.swatch("YlOrRd"), Qt::LeftButton);
        QCOMPARE(d.selectedNames(), QStringList({"YlOrRd"}));
        QCOMPARE(d.dialog.selectedGradient().stops().first().second, QColor(255, 237, 160));

        // New swatches: nothing selected, Ok disabled again.
        QVERIFY(d.setCount(2));
        QVERIFY(!d.dialog.hasSelection());
        QVERIFY(d.selectedNames().isEmpty());
        QVERIFY(!d.ok()->isEnabled());
        QTest::mouseClick(d.ok(), Qt::LeftButton);
        QVERIFY(d.dialog.isVisible());

        QTest::mouseClick(d.swatch("Greens"), Qt::LeftButton);
        QTest::mouseClick(d.ok(), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(d.dialog.selectedGradient().stops().size(), 5);
    }

    void doubleClickAccepts()
    {
        ColorBrewerDialog dialog;
        QVERIFY(showOnScreen(dialog));
        Palettes d{dialog};
        QTest::mouseClick(d.swatch("Reds"), Qt::LeftButton);
        QTest::mouseDClick(d.swatch("Purples"), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(d.selectedNames(), QStringList({"Purples"}));
    }

    void highlightDrawn()
    {
        ColorBrewerDialog dialog;
        QVERIFY(showOnScreen(dialog));
        Palettes d{dialog};
        ColorBrewerWidget *blues = d.swatch("Blues");
        // A quarter down: the middle of a gradient span, away from the stop markers.
        const int y = blues->height() / 4;
        const QImage before = blues->grab().toImage();
        QTest::mouseClick(blues, Qt::LeftButton);
        const QImage after = blues->grab().toImage();

        const QColor highlight = QPalette().color(QPalette::Highlight);
        const int w = blues->width();
        QVERIFY(before.pixelColor(1, y) != highlight);
        for (const QPoint &edge : {QPoint(0, y), QPoint(1, y), QPoint(w - 2, y), QPoint(w / 2, 1),
                                   QPoint(w / 2, blues->height() - 2)})
            QCOMPARE(after.pixelColor(edge), highlight);
        // Inside, the gradient is left as it was: darker at the top.
        QCOMPARE(after.pixelColor(w / 2, y), before.pixelColor(w / 2, y));
        QVERIFY(before.pixelColor(w / 2, y).lightness() <
                before.pixelColor(w / 2, blues->height() - y).lightness());
    }

    void mainWindowTakesPalette_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("applied");
        QTest::newRow("double click") << "double" << true;
        QTest::newRow("click, Ok") << "ok" << true;
        QTest::newRow("click, Cancel") << "cancel" << false;
        QTest::newRow("Ok without selection") << "none" << false;
    }
    void mainWindowTakesPalette()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, applied);
        PaletteWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Attributes 0, missing, 0, 1 at every one of 50 time steps, scaled
        // over the whole data set so that 0 and 1 stay the gradient's ends.
        w.findChild<QAbstractButton *>("radioNormalizationGlobal")->click();
        w.loadFile(VIREO_TEST_DATA_DIR "/mainwindow_colours.csv", 0, 1);
        QVERIFY(QTest::qWaitFor([&w] { return !w.runningTask(); }, 10000));
        auto *view = w.findChild<VireoGLWidget *>("glWidget");
        auto *values = w.findChild<VireoGradientColorWidget *>("gradientColorsForValuesWidget");
        const auto lowAndHigh = [view] {
            const QImage image = view->grabFramebuffer();
            return qMakePair(image.pixelColor(cellPixel(*view, 4, 0, 20)),
                             image.pixelColor(cellPixel(*view, 4, 3, 20)));
        };
        const Stops before = stopsOf(values->gradient());
        const auto startColours = lowAndHigh();
        QCOMPARE(startColours, qMakePair(QColor(0, 0, 255), QColor(170, 255, 255)));

        w.answer = [gesture](Palettes d) {
            if (gesture == "double")
                return QTest::mouseDClick(d.swatch("Blues"), Qt::LeftButton);
            if (gesture != "none")
                QTest::mouseClick(d.swatch("Blues"), Qt::LeftButton);
            QTest::mouseClick(
                d.button(gesture == "cancel" ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok),
                Qt::LeftButton);
        };
        QSignalSpy changed(values, &VireoGradientColorWidget::gradientChanged);
        QTest::mouseClick(w.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QCOMPARE(w.asked, 1);
        QCOMPARE(changed.size(), applied ? 1 : 0);
        QCOMPARE(stopsOf(values->gradient()), applied ? blues3 : before);
        QCOMPARE(lowAndHigh(),
                 applied ? qMakePair(blues3.first().second, blues3.last().second) : startColours);
    }
};

QTEST_MAIN(TestColorBrewer)
#include "tst_colorbrewer.moc"
