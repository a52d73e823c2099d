#include "platform/display_session.h"

#include <sys/stat.h>

#include <cstdlib>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The value of a Qt option given as "-name value", "-name=value" or with two dashes; "" when
// args do not hold it.
std::string OptionValue(const std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        for (const std::string& dashes : {std::string("-"), std::string("--")}) {
            const std::string option = dashes + name;
            if (args[i] == option && i + 1 < args.size()) return args[i + 1];
            if (args[i].compare(0, option.size() + 1, option + "=") == 0) {
                return args[i].substr(option.size() + 1);
            }
        }
    }
    return std::string();
}

bool NeedsDisplay(const std::string& platform) {
    return platform == "xcb" || platform.compare(0, 7, "wayland") == 0;
}

// A Wayland client without $WAYLAND_DISPLAY connects to the socket "wayland-0".
bool DefaultWaylandSocket() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    struct stat st {};
    return stat((std::string(runtime) + "/wayland-0").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::vector<std::string> ChosenQtPlatforms(const std::vector<std::string>& args) {
    std::string names = OptionValue(args, "platform");
    if (names.empty() && IsSet("QT_QPA_PLATFORM")) names = std::getenv("QT_QPA_PLATFORM");
    std::vector<std::string> platforms;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string name = names.substr(start, end - start);
        name = name.substr(0, name.find(':'));
        if (!name.empty()) platforms.push_back(name);
        start = end + 1;
    }
    return platforms;
}

bool HasDisplaySession(const std::vector<std::string>& args) {
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || !OptionValue(args, "display").empty()) {
        return true;
    }
    const std::vector<std::string> platforms = ChosenQtPlatforms(args);
    for (const std::string& platform : platforms) {
        if (!NeedsDisplay(platform)) return true;
        if (platform != "xcb" && DefaultWaylandSocket()) return true;
    }
    return false;
}

std::string NoDisplayText(const std::string& program) {
    return "no display. Vantrel is a desktop program and needs a graphical session: neither\n"
           "DISPLAY nor WAYLAND_DISPLAY is set (and QT_QPA_PLATFORM names no other platform). "
           "Run it from a\n"
           "desktop terminal, or give it a virtual display (nothing is visible then), for "
           "example:\n"
           "    xvfb-run -a " +
           program +
           "\n"
           "    QT_QPA_PLATFORM=offscreen " +
           program +
           "\n"
           "xvfb-run comes with the xvfb package (sudo apt-get install xvfb).\n";
}
