#include "testsupport.h"
#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QtTest>

// Answers the colour dialog from a queue (empty queue = cancel) and records how it was asked.
template <typename Base> class Answering : public Base
{
public:
    QList<QColor> answers;
    int asked = 0;
    QString how; // "initial title options"

protected:
    QColor askColor(const QColor &initial, const QString &title,
                    QColorDialog::ColorDialogOptions options) override
    {
        ++asked, how = QStringLiteral("%1 %2 %3").arg(initial.name(), title).arg(options);
        return answers.isEmpty() ? QColor() : answers.takeFirst();
    }
};

static const QHash<QChar, QColor> colors{
    {'b', Qt::blue}, {'c', {170, 255, 255}}, {'r', Qt::red}, {'g', Qt::green}, {'y', Qt::yellow}};

// "0b .5r 1c": blue at 0, red at 0.5, cyan at 1.
static QLinearGradient gradientOf(const QString &text)
{
    QLinearGradient gradient;
    for (const QString &stop : text.split(' ', Qt::SkipEmptyParts))
        gradient.setColorAt(stop.chopped(1).toDouble(), colors.value(stop.back()));
    return gradient;
}

// A letter per gesture, then its y: P/U left press/release, C left click, D double click
// (alone: the window system sends C D U), Q right press, R right click, X middle click,
// M move with the left button held; F0 makes the widget read-only.
static void play(VireoGradientColorWidget &w, const QString &script)
{
    using namespace QTest;
    const MouseAction actions[] = {MousePress, MouseRelease, MouseClick, MouseDClick,
                                   MousePress, MouseClick,   MouseClick};
    for (const QString &step : script.split(' ')) {
        const QPoint at(20, step.mid(1).toInt());
        const int i = QStringLiteral("PUCDQRX").indexOf(step[0]);
        const auto button = i < 4 ? Qt::LeftButton : i < 6 ? Qt::RightButton : Qt::MiddleButton;
        QMouseEvent move(QEvent::MouseMove, at, w.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        if (i >= 0)
            mouseEvent(actions[i], &w, button, {}, at);
        else if (step[0] == 'M')
            QCoreApplication::sendEvent(&w, &move);
        else
            w.setFlags(VireoGradientColorWidget::ReadOnly);
    }
}

class TestColorWidgets : public QObject
{
    Q_OBJECT

private slots:
    void colorWidget()
    {
        Answering<VireoColorWidget> w;
        QVERIFY(showExposed(w, QSize(20, 20)));
        QSignalSpy spy(&w, &VireoColorWidget::colorChanged);
        w.answers << Qt::yellow;
        QTest::mouseClick(&w, Qt::RightButton);
        QTest::mouseClick(&w, Qt::LeftButton); // cancelled
        QCOMPARE(w.grab().toImage().pixelColor(10, 10), QColor(Qt::yellow));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).value<QColor>(), QColor(Qt::yellow));
        QCOMPARE(w.asked, 2);
        QCOMPARE(w.how, QStringLiteral("#000000 Select Color 4")); // 4: DontUseNativeDialog
    }
    void painting()
    {
        VireoGradientColorWidget w;
        // Flat bands: green on rows 0..20, red on 90..110, blue on 180..200.
        w.setGradient(gradientOf("0b .1b .45r .55r .9g 1g"));
        QVERIFY(showExposed(w, QSize(40, 200))); // position p at y = 200 p
        const QImage image = w.grab().toImage();
        QCOMPARE(image.pixelColor(20, 10), QColor(Qt::green));
        QCOMPARE(image.pixelColor(20, 100), QColor(Qt::red));
        QCOMPARE(image.pixelColor(20, 190), QColor(Qt::blue));
        // Marker of the stop at y = 90 spans rows 85..94: grey outline, then grey at alpha 100
        // over red: 146 * 100 / 255 = 57, + 255 * 155 / 255 = 212 (blending may round by 2).
        QCOMPARE(image.pixelColor(0, 90), QColor(146, 146, 146));
        const QColor m = image.pixelColor(20, 90);
        QVERIFY(QVector3D(m.red() - 212, m.green() - 57, m.blue() - 57).length() <= 3);
    }
    void gestures_data()
    {
        // "given stops | gestures | dialog answers | expected stops", stops as seen outside (0 at
        // the bottom); the widget shows them flipped, 0 at the top.
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("signalCount"); // setGradient's included
        QTest::addColumn<int>("asked");
        // Added at 0.5, dragged to 0.75 (outside 0.25); the move after the release is ignored.
        QTest::newRow("add, drag") << "0b 1c | P100 M150 U150 M50 | r | 0b .25r 1c" << 3 << 1;
        QTest::newRow("add to empty") << " | C50 | r | .75r" << 1 << 1;
        // Green (widget 0.5) released at 0.755, 0.005 from red (0.75): red takes its colour. The
        // release stays silent; the middle click announces the merged state.
        QTest::newRow("merge") << "0b .25r .5g 1c | P100 M151 U151 X50 | | 0b .25g 1c" << 4 << 0;
        // The top end stop released 1 px from green is never merged away.
        QTest::newRow("end stop") << "0b .5r .995g 1c | C0 | | 0b .5r .995g 1c" << 2 << 0;
        // Right clicks on an end stop and on empty space do nothing; on an inner stop, remove it.
        QTest::newRow("right click") << "0b .5r 1c | R2 R50 R100 | | 0b 1c" << 4 << 0;
        // Red (index 1) removed while green (index 2) is dragged: the drag stays on green.
        QTest::newRow("remove while dragging")
            << "0b .5g .75r 1c | P100 Q50 M150 U150 | | 0b .25g 1c" << 4 << 0;
        QTest::newRow("double click") << "0b .5r 1c | C100 D100 U100 | y | 0b .5y 1c" << 3 << 1;
        // Empty space: the click asks to add, the double click to recolour; both cancelled, but
        // the press still announces.
        QTest::newRow("double click cancelled")
            << "0b .5r 1c | C50 D50 U50 | | 0b .5r 1c" << 2 << 2;
        QTest::newRow("read-only")
            << "0b .5r 1c | F0 P100 M150 U150 R100 C50 D50 U50 | gg | 0b .5r 1c" << 1 << 0;
    }
    void gestures()
    {
        QFETCH(QString, row);
        const QStringList part = row.split('|');
        const QGradientStops expected = gradientOf(part[3]).stops();
        Answering<VireoGradientColorWidget> w;
        for (const QChar c : part[2].trimmed())
            w.answers << colors.value(c);
        QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);
        if (!part[0].trimmed().isEmpty()) // an empty QGradient reports black to white
            w.setGradient(gradientOf(part[0]));
        QVERIFY(showExposed(w, QSize(40, 200))); // one pixel is 0.005
        play(w, part[1].trimmed());
        // Flipping back by hand is exact here: 1 - (1 - p) == p for every p used.
        QGradientStops shown;
        for (const QGradientStop &stop : w.stops())
            shown.prepend({1.0 - stop.first, stop.second});
        QCOMPARE(shown, expected);
        QCOMPARE(spy.last().at(0).value<QLinearGradient>().stops(), expected); // from gradient()
        QTEST(spy.count(), "signalCount");
        QTEST(w.asked, "asked");
        QCOMPARE(w.how, w.asked ? QStringLiteral("#000000 Select Color 0") : QString());
    }
};

QTEST_MAIN(TestColorWidgets)
#include "tst_colorwidgets.moc"
