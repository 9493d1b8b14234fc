#include "core/annotation.h"

Annotation::Annotation(const QString &text, const Selection &selection)
    : selection(selection)
    , text(text)
    , hasSelection(true)
{
}
