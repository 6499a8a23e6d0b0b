#pragma once

#include "controller/kalvoriicontrol.h"

#include <QString>

#include <memory>

class FtdiDriver;

// Prints one figure as "NAME VALUE UNIT".
void printFigure(const QString &name, double value, const char *unit);

// A controller whose link talks to the given driver (none: no converter),
// with its own timers stopped: the benchmark runs its steps itself.
std::unique_ptr<KalvorIIControl> makeController(std::unique_ptr<FtdiDriver> driver = nullptr);

// The worst-layout memory report of `records` records, from the test tree's
// seeded generator.
QString worstLayoutReport(int records);

void runParserFigures();
void runWorkbookFigures(); // part of the parser group: rows without widgets
void runUiFigures();
void runSystemFigures();
void runArchiveFigures();
