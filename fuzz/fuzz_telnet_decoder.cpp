// The telnet and RFC 2217 decoder on random byte streams from a server, cut into random pieces.
// Every piece lies in a heap block of exactly its length, so AddressSanitizer stops any read
// past it.
//
// Properties: a stream decodes to the same data bytes, the same answers and the same state
// however it is cut; never more data bytes than came in; a stream without IAC (and without CR
// while the server is not in binary mode) is all data; the answers are whole three-byte
// negotiations, each option refused at most once per direction; and any data encoded by a
// client in binary mode decodes back to itself at a server-side decoder in binary mode.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device/telnet_codec.h"
#include "fuzz_support.h"

using namespace telnet;

namespace {

struct Outcome {
    std::string data;
    std::string answers;
    TelnetCodec::ComPort comPort;
    uint32_t counts[100];
    uint32_t values[100];
    bool binaryIn, binaryOut;
    uint8_t lineState, modemState;
};

std::string Decode(TelnetCodec& codec, const std::string& piece) {
    std::unique_ptr<uint8_t[]> in(new uint8_t[piece.size()]);
    std::unique_ptr<uint8_t[]> out(new uint8_t[piece.size()]);
    if (!piece.empty()) std::memcpy(in.get(), piece.data(), piece.size());
    const size_t n = codec.Decode(in.get(), piece.size(), out.get());
    FUZZ_CHECK(n <= piece.size());
    return std::string(reinterpret_cast<const char*>(out.get()), n);
}

Outcome Run(const std::string& stream, const std::vector<size_t>& cuts) {
    TelnetCodec codec;
    codec.Start();
    Outcome o{};
    size_t at = 0;
    for (size_t cut : cuts) {
        o.data += Decode(codec, stream.substr(at, cut - at));
        o.answers += codec.TakeAnswers();
        at = cut;
    }
    o.data += Decode(codec, stream.substr(at));
    o.answers += codec.TakeAnswers();
    o.comPort = codec.comPort();
    for (uint8_t c = 0; c < 100; ++c) {
        o.counts[c] = codec.AnswerCount(c);
        o.values[c] = codec.AnswerValue(c);
    }
    o.binaryIn = codec.binaryIn();
    o.binaryOut = codec.binaryOut();
    o.lineState = codec.lineState();
    o.modemState = codec.modemState();
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider fuzz(bytes, size);
    std::vector<size_t> cuts;
    const size_t cutCount = fuzz.ConsumeIntegralInRange<size_t>(0, 16);
    std::vector<size_t> raw;
    for (size_t i = 0; i < cutCount; ++i) raw.push_back(fuzz.ConsumeIntegral<uint16_t>());
    const std::string stream = fuzz.ConsumeRemainingBytesAsString();
    for (size_t r : raw) cuts.push_back(stream.empty() ? 0 : r % (stream.size() + 1));
    std::sort(cuts.begin(), cuts.end());

    const Outcome whole = Run(stream, {});
    const Outcome pieces = Run(stream, cuts);
    FUZZ_CHECK(pieces.data == whole.data);
    FUZZ_CHECK(pieces.answers == whole.answers);
    FUZZ_CHECK(pieces.comPort == whole.comPort);
    FUZZ_CHECK(std::memcmp(pieces.counts, whole.counts, sizeof whole.counts) == 0);
    FUZZ_CHECK(std::memcmp(pieces.values, whole.values, sizeof whole.values) == 0);
    FUZZ_CHECK(pieces.binaryIn == whole.binaryIn && pieces.binaryOut == whole.binaryOut);
    FUZZ_CHECK(pieces.lineState == whole.lineState && pieces.modemState == whole.modemState);

    if (stream.find('\xff') == std::string::npos && stream.find('\r') == std::string::npos) {
        FUZZ_CHECK(whole.data == stream);
    }

    // Whole negotiations only; a refusal of an option is never sent twice.
    FUZZ_CHECK(whole.answers.size() % 3 == 0);
    std::set<std::pair<uint8_t, uint8_t>> refusals;
    for (size_t i = 0; i < whole.answers.size(); i += 3) {
        const auto verb = static_cast<uint8_t>(whole.answers[i + 1]);
        const auto option = static_cast<uint8_t>(whole.answers[i + 2]);
        FUZZ_CHECK(static_cast<uint8_t>(whole.answers[i]) == kIac);
        FUZZ_CHECK(verb >= kWill && verb <= kDont);
        const bool known =
            option == kOptionBinary || option == kOptionSuppressGoAhead || option == kOptionComPort;
        if (!known) FUZZ_CHECK(refusals.insert({verb, option}).second);
    }

    // The stream taken as data: encoded in binary mode, it decodes back to itself.
    TelnetCodec client;
    client.Start();
    Decode(client, std::string("\xff\xfd\x00", 3));  // the server agrees to our BINARY
    std::string encoded;
    client.EncodeData(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), &encoded);
    TelnetCodec receiver;
    receiver.Start();
    Decode(receiver, std::string("\xff\xfb\x00", 3));  // binary from the other side
    FUZZ_CHECK(Decode(receiver, encoded) == stream);
    return 0;
}
