#ifndef VIREO_MAINWINDOW_CSVLAYOUT_H
#define VIREO_MAINWINDOW_CSVLAYOUT_H

#include <QString>

// Guesses a CSV file's layout from its first lines, for files that arrive
// without the user choosing a menu entry.
class CsvLayout
{
public:
    enum Layout
    {
        Unknown = -1,
        Synchronous = 0,
        Asynchronous = 1
    };

    // Synchronous when line 1 is a header and line 11 starts with a time;
    // asynchronous when every line read is "name, time, value"; Unknown
    // when neither or both hold, or the file cannot be read.
    static Layout detect(const QString &fileName);
};

#endif // VIREO_MAINWINDOW_CSVLAYOUT_H
