// The literal texts of the message catalog, Japanese and English per number.
#pragma once

// Numbers 0 to 74 have texts of their own; 75 and up are reserve entries.
constexpr int kMesLiteralCount = 75;
constexpr int kMesFirstReserve = kMesLiteralCount;

struct MesTextPair {
    const char* japanese;
    const char* english;
};

// The texts of numbers 0 to kMesLiteralCount - 1, indexed by number.
extern const MesTextPair kMesTexts[kMesLiteralCount];
