// The message catalog: 202 numbers, Japanese and English, in one block of 256-byte slots.
#include "messages/MesTable.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "messages/bounded_copy.h"
#include "messages/mes_texts.h"

namespace {

constexpr size_t kBlockBytes =
    static_cast<size_t>(clsMesTable::kCount) * clsMesTable::kLanguages * clsMesTable::kSlotBytes;

char* Slot(char* block, int number, int language) {
    return block +
           (static_cast<size_t>(number) * clsMesTable::kLanguages + static_cast<size_t>(language)) *
               clsMesTable::kSlotBytes;
}

}  // namespace

clsMesTable::clsMesTable() {
    language = 0;
    block_ = new (std::nothrow) char[kBlockBytes];
    if (block_ == nullptr) return;  // an empty catalog: every lookup gives ""
    std::memset(block_, 0, kBlockBytes);
    for (int n = 0; n < kMesLiteralCount; ++n) {
        CopyUtf8Bounded(Slot(block_, n, 0), kSlotBytes, kMesTexts[n].japanese);
        CopyUtf8Bounded(Slot(block_, n, 1), kSlotBytes, kMesTexts[n].english);
    }
    for (int n = kMesFirstReserve; n < kCount; ++n) {
        char text[32];
        std::snprintf(text, sizeof text, "予備%03d", n);
        CopyUtf8Bounded(Slot(block_, n, 0), kSlotBytes, text);
        std::snprintf(text, sizeof text, "Reserve%03d", n);
        CopyUtf8Bounded(Slot(block_, n, 1), kSlotBytes, text);
    }
}

clsMesTable::~clsMesTable() {
    delete[] block_;
}

std::string clsMesTable::GetText(int32_t number, const std::string& suffix) const {
    if (block_ == nullptr || static_cast<uint32_t>(number) > static_cast<uint32_t>(kCount - 1)) {
        return std::string();
    }
    // A language index other than English reads Japanese, never past the block.
    const int lang = language == 1 ? 1 : 0;
    std::string text(Slot(block_, number, lang));
    text += suffix;
    return text;
}

clsMesTable& MesTable() {
    // Built on first use (thread-safe initialisation) and never changed afterwards, so
    // lookups from any thread need no lock. Start-up touches it before any window opens.
    static clsMesTable table;
    return table;
}

// Builds the catalog during static initialisation, before main and before any other thread.
static clsMesTable& gCatalogBuiltBeforeMain = MesTable();

std::string GetMesText(int32_t number, const std::string& suffix) {
    return MesTable().GetText(number, suffix);
}
