// The profile reader on random file bytes with a random section and key.
//
// Properties: a key whose name does not occur in the file (in any letter case) reads the
// default; the result does not change when a comment line is put before the first line, nor when
// every CR LF becomes LF; reading twice gives the same value. A random value under a plain key
// reads as the rules say: blanks and one pair of double quotes around it dropped, then an
// optional sign and the decimal digits, or the hexadecimal ones after "0x", up to the first other
// character, modulo 2^32 as a signed 32-bit number; an empty value reads the default.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/profile_file.h"

namespace {

// The value text read by the rules above, independently of the reader.
int ReferenceValue(const std::string& raw, int def) {
    std::string v = TrimIniBlanks(raw);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.empty()) return def;
    size_t i = 0;
    bool negative = false;
    if (v[i] == '+' || v[i] == '-') negative = v[i++] == '-';
    uint64_t value = 0;
    if (v.compare(i, 2, "0x") == 0 || v.compare(i, 2, "0X") == 0) {
        for (i += 2; i < v.size() && std::isxdigit(static_cast<unsigned char>(v[i])); ++i) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
            value = (value * 16 + static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10)) &
                    0xFFFFFFFFu;
        }
    } else {
        for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
            value = (value * 10 + static_cast<uint64_t>(v[i] - '0')) & 0xFFFFFFFFu;
        }
    }
    if (negative) value = (0x100000000u - value) & 0xFFFFFFFFu;
    return value >= 0x80000000u ? static_cast<int>(static_cast<int64_t>(value) - 0x100000000)
                                : static_cast<int>(value);
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
    const std::string valueText = in.ConsumeRandomLengthString(24);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const int value = Read(section, key, def, text);
    FUZZ_CHECK(Read(section, key, def, text) == value);

    const std::string keyName = LowerIniName(TrimIniBlanks(key));
    if (!keyName.empty() && LowerIniName(text).find(keyName) == std::string::npos) {
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

    if (valueText.find_first_of("\r\n") == std::string::npos) {
        FUZZ_CHECK(Read("S", "K", def, "[S]\nK=" + valueText + "\n") ==
                   ReferenceValue(valueText, def));
    }

    // No file at all reads the default.
    FUZZ_CHECK(GetPrivateProfileInt(section, key, def, FuzzScratchDir() + "missing.ini") == def);
    return 0;
}
