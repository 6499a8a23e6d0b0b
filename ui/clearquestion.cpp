#include "clearquestion.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};
} // namespace

bool askToClearMemory(const QString &detail)
{
    QMessageBox box;
    box.setText(Texts::tr("Speicher löschen"));
    box.setInformativeText(detail);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setIcon(QMessageBox::Warning);
    return box.exec() == QMessageBox::Yes;
}
