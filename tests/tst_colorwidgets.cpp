#include "widgets/vireocolorwidget.h"
#include "widgets/vireogradientcolorwidget.h"

#include <QtTest>

// Answers the colour dialog from a queue (empty queue = cancel) and records how it was asked.
template <typename Base> class Answering : public Base
{
public:
    QList<QColor> answers;
    int asked = 0;
    QColor initial;
    QString title;
    QColorDialog::ColorDialogOptions options;

protected:
    QColor askColor(const QColor &init, const QString &t,
                    QColorDialog::ColorDialogOptions opts) override
    {
        ++asked;
        initial = init;
        title = t;
        options = opts;
        return answers.isEmpty() ? QColor() : answers.takeFirst();
    }
};
using ColorWidget = Answering<VireoColorWidget>;
using GradientWidget = Answering<VireoGradientColorWidget>;

static const QColor blue(0, 0, 255), cyan(170, 255, 255), red(255, 0, 0), green(0, 255, 0);

static QLinearGradient gradientOf(const QGradientStops &stops)
{
    QLinearGradient g;
    g.setStops(stops);
    return g;
}

static QGradientStops lastStops(const QSignalSpy &spy)
{
    return spy.last().at(0).value<QLinearGradient>().stops();
}

// 40 x 200: widget position p sits at y = 200 p, one pixel is 0.005.
static void showWidget(QWidget &w, const QSize &size = QSize(40, 200))
{
    w.resize(size);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

static void moveTo(QWidget &w, int y)
{
    const QPoint pos(20, y);
    QMouseEvent move(QEvent::MouseMove, pos, w.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
}

// What the window system delivers for a double click; QTest::mouseDClick sends only the third.
static void doubleClickAt(QWidget &w, int y)
{
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(20, y));
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(20, y));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(20, y));
}

static bool near(const QColor &actual, const QColor &expected)
{
    return qAbs(actual.red() - expected.red()) <= 2 &&
           qAbs(actual.green() - expected.green()) <= 2 &&
           qAbs(actual.blue() - expected.blue()) <= 2;
}

class TestColorWidgets : public QObject
{
    Q_OBJECT

private slots:
    void colorWidget();
    void flip();
    void painting();
    void addAndDrag();
    void merge();
    void endStopsStay();
    void rightClick();
    void doubleClick();
    void readOnly();
};

void TestColorWidgets::colorWidget()
{
    ColorWidget w;
    showWidget(w, QSize(20, 20));
    QSignalSpy spy(&w, &VireoColorWidget::colorChanged);
    w.setColor(QColor(100, 0, 0));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(w.grab().toImage().pixelColor(10, 10), QColor(100, 0, 0));

    QTest::mouseClick(&w, Qt::RightButton); // cancelled
    QCOMPARE(w.asked, 1);
    QCOMPARE(w.initial, QColor(Qt::black));
    QCOMPARE(w.title, QStringLiteral("Select Color"));
    QCOMPARE(w.options, QColorDialog::ColorDialogOptions(QColorDialog::DontUseNativeDialog));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(w.color(), QColor(100, 0, 0));

    w.answers << QColor(Qt::yellow);
    QTest::mouseClick(&w, Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last().at(0).value<QColor>(), QColor(Qt::yellow));
    QCOMPARE(w.grab().toImage().pixelColor(10, 10), QColor(Qt::yellow));
}

void TestColorWidgets::flip()
{
    GradientWidget w;
    QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);
    const QGradientStops given{{0.0, blue}, {0.25, red}, {1.0, cyan}};
    w.setGradient(gradientOf(given));
    QCOMPARE(w.stops(), (QGradientStops{{0.0, cyan}, {0.75, red}, {1.0, blue}}));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(lastStops(spy), given);
    QCOMPARE(w.gradient().stops(), given);
}

void TestColorWidgets::painting()
{
    GradientWidget w;
    // Flat bands: green on rows 0..20, red on 90..110, blue on 180..200.
    w.setGradient(gradientOf(
        {{0.0, blue}, {0.1, blue}, {0.45, red}, {0.55, red}, {0.9, green}, {1.0, green}}));
    showWidget(w);
    const QImage image = w.grab().toImage();
    QCOMPARE(image.pixelColor(20, 10), green);
    QCOMPARE(image.pixelColor(20, 100), red);
    QCOMPARE(image.pixelColor(20, 190), blue);
    // Marker of the stop at y = 90 spans rows 85..94: grey outline, then grey at alpha 100
    // over red: 146 * 100 / 255 = 57, + 255 * 155 / 255 = 212.
    QCOMPARE(image.pixelColor(0, 90), QColor(146, 146, 146));
    QVERIFY(near(image.pixelColor(20, 90), QColor(212, 57, 57)));
}

void TestColorWidgets::addAndDrag()
{
    GradientWidget w;
    w.setGradient(gradientOf({{0.0, blue}, {1.0, cyan}}));
    showWidget(w);
    QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);

    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(20, 100)); // cancelled: nothing added
    QCOMPARE(w.stops().size(), 2);
    QCOMPARE(spy.count(), 1);

    w.answers << red;
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(20, 100));
    QCOMPARE(w.stops(), (QGradientStops{{0.0, cyan}, {0.5, red}, {1.0, blue}}));
    QCOMPARE(w.draggedStop(), 1);
    moveTo(w, 150);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(lastStops(spy), (QGradientStops{{0.0, blue}, {0.25, red}, {1.0, cyan}}));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(20, 150));
    moveTo(w, 50); // drag over: nothing follows
    QCOMPARE(spy.count(), 3);
    QCOMPARE(w.stops().at(1), QGradientStop(0.75, red));
    // New marker at y = 150, outline at x = 0.
    QCOMPARE(w.grab().toImage().pixelColor(0, 150), QColor(146, 146, 146));

    GradientWidget empty; // no stops yet: the new one becomes the first
    showWidget(empty);
    empty.answers << red;
    QTest::mouseClick(&empty, Qt::LeftButton, {}, QPoint(20, 50));
    QCOMPARE(empty.stops(), (QGradientStops{{0.25, red}}));
}

void TestColorWidgets::merge()
{
    GradientWidget w;
    w.setGradient(gradientOf({{0.0, blue}, {0.25, red}, {0.5, green}, {1.0, cyan}}));
    showWidget(w);
    QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(20, 100)); // green, widget 0.5
    moveTo(w, 151);                                             // 0.755, 0.005 from red
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(20, 151));
    QCOMPARE(w.stops(), (QGradientStops{{0.0, cyan}, {0.75, green}, {1.0, blue}}));
    QCOMPARE(spy.count(), 2); // the release itself stays silent
    QTest::mouseClick(&w, Qt::MiddleButton, {}, QPoint(20, 50));
    QCOMPARE(lastStops(spy), (QGradientStops{{0.0, blue}, {0.25, green}, {1.0, cyan}}));
}

void TestColorWidgets::endStopsStay()
{
    GradientWidget w;
    // Inner stops 1 px from each end.
    w.setGradient(gradientOf({{0.0, blue}, {0.5, red}, {0.995, green}, {1.0, cyan}}));
    showWidget(w);
    const QGradientStops before = w.stops();
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(20, 0)); // top end stop, 0.005 from green
    QCOMPARE(w.stops(), before);

    // Removing an inner stop while an end stop is held must not leave the drag on a stale index.
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(20, 199));
    QCOMPARE(w.draggedStop(), 3);
    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(20, 100));
    QCOMPARE(w.draggedStop(), 2);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(20, 199));
    QCOMPARE(w.stops(), (QGradientStops{before.at(0), before.at(1), before.at(3)}));
}

void TestColorWidgets::rightClick()
{
    GradientWidget w;
    w.setGradient(gradientOf({{0.0, blue}, {0.5, red}, {1.0, cyan}}));
    showWidget(w);
    QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);
    const QGradientStops before = w.stops();
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(20, 2));  // end stop
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(20, 50)); // empty space
    QCOMPARE(w.stops(), before);
    QCOMPARE(spy.count(), 2);
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(20, 100));
    QCOMPARE(lastStops(spy), (QGradientStops{{0.0, blue}, {1.0, cyan}}));
}

void TestColorWidgets::doubleClick()
{
    GradientWidget w;
    w.setGradient(gradientOf({{0.0, blue}, {0.5, red}, {1.0, cyan}}));
    showWidget(w);
    w.answers << QColor(Qt::yellow);
    doubleClickAt(w, 100);
    QCOMPARE(w.asked, 1);
    QCOMPARE(w.initial, QColor(Qt::black));
    QCOMPARE(w.title, QStringLiteral("Select Color"));
    QCOMPARE(w.options, QColorDialog::ColorDialogOptions());
    QCOMPARE(w.stops().at(1), QGradientStop(0.5, QColor(Qt::yellow)));

    const QGradientStops before = w.stops();
    doubleClickAt(w, 50); // both dialogs cancelled
    QCOMPARE(w.asked, 3);
    QCOMPARE(w.stops(), before);
}

void TestColorWidgets::readOnly()
{
    GradientWidget w;
    w.setGradient(gradientOf({{0.0, blue}, {0.5, red}, {1.0, cyan}}));
    w.setFlags(VireoGradientColorWidget::ReadOnly);
    showWidget(w);
    QSignalSpy spy(&w, &VireoGradientColorWidget::gradientChanged);
    w.answers << green << green;
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(20, 100));
    moveTo(w, 150);
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(20, 100));
    doubleClickAt(w, 50);
    QCOMPARE(w.asked, 0);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(w.stops().size(), 3);
}

QTEST_MAIN(TestColorWidgets)
#include "tst_colorwidgets.moc"
