// The telnet and RFC 2217 codec alone, fed byte streams as a server sends them.
#include "device/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>

using namespace telnet;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// Decodes stream in pieces of `step` bytes (the last may be shorter); the data bytes.
std::string DecodeInSteps(TelnetCodec& codec, const std::string& stream, size_t step) {
    std::string data;
    for (size_t at = 0; at < stream.size(); at += step) {
        const std::string piece = stream.substr(at, step);
        uint8_t out[64];
        const size_t n =
            codec.Decode(reinterpret_cast<const uint8_t*>(piece.data()), piece.size(), out);
        data.append(reinterpret_cast<const char*>(out), n);
    }
    return data;
}

// What ser2net 4.3 sends a client that asked as TelnetCodec::Start does (captured on this
// machine), then its answers to the line settings (SET-BAUDRATE 19200 last), a NOTIFY and
// data with a 255 in it.
const std::string kSer2netStream =
    Bytes({kIac, kWill, 3,    kIac, kDo,  3,     kIac, kWill, 1,   kIac, kDont,
           1,    kIac,  kDo,  0,    kIac, kWill, 0,    kIac,  kDo, 44,   kIac,
           kDo,  3,     kIac, kSb,  44,   107,   0,    kIac,  kSe}) +
    Bytes({kIac, kSb, 44,   102, 8,  kIac, kSe, kIac, kSb, 44, 103,  1,
           kIac, kSe, kIac, kSb, 44, 101,  0,   0,    75,  0,  kIac, kSe}) +
    "?\n" + Bytes({kIac, kIac}) + "x" + Bytes({kIac, kSb, 44, 106, 0x60, kIac, kSe}) + "I5A\n";

}  // namespace

TEST(TelnetCodecTest, Ser2netsNegotiationInAnySplitGivesTheSameDataAnswersAndState) {
    for (size_t step = 1; step <= kSer2netStream.size(); ++step) {
        SCOPED_TRACE("pieces of " + std::to_string(step));
        TelnetCodec codec;
        codec.Start();
        EXPECT_EQ(DecodeInSteps(codec, kSer2netStream, step), "?\n\xffxI5A\n");
        // Everything it asked for was asked for here too, except ECHO: refused once.
        EXPECT_EQ(codec.TakeAnswers(), Bytes({kIac, kDont, 1}));
        EXPECT_EQ(codec.comPort(), TelnetCodec::ComPort::kAgreed);
        EXPECT_TRUE(codec.binaryIn());
        EXPECT_TRUE(codec.binaryOut());
        EXPECT_EQ(codec.AnswerCount(kSetBaudRate), 1u);
        EXPECT_EQ(codec.AnswerValue(kSetBaudRate), 19200u);
        EXPECT_EQ(codec.AnswerValue(kSetDataSize), 8u);
        EXPECT_EQ(codec.AnswerCount(kSetControl), 0u);
        EXPECT_EQ(codec.lineState(), 0x60);
    }
}

TEST(TelnetCodecTest, EscapesAndUnescapesIacBothWays) {
    TelnetCodec codec;
    std::string out;
    const uint8_t data[] = {'P', 0xFF, 0x00, 0xFF, '\n'};
    codec.EncodeData(data, sizeof data, &out);
    // Outside binary mode a CR also takes a NUL; "\n" and NUL stay as they are.
    const uint8_t cr[] = {'\r'};
    codec.EncodeData(cr, 1, &out);
    EXPECT_EQ(out, Bytes({'P', kIac, kIac, 0, kIac, kIac, '\n', '\r', 0}));

    // A baud rate with 255 in it travels doubled, and its answer decodes back.
    EXPECT_EQ(TelnetCodec::SetBaudRateCommand(0x0001FFFF),
              Bytes({kIac, kSb, 44, 1, 0, 1, kIac, kIac, kIac, kIac, kIac, kSe}));
    const std::string answer = Bytes({kIac, kSb, 44, 101, 0, 1, kIac, kIac, kIac, kIac, kIac, kSe});
    EXPECT_EQ(DecodeInSteps(codec, answer, 1), "");
    EXPECT_EQ(codec.AnswerValue(kSetBaudRate), 0x0001FFFFu);

    // Outside binary mode CR NUL is a CR; once the server will BINARY, a NUL is data.
    EXPECT_EQ(DecodeInSteps(codec, std::string("a\r\0b", 4), 1), "a\rb");
    EXPECT_EQ(DecodeInSteps(codec, Bytes({kIac, kWill, 0}) + std::string("\r\0", 2), 1),
              std::string("\r\0", 2));
}

TEST(TelnetCodecTest, RefusesUnknownOptionsOnceAndAnswersNothingTwice) {
    TelnetCodec codec;
    codec.Start();
    const std::string requests =
        Bytes({kIac, kDo, 24, kIac, kDo, 24, kIac, kWill, 1, kIac, kWill, 1, kIac, kWont, 1,
               kIac, kDo, 0,  kIac, kDo, 0,  kIac, kWill, 3, kIac, kDont, 5});
    EXPECT_EQ(DecodeInSteps(codec, requests, 2), "");
    EXPECT_EQ(codec.TakeAnswers(), Bytes({kIac, kWont, 24, kIac, kDont, 1}));
    EXPECT_FALSE(codec.HasAnswers());

    // A server that turns binary off is answered; one that offers it again is agreed with.
    EXPECT_EQ(DecodeInSteps(codec, Bytes({kIac, kDont, 0, kIac, kDo, 0}), 1), "");
    EXPECT_EQ(codec.TakeAnswers(), Bytes({kIac, kWont, 0, kIac, kWill, 0}));

    // No COM-PORT-OPTION: refused.
    EXPECT_EQ(codec.comPort(), TelnetCodec::ComPort::kAsked);
    DecodeInSteps(codec, Bytes({kIac, kDont, 44}), 1);
    EXPECT_EQ(codec.comPort(), TelnetCodec::ComPort::kRefused);
    EXPECT_EQ(codec.TakeAnswers(), "");
}

TEST(TelnetCodecTest, CommandsAndSubnegotiationsNeverReachTheData) {
    TelnetCodec codec;
    codec.Start();
    // Other commands, a sub-negotiation of another option, one too long to keep, and one cut
    // short by a command: none of it is data, and the answer after them still counts.
    std::string stream = "a" + Bytes({kIac, 241, kIac, 249, kIac, kSb, 24, 1, 2, kIac, kSe}) + "b";
    stream += Bytes({kIac, kSb, 44, 112});
    stream += std::string(100, 'z');
    stream += Bytes({kIac, kSe});
    stream += Bytes({kIac, kSb, 44, 101, 1, kIac, kWill, 1}) + "c";
    stream += Bytes({kIac, kSb, 44, 112, 1, kIac, kSe}) + "d";
    EXPECT_EQ(DecodeInSteps(codec, stream, 3), "abcd");
    EXPECT_EQ(codec.AnswerCount(kPurgeData), 2u);
    EXPECT_EQ(codec.AnswerValue(kPurgeData), 1u);
    EXPECT_EQ(codec.AnswerCount(kSetBaudRate), 0u);
    EXPECT_EQ(codec.TakeAnswers(), Bytes({kIac, kDont, 1}));
}
