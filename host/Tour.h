// The scripted walk through the search window: it opens the window from the client's buttons,
// works it only as a user would (through the window driver), checks what each step shows, and
// leaves a PNG per step and a line per step in tour.log.
//
// No step depends on how fast the machine is: the tour's transport talks to a service that holds
// every query until the tour has looked at the busy window, and only then hands it to the
// directory to answer.
#pragma once

#include "DemoClient.h"
#include "DemoDirectory.h"
#include "Options.h"
#include "QZTransmit.h"

// What stands behind the tour's transport: `held` receives the queries, `directory` answers them
// when the tour lets it.
struct TourServices {
    QZP::ScriptedService& held;
    QZP::DirectoryService& directory;
};

// Returns 0 when every step showed what it should, 1 when a step did not, 2 when the tour could
// not start (its folder or its log could not be made, or the options cannot give its pages).
int RunTour(DemoClient& client, const DemoDirectory& directory, TourServices services,
            QZP::QZTransmit& transmit, const DemoOptions& options);
