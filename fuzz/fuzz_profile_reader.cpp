// The profile reader on random file bytes with a random section and key.
//
// Properties: a key whose name does not occur in the file (in any letter case) reads the
// default; the result does not change when a comment line is put before the first line, nor when
// every CR LF becomes LF; reading twice gives the same value.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/profile_file.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

int Read(const std::string& section, const std::string& key, int def, const std::string& text) {
    const std::string path = FuzzScratchDir() + "reader.ini";
    FuzzWriteFile(path, text);
    return GetPrivateProfileInt(section, key, def, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const int def = in.ConsumeIntegral<int>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    const int value = Read(section, key, def, text);
    FUZZ_CHECK(Read(section, key, def, text) == value);

    const std::string keyName = Lower(TrimBlanks(key));
    if (!keyName.empty() && Lower(text).find(keyName) == std::string::npos) {
        FUZZ_CHECK(value == def);
    }

    // A comment line in front (after a byte-order mark, which belongs to the file's start).
    const std::string bom = "\xEF\xBB\xBF";
    const size_t at = text.compare(0, bom.size(), bom) == 0 ? bom.size() : 0;
    std::string commented = text;
    commented.insert(at, ";comment\n");
    FUZZ_CHECK(Read(section, key, def, commented) == value);

    std::string lf;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lf += text[i];
    }
    FUZZ_CHECK(Read(section, key, def, lf) == value);

    // No file at all reads the default.
    FUZZ_CHECK(GetPrivateProfileInt(section, key, def, FuzzScratchDir() + "missing.ini") == def);
    return 0;
}
