#pragma once

#include "measurementrow.h"

#include <QString>

// Where the report parser delivers what it reads. The controller forwards to
// the form's widgets; tests, the benchmark and tools collect the values as text.
class ReportSink
{
public:
    enum class Text { SerialNumber, FirmwareVersion, CheckDate };
    // The device settings (devicesettings.h), the memory's fill level in
    // percent and the number of records the memory report announces.
    enum class Value {
        Brightness,
        RadioChannel,
        DeviceId,
        WakeThreshold,
        Duration,
        Cycles,
        CycleTime,
        FillLevel,
        EntryCount,
    };

    virtual ~ReportSink() = default;

    virtual void setText(Text which, const QString &text) = 0;
    virtual void setValue(Value which, int value) = 0;
    virtual void setSleevePosition(double millimetres) = 0;
    virtual void appendRow(const MeasurementRow &row) = 0;
    // The device reported its measuring range, which from now on scales its
    // rows (the parser keeps it in ParserState).
    virtual void measuringRangeReported() { }
};

// The controller's variables that the parser reads and advances. They stay
// members of the controller; the parser reaches them through these references.
struct ParserState
{
    int &measuringRange;
    int &measurementNumber;
    float &sleevePositionRaw;
};
