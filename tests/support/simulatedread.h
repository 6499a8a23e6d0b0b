#pragma once

#include "protocol/measurementrow.h"
#include "protocol/readinfo.h"

#include <QList>

// A memory read as the program makes it: the simulated device's configuration
// report and its memory of generated measurements (identity 004711, 50 kN
// range, factory settings), through the report parser. The records numbered in
// `brokenStamps` carry a time stamp that names no day (30 February), those in
// `brokenForces` the force "-inf".
struct SimulatedRead
{
    QList<MeasurementRow> rows;
    ReadInfo info;
};

SimulatedRead simulatedRead(int records, const QList<int> &brokenStamps = {},
                            const QList<int> &brokenForces = {});
