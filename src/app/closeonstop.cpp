#include "app/closeonstop.h"

#include "base/stopsignals.h"

#include <QCoreApplication>
#include <QWidget>

const StopSignals &closeOnStopSignals(QWidget &window) {
    auto *stop = new StopSignals(&window);
    QObject::connect(stop, &StopSignals::stopRequested, &window, [&window] {
        if (window.isVisible()) {
            window.close();
        } else {
            QCoreApplication::exit(0); // leaves a box start-up may be showing
        }
    });
    return *stop;
}
