#ifndef VIREO_MAINWINDOW_PROFILE_H
#define VIREO_MAINWINDOW_PROFILE_H

#include <QColor>
#include <QCoreApplication>
#include <QLinearGradient>
#include <QMap>
#include <QString>

#include <optional>

// The settings an INI profile holds: operations, display, key bindings.
// Opening reads what the file holds in a usable form and leaves the rest
// empty, so that the widgets behind a missing or broken key keep their value.
class Profile
{
    Q_DECLARE_TR_FUNCTIONS(Profile)

public:
    enum Kind
    {
        Complete = 0, // operations and display
        Operations = 1,
        Display = 2,
        Keys = 3
    };

    struct OperationSettings
    {
        std::optional<int> agregationType;
        std::optional<int> agregationEpoch;
        std::optional<int> normalizationMode; // 0 global, 1 local
        std::optional<int> reorganizationMode;
        std::optional<int> correlationMode;
        std::optional<int> correlationThreshold;
    };
    struct DisplaySettings
    {
        std::optional<int> displayTime; // 0 epoch, 1 GMT
        std::optional<int> displayMode;
        std::optional<QColor> missingValueColor;
        std::optional<QColor> backgroundColor;
        std::optional<QColor> widthColor;
        std::optional<QLinearGradient> gradient; // at least two stops
    };
    // key -> action maps, as the view holds them.
    struct KeyBindings
    {
        QMap<int, int> camera;
        int returnToOrigin = 0;
        QMap<int, int> picking;
        QMap<int, int> moveSelection;
    };

    OperationSettings operations;
    DisplaySettings display;
    // Saved as they are. Opening starts from them: an action the file names
    // gets its key from it, the others keep theirs.
    KeyBindings keys;

    // Writes the sections of kind over those of the file; its other keys stay.
    bool save(const QString &fileName, int kind);
    // Reads the sections of kind. Fails, changing nothing, when the file cannot
    // be read, is not an INI file or holds none of them.
    bool open(const QString &fileName, int kind);
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

#endif // VIREO_MAINWINDOW_PROFILE_H
