#include "mainwindow/lazymodelselections.h"

#include "mainwindow/lazymodelselection.h"

#include <QCoreApplication>

LazyModelSelections::LazyModelSelections(const Selections *selections, LazyModel *parent)
    : LazyModel(selections->size(), parent), m_selections(selections)
{}

QString LazyModelSelections::displayText(const Data &, TimeDisplay) const
{
    return QCoreApplication::translate("LazyModel", "Selections");
}

std::unique_ptr<LazyModel> LazyModelSelections::createChild(int row)
{
    return std::make_unique<LazyModelSelection>(&m_selections->at(row), this);
}
