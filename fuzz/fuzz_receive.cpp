// libFuzzer entry: arbitrary device output, in arbitrary chunks, through the
// link, the controller's receive run and the report parser, held against the
// reference parser (see ReceiveDifferential and FuzzPlan).

#include "controller/kalvoriicontrol.h"
#include "fakedriver.h"
#include "fuzzplan.h"
#include "receivedifferential.h"

#include <QApplication>
#include <QByteArray>
#include <QWidget>

#include <cstdint>

namespace {
KalvorIIControl *sharedController = nullptr;
FakeDriver *sharedFake = nullptr; // owned by the shared controller's link
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The controller builds its window; no display is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    // Qt would take arguments it recognises out of the fuzzer's command line.
    static int argc = 1;
    static char name[] = "kalvor2-fuzz";
    static char *argv[] = {name, nullptr};
    // The application and the shared controller live until the process ends
    // and are never destroyed: libFuzzer ends the process with exit(), and
    // tearing a QApplication down among the static destructors crashes in
    // Qt's input-device cleanup. Both stay reachable, so they are no leaks.
    static QApplication *application = new QApplication(argc, argv);
    Q_UNUSED(application);

    // Built on a converter that cannot be opened yet, so that no wake step
    // runs; the first input opens it, and every input starts with its link
    // and converter emptied.
    auto fake = std::make_unique<FakeDriver>();
    fake->openStatus = FT_DEVICE_NOT_FOUND;
    sharedFake = fake.get();
    sharedController = new KalvorIIControl(std::move(fake));
    sharedController->mainWidget->hide();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzPlan plan = FuzzPlan::fromBytes(data, size);
    {
        ReceiveDifferential differential(plan.ownController ? nullptr : sharedController,
                                         sharedFake);
        differential.run(plan);
    }
    // Deferred deletions and posted events would otherwise pile up from
    // input to input (and slow every later one down).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return 0;
}
