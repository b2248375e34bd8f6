// The scripted walk through the search window: it opens the window from the client's buttons,
// works it only through messages to its controls as a user would, waits (bounded) for what each
// step should show, checks it, and leaves a PNG per step and a line per step in tour.log.
#pragma once

#include <string>

#include "DemoClient.h"
#include "DemoDirectory.h"
#include "Options.h"
#include "QZTransmit.h"

// Returns 0 when every step showed what it should, 1 when a step did not, 2 when the tour could
// not start (its folder or its log could not be made, or the options cannot give its pages).
int RunTour(DemoClient& client, const DemoDirectory& directory, QZP::QZTransmit& transmit,
            const DemoOptions& options);
