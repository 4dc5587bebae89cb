#pragma once
// The liveness check of a thread without windows: the same name look-up
// and one echo that the ping window makes, waited for without a message
// loop.
#include <stop_token>
#include <string>

#include "net/ping_form_win.h"

namespace vigilor {

// One check of the computer of a monitored row's Server text ("\\" +
// name). Engine failures raise TICMPException, as the ping window's do.
// A stop request gives the name look-up up, as not resolved.
LivenessCheck CheckMachineWithoutWindow(const std::string& name, std::stop_token stop);

}  // namespace vigilor
