// The numbered bilingual message catalog. Message numbers 1 to 15 are also the error codes
// that panels publish to the launcher.
#pragma once

#include <cstdint>
#include <string>

class clsMesTable {
  public:
    static constexpr int kCount = 202;
    static constexpr int kLanguages = 2;
    static constexpr int kSlotBytes = 256;

    clsMesTable();
    ~clsMesTable();
    clsMesTable(const clsMesTable&) = delete;
    clsMesTable& operator=(const clsMesTable&) = delete;

    // The text of number in the current language followed by suffix, or "" when number is
    // outside 0..201 (then the suffix is dropped too).
    std::string GetText(int32_t number, const std::string& suffix) const;

    int32_t language = 0;  // 0 Japanese, 1 English
  private:
    char* block_ = nullptr;
};

// The process-wide catalog, complete before any window opens and safe to read from any thread.
clsMesTable& MesTable();

std::string GetMesText(int32_t number, const std::string& suffix = std::string());
