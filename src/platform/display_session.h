// Whether this process can open windows. Qt's desktop platforms (xcb, wayland) need a display
// session to connect to; without one Qt aborts with a hint about reinstalling the application,
// so the program checks first and says plainly what is missing.
#pragma once

#include <string>
#include <vector>

// The platform plugins Qt is to try: the name after a "-platform" argument (or "-platform=…"),
// else $QT_QPA_PLATFORM; split at ";", each without its ":options". Empty when neither names one
// (Qt then takes its default, a desktop platform).
std::vector<std::string> ChosenQtPlatforms(const std::vector<std::string>& args);

// False only when every platform Qt is to try needs a display session (the default, "xcb" or
// "wayland…") and none is given: neither $DISPLAY nor $WAYLAND_DISPLAY is set and no "-display"
// argument names one. The offscreen, minimal, vnc, eglfs, linuxfb… platforms need none.
bool HasDisplaySession(const std::vector<std::string>& args);

// What the program says on standard error then, after "<program>: ": the words of scripts/run,
// with the program's own name in the examples.
std::string NoDisplayText(const std::string& program);
