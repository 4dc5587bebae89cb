#pragma once
// The liveness check of a thread without windows: the same name look-up
// and one echo that the ping window makes, waited for without a message
// loop.
#include <string>

#include "net/ping_form_win.h"

namespace vigilor {

// One check of the computer of a monitored row's Server text ("\\" +
// name). Engine failures raise TICMPException, as the ping window's do.
LivenessCheck CheckMachineWithoutWindow(const std::string& name);

}  // namespace vigilor
