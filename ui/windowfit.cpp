#include "windowfit.h"

#include "ui/formfit.h"
#include "ui/language.h"

#include <QLocale>

void fitWindowToFonts(Ui::KalvorIIControl &ui)
{
    // The date and time in the window's language, as the clock ticks them.
    const QLocale locale;
    ui.dateEdit->setDisplayFormat(Language::dateFormat(locale));
    ui.timeEdit->setDisplayFormat(Language::timeFormat(locale));
    FormFit::fitButtonRow({ui.ReadConfig_PB, ui.WriteConfig_PB, ui.SetDefault_PB},
                          ui.frame_5->width() - ui.ReadConfig_PB->x());
    // The settings and measurement pages' tabs are 46ex wide each: with the
    // chart's tab, three of that width would not fit the window.
    FormFit::shareTabWidth(ui.tabWidget);
    for (QWidget *frame : {ui.frame_5, ui.frame_7})
        for (QAbstractSpinBox *box : frame->findChildren<QAbstractSpinBox *>())
            FormFit::fitValueBox(box);
    FormFit::setReadingOrder({ui.frame_5, ui.frame_7});
    FormFit::setReadingOrder({ui.System});
}
