#include "mainwindow/windowdialogs.h"

// Out of line: the class's one home for its virtual table.
WindowDialogs::~WindowDialogs() = default;
