#include "testsupport.h"

#include "io/filereader.h"
#include "view/vireoglwidget.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <cmath>

QString dataFile(const QString &name)
{
    return QStringLiteral(VIREO_TEST_DATA_DIR "/") + name;
}

QString example(const QString &name)
{
    return QStringLiteral(VIREO_SOURCE_DIR "/examples/") + name;
}

bool showExposed(QWidget &widget, const QSize &size)
{
    if (size.isValid())
        widget.resize(size);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

QPoint scenePixel(const VireoGLWidget &view, const QVector3D &point)
{
    QMatrix4x4 projection;
    projection.perspective(45.0f, float(view.width()) / view.height(), 0.01f, 1000.0f);
    const QVector3D ndc = (projection * view.camera().viewMatrix()).map(point);
    return QPoint(int((ndc.x() + 1) / 2 * view.width()), int((1 - ndc.y()) / 2 * view.height()));
}

QPoint cellPixel(const VireoGLWidget &view, int a, int t)
{
    const double step = 2 * M_PI / view.data().attributeCount();
    const double middle = -step * (a + 0.5);
    const double chord = view.tubeRadius() * std::cos(step / 2);
    return scenePixel(view,
                      QVector3D(float(chord * std::cos(middle)), float(chord * std::sin(middle)),
                                -(t + 0.5f) * view.timeStepLength()));
}

bool near(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance;
}

int pixelsNear(const QImage &frame, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < frame.height(); y += 2)
        for (int x = 0; x < frame.width(); x += 2)
            count += near(frame.pixelColor(x, y), colour);
    return count;
}

void lookAt(VireoGLWidget &view, float a, float t)
{
    view.goTo(a, t);
    QTRY_VERIFY(!view.camera().isAnimating());
}

Popup answerPopup(const std::function<void()> &open, const QString &entry, Qt::Key key)
{
    Popup popup;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll.stop();
        for (QAction *action : menu->actions()) {
            popup.entries << action->text();
            if (action->text() == entry || (entry.isEmpty() && popup.entries.size() == 1))
                menu->setActiveAction(action);
        }
        popup.pos = menu->pos();
        popup.active = menu->activeAction() ? menu->activeAction()->text() : QString();
        QTest::keyClick(menu, key);
    });
    poll.start(20);
    open();
    return popup;
}

QWidget *openedWindow(const std::function<void()> &trigger, const char *className)
{
    const QWidgetList before = QApplication::topLevelWidgets();
    trigger();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (!before.contains(top) && top->inherits(className))
            return QTest::qWaitForWindowExposed(top) ? top : nullptr;
    return nullptr;
}

Data readBack(const QString &path, int mode, int origin)
{
    const auto reader = ran(new FileReader(path, mode, origin));
    if (reader->status() != Task::Done)
        QTest::qFail(qPrintable("cannot read back: " + reader->errorMessage()), __FILE__, __LINE__);
    return reader->result();
}

QString difference(const Data &actual, const Data &expected)
{
    if (actual.attributes != expected.attributes || actual.times != expected.times ||
        actual.values.size() != expected.values.size())
        return QStringLiteral("names, times or size differ");
    for (int i = 0; i < actual.values.size(); ++i) {
        const double x = actual.values[i], y = expected.values[i];
        if (x != y && !(qIsNaN(x) && qIsNaN(y)))
            return QStringLiteral("value %1: %2 != %3").arg(i).arg(x).arg(y);
    }
    return QString();
}

QString shape(const Selection &s)
{
    return QStringLiteral("%1 %2..%3 %4..%5")
        .arg(s.typeName())
        .arg(s.firstAttribute)
        .arg(s.lastAttribute)
        .arg(s.firstTime)
        .arg(s.lastTime);
}

QStringList shapes(const Selections &selections)
{
    QStringList list;
    for (const Selection &s : selections)
        list << shape(s);
    return list;
}

const QByteArray reservedLines = "2\n3\n4\n5\n6\n7\n8\n9\n10\n";

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QByteArray synchronousCsv(const Data &data)
{
    QByteArray text = "Time";
    for (const QString &name : data.attributes)
        text += ',' + name.toLatin1();
    text += "\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    for (int t = 0; t < data.timeCount(); ++t) {
        text += data.timeAt(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1();
        for (int a = 0; a < data.attributeCount(); ++a)
            text += ',' + QByteArray::number(data.value(t, a));
        text += '\n';
    }
    return text;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

TestWindow::TestWindow()
{
    connect(statusBar(), &QStatusBar::messageChanged, [this](const QString &message) {
        if (!message.isEmpty())
            messages << message;
    });
}

VireoGLWidget *TestWindow::view() const
{
    return child<VireoGLWidget>("glWidget");
}

bool TestWindow::waitIdle(int ms)
{
    return QTest::qWaitFor([this] { return !runningTask(); }, ms);
}

bool TestWindow::load(const QString &fileName, int origin)
{
    loadFile(fileName, 0, origin);
    return waitIdle();
}

QStringList TestWindow::fields() const
{
    QStringList texts;
    for (const char *name : {"txtNom", "txtNbAttribut", "txtDataDebut", "txtDataFin"})
        texts << child<QLineEdit>(name)->text();
    return texts;
}

QVector<int> TestWindow::steps() const
{
    QVector<int> values;
    for (const char *name : {"spinYear", "spinMonth", "spinDay", "spinHour", "spinMinute",
                             "spinSecond", "spinEpoch", "spinNbEpoch"})
        values << child<QSpinBox>(name)->value();
    return values;
}

Data generatedTable(int attributes, int times, const QDateTime &start, qint64 step,
                    const std::function<double(int t, int a)> &value, const QString &prefix)
{
    Data data(times, attributes);
    for (int t = 0; t < times; ++t) {
        data.times[t] = start.addSecs(step * t);
        for (int a = 0; a < attributes; ++a)
            data.values[t * attributes + a] = value(t, a);
    }
    if (!prefix.isEmpty())
        for (int a = 0; a < attributes; ++a)
            data.attributes[a] = prefix + QString::number(a);
    return data;
}
