#include "panels/c_locale_text.h"

#include <locale.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

std::string FormatInCLocale(const char* format, ...) {
    char text[256];
    const locale_t c = CLocale();
    // uselocale changes only the calling thread's locale, and only for this call.
    const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (previous) uselocale(previous);
    return text;
}

double StrtodInCLocale(const char* text) {
    const locale_t c = CLocale();
    return c ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}
