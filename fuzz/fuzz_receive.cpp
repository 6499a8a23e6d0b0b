// libFuzzer entry: arbitrary device output, in arbitrary chunks, through the
// link, the device session's receive run and the report parser, held against
// the reference parser (see ReceiveDifferential and FuzzPlan).

#include "fuzzplan.h"
#include "receivedifferential.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Qt would take arguments it recognises out of the fuzzer's command line.
    static int argc = 1;
    static char name[] = "kalvor2-fuzz";
    static char *argv[] = {name, nullptr};
    // The application lives until the process ends and is never destroyed:
    // libFuzzer ends the process with exit(), before any static destructor
    // could tear it down. It stays reachable, so it is no leak.
    static QCoreApplication *application = new QCoreApplication(argc, argv);
    Q_UNUSED(application);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzPlan plan = FuzzPlan::fromBytes(data, size);
    {
        ReceiveDifferential differential;
        differential.run(plan);
    }
    // Deferred deletions and posted events would otherwise pile up from
    // input to input (and slow every later one down).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return 0;
}
