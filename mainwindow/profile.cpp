#include "mainwindow/profile.h"

#include "view/viewactions.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <cctype>
#include <cmath>

namespace {

const QString agregationType = QStringLiteral("Operations/Agregation/type");
const QString agregationEpoch = QStringLiteral("Operations/Agregation/epoch");
const QString normalizationMode = QStringLiteral("Operations/Normalization/mode");
const QString reorganizationMode = QStringLiteral("Operations/Reorganization/mode");
const QString correlationMode = QStringLiteral("Operations/Correlation/mode");
const QString correlationThreshold = QStringLiteral("Operations/Correlation/threshold");
const QString displayTime = QStringLiteral("Window/displayTime");
const QString displayMode = QStringLiteral("Window/displayMode");
const QString missingValueColor = QStringLiteral("Window/missingValueColor");
const QString backgroundColor = QStringLiteral("Window/backgroundColor");
const QString widthColor = QStringLiteral("Window/widthColor");
const QString windowGroup = QStringLiteral("Window");
const QString stopValue = QStringLiteral("gradientStopValue");
const QString stopColor = QStringLiteral("gradientStopColor");
const QString returnToOrigin = QStringLiteral("CameraKeys/back");

struct KeyGroup
{
    QString name;
    ViewActions::Binding binding;
};
const KeyGroup cameraGroup = {QStringLiteral("CameraKeys"), ViewActions::CameraKeys};
const KeyGroup pickingGroup = {QStringLiteral("PickingKeys"), ViewActions::PickingKeys};
const KeyGroup moveGroup = {QStringLiteral("MoveSelectKeys"), ViewActions::MoveSelectionKeys};

// One character tells the stops apart, its code being the stop's index.
constexpr int maxStops = 256;

QString stopKey(const QString &name, int index)
{
    return windowGroup + QLatin1Char('/') + name + QChar(ushort(index));
}

QString actionKey(const KeyGroup &group, int action)
{
    return group.name + QLatin1Char('/') + QString::number(action);
}

template <typename T> void write(QSettings &settings, const QString &key, const std::optional<T> &v)
{
    if (v)
        settings.setValue(key, *v);
}

std::optional<int> readInt(const QSettings &settings, const QString &key)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// 0 or 1, the two buttons of a pair.
std::optional<int> readChoice(const QSettings &settings, const QString &key)
{
    const std::optional<int> value = readInt(settings, key);
    return value && (*value == 0 || *value == 1) ? value : std::nullopt;
}

// A damaged file can hold a colour of a kind QColor does not have, which
// must not even be copied. Written out by Qt's own code the variant reads:
// its type, a null flag, then the colour's kind, checked there.
bool isKnownColorKind(const QVariant &stored)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << stored;
    const int kind = bytes.size() > 5 ? bytes.at(5) : -1;
    return kind >= QColor::Rgb && kind <= QColor::ExtendedRgb;
}

// Extended colours carry half floats, which a damaged file can make
// infinite or not a number: no colour to draw with, nor equal to itself.
bool isUsable(const QColor &color)
{
    qreal r = 0, g = 0, b = 0, a = 0;
    color.getRgbF(&r, &g, &b, &a);
    return color.isValid() && std::isfinite(r) && std::isfinite(g) && std::isfinite(b) &&
           a >= 0.0 && a <= 1.0;
}

std::optional<QColor> readColor(const QSettings &settings, const QString &key)
{
    const QVariant stored = settings.value(key);
    QColor color;
    if (stored.userType() == QMetaType::QColor && isKnownColorKind(stored))
        color = stored.value<QColor>();
    else if (stored.userType() == QMetaType::QString && QColor::isValidColor(stored.toString()))
        color = QColor(stored.toString());
    return isUsable(color) ? std::optional<QColor>(color) : std::nullopt;
}

// Stops until the first missing position (or -1); any broken stop, or fewer
// than two, and the gradient is not used.
std::optional<QLinearGradient> readGradient(const QSettings &settings)
{
    QMap<double, QColor> stops;
    for (int i = 0; i < maxStops; ++i) {
        const QVariant stored = settings.value(stopKey(stopValue, i));
        if (!stored.isValid())
            break;
        bool ok = false;
        const float position = stored.toFloat(&ok);
        if (ok && position == -1.0f)
            break;
        const std::optional<QColor> color = readColor(settings, stopKey(stopColor, i));
        if (!ok || !color || position < 0.0f || position > 1.0f)
            return std::nullopt;
        stops.insert(double(position), *color);
    }
    if (stops.size() < 2)
        return std::nullopt;
    QLinearGradient gradient;
    for (auto it = stops.constBegin(); it != stops.constEnd(); ++it)
        gradient.setColorAt(it.key(), it.value());
    return gradient;
}

void writeKeyMap(QSettings &settings, const KeyGroup &group, const QMap<int, int> &keyMap)
{
    for (auto it = keyMap.constBegin(); it != keyMap.constEnd(); ++it)
        settings.setValue(actionKey(group, it.value()), it.key());
}

// Key codes, and a step: 0 would turn into the smallest step, 1 s.
std::optional<int> readPositive(const QSettings &settings, const QString &key)
{
    const std::optional<int> value = readInt(settings, key);
    return value && *value > 0 ? value : std::nullopt;
}

// The current actions in the order of their keys, each with the key the file
// gives it or else its own; then the actions without a key that the file
// names. Of two actions on one key the later keeps it.
QMap<int, int> readKeyMap(const QSettings &settings, const KeyGroup &group,
                          const QMap<int, int> &current)
{
    QMap<int, int> keyMap;
    for (auto it = current.constBegin(); it != current.constEnd(); ++it)
        keyMap.insert(readPositive(settings, actionKey(group, it.value())).value_or(it.key()),
                      it.value());
    const QList<int> bound = current.values();
    for (const ViewActions::Row &row : ViewActions::rows())
        if (row.binding == group.binding && !bound.contains(row.action))
            if (const std::optional<int> key = readPositive(settings, actionKey(group, row.action)))
                keyMap.insert(*key, row.action);
    return keyMap;
}

// The bytes of a value as Qt writes a colour variant: escapes only where Qt
// puts them (never a hex digit right after one, which Qt would read as part
// of it), printable characters otherwise, quoted when it holds , ; or =.
// Empty unless the value is exactly such a colour.
QByteArray colourVariantBytes(QByteArray value)
{
    const QByteArray head = "@Variant(";
    if (value.size() > 1 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    else if (value.contains(',') || value.contains(';') || value.contains('='))
        return {};
    if (!value.startsWith(head) || !value.endsWith(')'))
        return {};
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    const char *p = value.constData() + head.size();
    const char *end = value.constData() + value.size() - 1; // before the ')'
    const QByteArray simple = "abfnrtv\"\\", meaning = "\a\b\f\n\r\t\v\"\\";
    QByteArray bytes;
    while (p < end) {
        const char c = *p++;
        if (c == '"' || c < 0x20 || c > 0x7e)
            return {};
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (p == end)
            return {};
        const char e = *p++;
        if (e == '0' || e == 'x') {
            int digits = 0, byte = 0;
            while (e == 'x' && p < end && isHex(*p) && digits < 2)
                byte = byte * 16 + QByteArray(1, *p++).toInt(nullptr, 16), ++digits;
            if ((e == 'x' && digits == 0) || (p < end && isHex(*p)))
                return {};
            bytes += char(byte);
        } else if (simple.contains(e)) {
            bytes += meaning.at(simple.indexOf(e));
        } else {
            return {};
        }
    }
    return bytes;
}

// QSettings turns any value written "@Variant(...)" into an object read from
// a binary stream, and a damaged or forged one can ask it for unbounded
// memory; profiles only ever hold colours that way. A line with a backslash
// is therefore read as Qt would (a plain key, its value after the first
// "=") and its value must be a colour; without one no such stream can be
// made (its type would need zero bytes).
bool isSafeLine(const QByteArray &line)
{
    if (!line.contains('\\'))
        return line.count('"') % 2 == 0;
    static const QRegularExpression plainKey(
        QStringLiteral("^[A-Za-z0-9_.%-]+(\\\\[A-Za-z0-9_.%-]+)*$"));
    const int equals = line.indexOf('=');
    const QByteArray key = line.left(equals).trimmed(), value = line.mid(equals + 1).trimmed();
    if (equals < 0 || !plainKey.match(QString::fromLatin1(key)).hasMatch())
        return false;
    if (!value.contains('\\'))
        return value.count('"') % 2 == 0;
    const QByteArray bytes = colourVariantBytes(value);
    // Type (streams as old as QSettings' have no null flag), then the
    // colour's kind, alpha, red, green, blue and padding.
    return bytes.size() == 15 && bytes.startsWith(QByteArray("\0\0\0\x43", 4));
}

// QSettings reports a broken file only to the first reader of it (later ones
// get its cached keys), so the file is looked at here: text whose lines are
// sections, keys with values or comments, with no value that Qt would read
// as anything but a number, a text or a colour.
bool isIniFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        // A carriage return or a final backslash would end or join lines
        // where this loop does not.
        if (line.contains('\0') || line.contains('\r') || line.endsWith('\\'))
            return false;
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') ? !line.contains(']') || line.contains('\\') || line.count('"') % 2
                                 : !line.contains('=') || !isSafeLine(line))
            return false;
    }
    return true;
}

} // namespace

bool Profile::save(const QString &fileName, int kind)
{
    // Its content would be merged into the profile.
    if (QFileInfo(fileName).isFile() && !isIniFile(fileName)) {
        m_error = tr("The file exists and is not an INI file; it is left as it is.");
        return false;
    }
    QSettings settings(fileName, QSettings::IniFormat);
    if (kind == Complete || kind == Operations) {
        write(settings, agregationType, operations.agregationType);
        write(settings, agregationEpoch, operations.agregationEpoch);
        write(settings, normalizationMode, operations.normalizationMode);
        write(settings, reorganizationMode, operations.reorganizationMode);
        write(settings, correlationMode, operations.correlationMode);
        write(settings, correlationThreshold, operations.correlationThreshold);
    }
    if (kind == Complete || kind == Display) {
        write(settings, displayTime, display.displayTime);
        write(settings, displayMode, display.displayMode);
        write(settings, missingValueColor, display.missingValueColor);
        write(settings, backgroundColor, display.backgroundColor);
        write(settings, widthColor, display.widthColor);
        // Stops of an earlier, longer gradient would be read back as part of this one.
        settings.beginGroup(windowGroup);
        for (const QString &key : settings.childKeys())
            if (key.startsWith(stopValue) || key.startsWith(stopColor))
                settings.remove(key);
        settings.endGroup();
        const QGradientStops stops =
            display.gradient ? display.gradient->stops() : QGradientStops();
        for (int i = 0; i < qMin(stops.size(), maxStops); ++i) {
            settings.setValue(stopKey(stopValue, i), stops.at(i).first);
            settings.setValue(stopKey(stopColor, i), stops.at(i).second);
        }
    }
    if (kind == Keys) {
        // Likewise an action unbound since the last save would come back.
        for (const KeyGroup &group : {cameraGroup, pickingGroup, moveGroup})
            settings.remove(group.name);
        writeKeyMap(settings, cameraGroup, keys.camera);
        settings.setValue(returnToOrigin, keys.returnToOrigin);
        writeKeyMap(settings, pickingGroup, keys.picking);
        writeKeyMap(settings, moveGroup, keys.moveSelection);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        m_error = tr("The file cannot be written.");
        return false;
    }
    return true;
}

bool Profile::open(const QString &fileName, int kind)
{
    // An absent file would read as a file without keys.
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        m_error = tr("The file cannot be read.");
        return false;
    }
    if (!isIniFile(fileName)) {
        m_error = tr("The file is not a profile of this kind.");
        return false;
    }
    const QSettings settings(fileName, QSettings::IniFormat);
    QStringList sections;
    if (kind == Complete || kind == Operations)
        sections << QStringLiteral("Operations");
    if (kind == Complete || kind == Display)
        sections << windowGroup;
    if (kind == Keys)
        sections << cameraGroup.name << pickingGroup.name << moveGroup.name;
    const QStringList groups = settings.childGroups();
    const bool holdsAny = std::any_of(sections.begin(), sections.end(),
                                      [&groups](const QString &s) { return groups.contains(s); });
    if (settings.status() != QSettings::NoError || !holdsAny) {
        m_error = tr("The file is not a profile of this kind.");
        return false;
    }

    if (kind == Complete || kind == Operations) {
        operations.agregationType = readInt(settings, agregationType);
        operations.agregationEpoch = readPositive(settings, agregationEpoch);
        operations.normalizationMode = readChoice(settings, normalizationMode);
        operations.reorganizationMode = readInt(settings, reorganizationMode);
        operations.correlationMode = readInt(settings, correlationMode);
        operations.correlationThreshold = readInt(settings, correlationThreshold);
    }
    if (kind == Complete || kind == Display) {
        display.displayTime = readChoice(settings, displayTime);
        display.displayMode = readInt(settings, displayMode);
        display.missingValueColor = readColor(settings, missingValueColor);
        display.backgroundColor = readColor(settings, backgroundColor);
        display.widthColor = readColor(settings, widthColor);
        display.gradient = readGradient(settings);
    }
    if (kind == Keys) {
        keys.camera = readKeyMap(settings, cameraGroup, keys.camera);
        keys.returnToOrigin = readPositive(settings, returnToOrigin).value_or(keys.returnToOrigin);
        keys.picking = readKeyMap(settings, pickingGroup, keys.picking);
        keys.moveSelection = readKeyMap(settings, moveGroup, keys.moveSelection);
    }
    return true;
}
