#pragma once

#include <QString>
#include <QStringList>

// Where the report parser delivers what it reads. The controller forwards to
// the form's widgets; tests, the benchmark and tools collect the values as text.
class ReportSink
{
public:
    enum class Text { SerialNumber, FirmwareVersion, CheckDate };
    enum class Value {
        Brightness,    // BrightnessValue_SB
        RadioChannel,  // Funkkanal_SB
        DeviceId,      // geraeteID_SB
        WakeThreshold, // interruptValue_SB
        Duration,      // Duration_SB
        Cycles,        // DauerCycles_SB
        CycleTime,     // DauerTime_SB
        FillLevel,     // Speicherbelegung_PB
    };

    virtual ~ReportSink() = default;

    virtual void setText(Text which, const QString &text) = 0;
    virtual void setValue(Value which, int value) = 0;
    virtual void setSleevePosition(double millimetres) = 0; // Huelsenpos_SB
    virtual void appendRow(const QStringList &cells) = 0;   // six cells, one measurement row
};

// The controller's variables that the parser reads and advances. They stay
// members of the controller; the parser reaches them through these references.
struct ParserState
{
    int &measuringRange;
    int &measurementNumber;
    float &sleevePositionRaw;
};
