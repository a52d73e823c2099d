// The buffered ini writer: random file bytes, then a few random SetLine edits, then the flush
// when the object goes.
//
// Properties: each accepted edit changes the line image in one place only: it takes out at most
// one line, and only one that holds the edit's key as the reader sees it (any letter case,
// blanks around it), and puts in the key line and, for a new section, its header. Every other
// line survives byte for byte, in order, and the file written back is exactly the image, every
// line ending in CR LF. A refused edit changes nothing. After the flush the reader reads the
// last number written under each section and key.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "platform/profile_file.h"
#include "settings/iniacs.h"

namespace {

// An edit that could not be written as lines that read back as its section and key.
bool Unwritable(const std::string& section, const std::string& key, const std::string& text) {
    const std::string sectionName = TrimIniBlanks(section);
    const std::string keyName = TrimIniBlanks(key);
    return sectionName.empty() || keyName.empty() ||
           (section + key + text).find_first_of("\r\n") != std::string::npos ||
           sectionName.find(']') != std::string::npos || keyName.find('=') != std::string::npos ||
           keyName.front() == '[' || keyName.front() == ';';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string original = in.ConsumeRandomLengthString(2048);
    const std::string path = FuzzScratchDir() + "buffered.ini";
    FuzzWriteFile(path, original);

    std::vector<std::string> image = SplitIniLines(original);
    bool loaded = false;
    // The last number (or none, for a text) written under each section and key, by name as
    // the reader compares names.
    std::map<std::pair<std::string, std::string>, std::optional<int>> lastWritten;
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> asWritten;
    {
        iniacs ini;
        ini.iniPath = path;
        ini.buffered = 1;
        const int edits = in.ConsumeIntegralInRange(1, 4);
        for (int e = 0; e < edits && in.remaining_bytes() > 0; ++e) {
            const std::string section = in.ConsumeRandomLengthString(16);
            const std::string key = in.ConsumeRandomLengthString(16);
            const bool number = in.ConsumeBool();
            const int numberValue = in.ConsumeIntegral<int>();
            const std::string text =
                number ? std::to_string(numberValue) : in.ConsumeRandomLengthString(16);
            const int result = ini.SetLine(section, key, text);
            if (result == 0) {
                // Only edits that cannot be written as such lines are refused (the file is ours).
                FUZZ_CHECK(Unwritable(section, key, text));
                if (loaded) FUZZ_CHECK(ini.lines == image);
                continue;
            }
            FUZZ_CHECK(result == 1);
            FUZZ_CHECK(!Unwritable(section, key, text));
            loaded = true;
            const std::string keyName = TrimIniBlanks(key);
            const std::string sectionName = TrimIniBlanks(section);
            const auto holdsKey = [&keyName](const std::string& line) {
                return HoldsIniKey(line, keyName);
            };
            FUZZ_CHECK(IsLocalEdit(image, ini.lines, holdsKey,
                                   {keyName + "=" + text, "[" + sectionName + "]"}, 2));
            image = ini.lines;
            const auto name = std::make_pair(LowerIniName(sectionName), LowerIniName(keyName));
            lastWritten[name] = number ? std::optional<int>(numberValue) : std::nullopt;
            asWritten[name] = {section, key};
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
    for (const auto& [name, value] : lastWritten) {
        if (!value) continue;
        const auto& [section, key] = asWritten[name];
        const int def = *value == 7 ? 8 : 7;
        FUZZ_CHECK(GetPrivateProfileInt(section, key, def, path) == *value);
    }
    return 0;
}
