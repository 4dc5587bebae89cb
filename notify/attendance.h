#pragma once
// Whether someone is at the screen to answer a message box: a pass the user
// asked for is attended; a timed pass is not, and nothing in it may wait for
// a click.

namespace vigilor {

enum class Attendance { Attended, Unattended };

}  // namespace vigilor
