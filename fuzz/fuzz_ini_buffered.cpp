// The buffered ini writer: random file bytes, then a few random SetLine edits, then the flush
// when the object goes.
//
// Properties: each accepted edit changes the line image in one place only: it takes out at most
// one line, and only one that begins with the edit's key, and puts in the key line and, for a
// new section, its header. Every other line survives byte for byte, in order, and the file
// written back is exactly the image, every line ending in CR LF. A refused edit changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "settings/iniacs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string original = in.ConsumeRandomLengthString(2048);
    const std::string path = FuzzScratchDir() + "buffered.ini";
    FuzzWriteFile(path, original);

    std::vector<std::string> image = SplitIniLines(original);
    bool loaded = false;
    {
        iniacs ini;
        ini.iniPath = path;
        ini.buffered = 1;
        const int edits = in.ConsumeIntegralInRange(1, 4);
        for (int e = 0; e < edits && in.remaining_bytes() > 0; ++e) {
            const std::string section = in.ConsumeRandomLengthString(16);
            const std::string key = in.ConsumeRandomLengthString(16);
            const std::string text = in.ConsumeBool() ? std::to_string(in.ConsumeIntegral<int>())
                                                      : in.ConsumeRandomLengthString(16);
            const int result = ini.SetLine(section, key, text);
            if (result == 0) {
                // Only edits that cannot be written as one line are refused (the file is ours).
                FUZZ_CHECK(key.empty() ||
                           (section + key + text).find_first_of("\r\n") != std::string::npos);
                if (loaded) FUZZ_CHECK(ini.lines == image);
                continue;
            }
            FUZZ_CHECK(result == 1);
            FUZZ_CHECK(!key.empty());
            loaded = true;
            const auto beginsWithKey = [&key](const std::string& line) {
                return line.compare(0, key.size(), key) == 0;
            };
            FUZZ_CHECK(IsLocalEdit(image, ini.lines, beginsWithKey,
                                   {key + "=" + text, "[" + section + "]"}, 2));
            image = ini.lines;
        }
    }
    const std::string written = FuzzReadFile(path);
    if (!loaded) {
        FUZZ_CHECK(written == original);
        return 0;
    }
    std::string expected;
    for (const std::string& line : image) expected += line + "\r\n";
    FUZZ_CHECK(written == expected);
    FUZZ_CHECK(SplitIniLines(written) == image);
    return 0;
}
