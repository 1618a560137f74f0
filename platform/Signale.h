// SIGTERM, SIGINT and SIGHUP end the program the orderly way: the signal is only noted in the
// handler and acted on in the event loop, where the windows may be touched.
#pragma once

#include <functional>

// Installs the handlers; 'beenden' runs in the event loop after each signal. Needs a
// QCoreApplication. A later call replaces the action.
[[nodiscard]] bool LeiteBeendenSignaleUm(std::function<void()> beenden);
