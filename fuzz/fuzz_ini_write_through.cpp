// The write-through profile writer: one random write into random file bytes.
//
// Properties: a write changes the file in one place only: it takes out at most the one line
// that holds the key and puts in the key line and, for a new section, its header; every other
// line survives byte for byte, in order, and so does a byte-order mark. A refused write leaves
// the file as it was. After a write of a number, the reader reads that number back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/profile_file.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

// The lines of the file without a leading byte-order mark (which is no part of a line to the
// profile calls).
std::vector<std::string> LinesAfterBom(const std::string& text) {
    const bool bom = text.compare(0, kBom.size(), kBom) == 0;
    return SplitIniLines(bom ? text.substr(kBom.size()) : text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    const bool number = in.ConsumeBool();
    const int numberValue = in.ConsumeIntegral<int>();
    const std::string value =
        number ? std::to_string(numberValue) : in.ConsumeRandomLengthString(16);
    const std::string original = in.ConsumeRemainingBytesAsString();

    const std::string path = FuzzScratchDir() + "write_through.ini";
    FuzzWriteFile(path, original);
    const bool ok = WritePrivateProfileString(section, key, value, path);
    const std::string written = FuzzReadFile(path);
    if (!ok) {
        FUZZ_CHECK(written == original);
        return 0;
    }
    const std::string keyName = TrimIniBlanks(key);
    const std::string sectionName = TrimIniBlanks(section);
    FUZZ_CHECK(!keyName.empty() && !sectionName.empty());
    FUZZ_CHECK((section + key + value).find_first_of("\r\n") == std::string::npos);

    // The line taken out is the key's line as the reader sees it.
    const auto holdsKey = [&keyName](const std::string& line) {
        return HoldsIniKey(line, keyName);
    };
    FUZZ_CHECK(IsLocalEdit(LinesAfterBom(original), LinesAfterBom(written), holdsKey,
                           {keyName + "=" + value, "[" + sectionName + "]"}, 2));
    FUZZ_CHECK((original.compare(0, kBom.size(), kBom) == 0) ==
               (written.compare(0, kBom.size(), kBom) == 0));

    if (number) {
        const int def = numberValue == 7 ? 8 : 7;
        FUZZ_CHECK(GetPrivateProfileInt(section, key, def, path) == numberValue);
    }
    return 0;
}
