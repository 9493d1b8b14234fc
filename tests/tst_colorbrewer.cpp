#include "testsupport.h"
#include "widgets/colorbrewerdialog.h"
#include "widgets/colorbrewerwidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QtTest>

#include <cmath>

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

} // namespace

class TestColorBrewer : public QObject
{
    Q_OBJECT

private slots:
    void acknowledgmentQuoted()
    {
        // The licence's own sentence, whole, for the About box.
        const QString quoted = ColorBrewerDialog::acknowledgment();
        QVERIFY(quoted.startsWith("This product includes color "));
        QVERIFY(quoted.endsWith("developed by Cynthia Brewer (http://colorbrewer.org/)."));
    }
    void swatchesForEachCount()
    {
        ColorBrewerDialog dialog;
        QVERIFY(showExposed(dialog));
        Palettes d{dialog};
        // Only the sequential palettes (the table's others are never shown), in the reverse of
        // the key order.
        QStringList expected = namesOfType(embeddedTable(), "seq");
        std::reverse(expected.begin(), expected.end());
        for (int index = 0; index < 6; ++index) {
            QVERIFY(d.setCount(index));
            QStringList shown;
            int left = -1;
            for (ColorBrewerWidget *swatch : d.dialog.swatches()) {
                shown << swatch->objectName();
                QCOMPARE(swatch->gradient().stops().size(), index + 3);
                for (const QGradientStop &stop : swatch->gradient().stops()) // "rgb(r,g,b)" read
                    QVERIFY2(stop.second.isValid(), qPrintable(swatch->objectName()));
                QVERIFY(swatch->flags() & VireoGradientColorWidget::ReadOnly);
                QVERIFY(swatch->x() > left);
                left = swatch->x();
            }
            QCOMPARE(shown, expected);
            QCOMPARE(d.dialog.findChildren<ColorBrewerWidget *>().size(), 18);
        }
    }

    void selectionByClick()
    {
        ColorBrewerDialog dialog;
        QVERIFY(showExposed(dialog));
        Palettes d{dialog};
        QVERIFY(!d.ok()->isEnabled());
        QVERIFY(!d.dialog.hasSelection());

        ColorBrewerWidget *blues = d.swatch("Blues");
        // A quarter down: the middle of a gradient span, away from the stop markers.
        const int y = blues->height() / 4, w = blues->width();
        const QImage before = blues->grab().toImage();
        QTest::mouseClick(blues, Qt::LeftButton);
        QCOMPARE(d.selectedNames(), QStringList({"Blues"}));
        // Drawn highlighted at its edges; inside, the gradient is left as it was: darker at the
        // top.
        const QImage after = blues->grab().toImage();
        const QColor highlight = QPalette().color(QPalette::Highlight);
        QVERIFY(before.pixelColor(1, y) != highlight);
        for (const QPoint &edge : {QPoint(0, y), QPoint(1, y), QPoint(w - 2, y), QPoint(w / 2, 1),
                                   QPoint(w / 2, blues->height() - 2)})
            QCOMPARE(after.pixelColor(edge), highlight);
        QCOMPARE(after.pixelColor(w / 2, y), before.pixelColor(w / 2, y));
        QVERIFY(before.pixelColor(w / 2, y).lightness() <
                before.pixelColor(w / 2, blues->height() - y).lightness());
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

        // A double click picks and accepts at once.
        QVERIFY(showExposed(dialog));
        QTest::mouseClick(d.swatch("Reds"), Qt::LeftButton);
        QTest::mouseDClick(d.swatch("Purples"), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(d.selectedNames(), QStringList({"Purples"}));
    }

    void mainWindowTakesPalette_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("applied");
        QTest::newRow("click, Ok") << "ok" << true;
        QTest::newRow("click, Cancel") << "cancel" << false;
    }
    void mainWindowTakesPalette()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, applied);
        // The gradient's own signal takes it on to the view (see the main window test); a double
        // click accepts like Ok, and Ok without a selection does nothing (see selectionByClick).
        TestWindow w;
        QVERIFY(showExposed(w));
        auto *values = w.child<VireoGradientColorWidget>("gradientColorsForValuesWidget");
        const Stops before = stopsOf(values->gradient());

        w.paletteAnswer = [gesture](QDialog *dialog) {
            auto *palettes = qobject_cast<ColorBrewerDialog *>(dialog);
            if (!palettes || !showExposed(*palettes))
                return int(QDialog::Rejected);
            Palettes d{*palettes};
            QTest::mouseClick(d.swatch("Blues"), Qt::LeftButton);
            QTest::mouseClick(
                d.button(gesture == "cancel" ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok),
                Qt::LeftButton);
            return palettes->result();
        };
        QSignalSpy changed(values, &VireoGradientColorWidget::gradientChanged);
        QTest::mouseClick(w.child<QPushButton>("pushButton"), Qt::LeftButton);
        QCOMPARE(w.palettesAsked, 1);
        QCOMPARE(changed.size(), applied ? 1 : 0);
        QCOMPARE(stopsOf(values->gradient()), applied ? blues3 : before);
    }
};

QTEST_MAIN(TestColorBrewer)
#include "tst_colorbrewer.moc"
