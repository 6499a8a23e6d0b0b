// libFuzzer entry: any input is a schedule of a technician's session
// (devices, unplugs, pauses, presses, kills; see Schedule), played against
// the device session by the simulation with its invariants checked after
// every event. A broken invariant prints the schedule, one event a line,
// ready to be saved in tests/simulation/schedules/ and replayed there.

#include "schedule.h"
#include "simulation.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// The settings write names its last command in the debug output, once per
// write: millions of lines in a fuzz run.
void quietDebugOutput(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "kalvor2-fuzz-session";
    static char *argv[] = {name, nullptr};
    // Lives until the process ends (see fuzz_receive.cpp).
    static QCoreApplication *application = new QCoreApplication(argc, argv);
    Q_UNUSED(application);
    qInstallMessageHandler(quietDebugOutput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Schedule schedule = Schedule::fromBytes(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    QString failure;
    {
        Simulation simulation(schedule);
        failure = simulation.run();
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "\n%s\nschedule:\n%s\n", qPrintable(failure),
                     qPrintable(schedule.toText()));
        std::abort();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return 0;
}
