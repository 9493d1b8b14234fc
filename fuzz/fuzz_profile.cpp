// Opens the input as a profile of every kind. A refused profile changes
// nothing and says why; an accepted one holds only usable values, leaves the
// sections of other kinds alone, and comes back the same once saved.
#include "fuzz/taskprobe.h"
#include "mainwindow/profile.h"
#include "view/viewactions.h"

#include <QDataStream>
#include <QFile>
#include <QSet>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition, const QString &what)
{
    TaskProbe::require(condition, what);
}

// A new name for every file: QSettings keeps what it read of a path and may
// not notice that the file changed within the same instant.
QString freshPath()
{
    static int count = 0;
    return TaskProbe::scratchPath(QStringLiteral("profile-%1.ini").arg(++count));
}

// What the window would hold; with an odd size one camera action is unbound,
// so that the file may bind it.
Profile current(size_t size)
{
    Profile profile;
    profile.operations = {2, 3600, 1, 1, 2, 75};
    QLinearGradient gradient;
    gradient.setColorAt(0.0, Qt::black);
    gradient.setColorAt(0.25, Qt::red);
    gradient.setColorAt(1.0, Qt::white);
    profile.display = {0, 1, QColor(Qt::gray), QColor(10, 20, 30), QColor(Qt::green), gradient};
    profile.keys = {ViewActions::defaultCameraKeys(), ViewActions::defaultReturnToOriginKey(),
                    ViewActions::defaultPickingKeys(), ViewActions::defaultMoveSelectionKeys()};
    if (size % 2 == 1)
        profile.keys.camera.remove(profile.keys.camera.key(ViewActions::Highspeed));
    return profile;
}

bool sameOperations(const Profile &a, const Profile &b)
{
    const Profile::OperationSettings &x = a.operations;
    const Profile::OperationSettings &y = b.operations;
    return x.agregationType == y.agregationType && x.agregationEpoch == y.agregationEpoch &&
           x.normalizationMode == y.normalizationMode &&
           x.reorganizationMode == y.reorganizationMode && x.correlationMode == y.correlationMode &&
           x.correlationThreshold == y.correlationThreshold;
}

bool sameDisplay(const Profile &a, const Profile &b)
{
    const Profile::DisplaySettings &x = a.display;
    const Profile::DisplaySettings &y = b.display;
    return x.displayTime == y.displayTime && x.displayMode == y.displayMode &&
           x.missingValueColor == y.missingValueColor && x.backgroundColor == y.backgroundColor &&
           x.widthColor == y.widthColor && x.gradient == y.gradient;
}

bool sameKeys(const Profile &a, const Profile &b)
{
    return a.keys.camera == b.keys.camera && a.keys.returnToOrigin == b.keys.returnToOrigin &&
           a.keys.picking == b.keys.picking && a.keys.moveSelection == b.keys.moveSelection;
}

bool isChoice(const std::optional<int> &value)
{
    return !value || *value == 0 || *value == 1;
}

bool isColor(const std::optional<QColor> &color)
{
    if (!color)
        return true;
    // QColor writes its kind first; the kinds it has run from Rgb to ExtendedRgb.
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << *color;
    qreal r = 0, g = 0, b = 0, a = 0;
    color->getRgbF(&r, &g, &b, &a);
    return color->isValid() && bytes.at(0) >= QColor::Rgb && bytes.at(0) <= QColor::ExtendedRgb &&
           std::isfinite(r + g + b) && a >= 0.0 && a <= 1.0;
}

void checkKeyMap(const QMap<int, int> &keyMap, ViewActions::Binding binding, const char *name)
{
    QSet<int> actions;
    for (const ViewActions::Row &row : ViewActions::rows())
        if (row.binding == binding)
            actions.insert(row.action);
    QSet<int> seen;
    for (auto it = keyMap.constBegin(); it != keyMap.constEnd(); ++it) {
        require(it.key() > 0, QStringLiteral("%1: key %2").arg(QLatin1String(name)).arg(it.key()));
        require(actions.contains(it.value()) && !seen.contains(it.value()),
                QStringLiteral("%1: action %2 unknown or bound twice")
                    .arg(QLatin1String(name))
                    .arg(it.value()));
        seen.insert(it.value());
    }
}

void checkValues(const Profile &profile)
{
    const Profile::OperationSettings &operations = profile.operations;
    require(!operations.agregationEpoch || *operations.agregationEpoch > 0,
            QStringLiteral("step %1").arg(operations.agregationEpoch.value_or(0)));
    require(isChoice(operations.normalizationMode), QStringLiteral("normalization mode"));
    const Profile::DisplaySettings &display = profile.display;
    require(isChoice(display.displayTime), QStringLiteral("time display"));
    require(isColor(display.missingValueColor) && isColor(display.backgroundColor) &&
                isColor(display.widthColor),
            QStringLiteral("invalid colour"));
    if (display.gradient) {
        const QGradientStops stops = display.gradient->stops();
        require(stops.size() >= 2, QStringLiteral("gradient of %1 stops").arg(stops.size()));
        for (int i = 0; i < stops.size(); ++i)
            require(stops.at(i).first >= 0 && stops.at(i).first <= 1 &&
                        (i == 0 || stops.at(i - 1).first < stops.at(i).first) &&
                        isColor(stops.at(i).second),
                    QStringLiteral("gradient stop %1 at %2").arg(i).arg(stops.at(i).first));
    }
    checkKeyMap(profile.keys.camera, ViewActions::CameraKeys, "camera");
    checkKeyMap(profile.keys.picking, ViewActions::PickingKeys, "picking");
    checkKeyMap(profile.keys.moveSelection, ViewActions::MoveSelectionKeys, "move");
    require(profile.keys.returnToOrigin > 0, QStringLiteral("return key"));
}

// Whether saving the kind writes nothing, so that the saved file is no
// profile of that kind.
bool savesNothing(const Profile &profile, int kind)
{
    const Profile::OperationSettings &o = profile.operations;
    const Profile::DisplaySettings &d = profile.display;
    const bool noOperations = !o.agregationType && !o.agregationEpoch && !o.normalizationMode &&
                              !o.reorganizationMode && !o.correlationMode &&
                              !o.correlationThreshold;
    const bool noDisplay = !d.displayTime && !d.displayMode && !d.missingValueColor &&
                           !d.backgroundColor && !d.widthColor && !d.gradient;
    switch (kind) {
    case Profile::Operations:
        return noOperations;
    case Profile::Display:
        return noDisplay;
    case Profile::Complete:
        return noOperations && noDisplay;
    default:
        return false;
    }
}

void openAs(const QString &path, int kind, size_t size)
{
    const Profile before = current(size);
    Profile profile = before;
    const bool opened = profile.open(path, kind);
    const QString what = QStringLiteral("kind %1: ").arg(kind);
    const bool operations = kind == Profile::Complete || kind == Profile::Operations;
    const bool display = kind == Profile::Complete || kind == Profile::Display;
    const bool keys = kind == Profile::Keys;
    if (!opened) {
        require(!profile.errorString().isEmpty(), what + QStringLiteral("refused without reason"));
        require(sameOperations(profile, before) && sameDisplay(profile, before) &&
                    sameKeys(profile, before),
                what + QStringLiteral("a refused profile changed the settings"));
        return;
    }
    require((operations || sameOperations(profile, before)) &&
                (display || sameDisplay(profile, before)) && (keys || sameKeys(profile, before)),
            what + QStringLiteral("settings of another kind changed"));
    checkValues(profile);

    const QString saved = freshPath();
    require(profile.save(saved, kind),
            what + QStringLiteral("not saved: ") + profile.errorString());
    // Key maps are read over the current ones: start from what was saved.
    Profile reopened = before;
    reopened.keys = profile.keys;
    if (!reopened.open(saved, kind)) {
        require(savesNothing(profile, kind),
                what + QStringLiteral("saved profile refused: ") + reopened.errorString());
    } else {
        require(sameOperations(reopened, profile) && sameDisplay(reopened, profile) &&
                    sameKeys(reopened, profile),
                what + QStringLiteral("saved profile reads back otherwise"));
    }
    QFile::remove(saved);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    TaskProbe::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(bytes), int(size));
    const QString path = freshPath();
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(input) == input.size(),
            QStringLiteral("cannot write ") + path);
    file.close();
    for (int kind : {Profile::Complete, Profile::Operations, Profile::Display, Profile::Keys})
        openAs(path, kind, size);
    QFile::remove(path);
    return 0;
}
