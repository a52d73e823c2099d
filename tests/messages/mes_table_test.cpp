// The message catalog: the given texts, the range test, the suffix, both languages, and
// bounded copies into its slots.
#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include "messages/MesTable.h"
#include "messages/bounded_copy.h"
#include "support/test_env.h"

namespace {

bool IsValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
        } else {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace

TEST(MesTable, GivenTextsRangeAndSuffix) {
    const char* const given[] = {
        "正常終了",
        "COMのセットアップに失敗しました。",
        "QVX本体との通信が失敗しました。",
        "QVX-I/Oが接続されていません。",
        "QVX-I/O 初期化処理失敗1",
        "QVX-I/O 初期化処理失敗2",
        "QVX-I/O IO出力失敗",
        "QVX-I/O IO入力確認失敗",
        "QVX-I/O IO出力失敗2",
        "QVX-D/Aが接続されていません。",
        "QVX-D/A 初期化処理失敗1",
        "QVX-D/A 初期化処理失敗2",
        "QVX-D/A 出力指示失敗",
        "QVX-D/A 出力指示失敗2",
        "QVX-A/Dが接続されていません。",
        "QVX-A/D 入力確認に失敗",
    };
    for (int n = 0; n < 16; ++n) EXPECT_EQ(GetMesText(n), given[n]) << n;
    EXPECT_EQ(MesTable().language, 0);

    EXPECT_EQ(GetMesText(75), "予備075");
    EXPECT_EQ(GetMesText(201), "予備201");
    EXPECT_EQ(GetMesText(202), "");
    EXPECT_EQ(GetMesText(-1), "");
    EXPECT_EQ(GetMesText(INT_MIN), "");
    EXPECT_EQ(GetMesText(INT_MAX), "");

    EXPECT_EQ(GetMesText(1, " COM[3]"), "COMのセットアップに失敗しました。 COM[3]");
    EXPECT_EQ(GetMesText(202, "tail"), "");
    EXPECT_EQ(GetMesText(-1, "tail"), "");
}

TEST(MesTable, EveryEntryInBothLanguagesFitsItsSlot) {
    clsMesTable english;
    english.language = 1;
    EXPECT_EQ(english.GetText(0, ""), "Normal End");
    EXPECT_EQ(english.GetText(75, "!"), "Reserve075!");
    EXPECT_EQ(english.GetText(201, ""), "Reserve201");
    EXPECT_EQ(english.GetText(202, "x"), "");

    clsMesTable japanese;
    for (int n = 0; n < clsMesTable::kCount; ++n) {
        english.language = 1;
        for (const clsMesTable* table : {&japanese, &english}) {
            const std::string text = table->GetText(n, "");
            EXPECT_FALSE(text.empty()) << n;
            EXPECT_LT(text.size(), static_cast<size_t>(clsMesTable::kSlotBytes)) << n;
            EXPECT_TRUE(IsValidUtf8(text)) << n;
        }
        EXPECT_NE(japanese.GetText(n, ""), english.GetText(n, "")) << n;
    }

    // A language index out of range reads Japanese rather than past the block.
    english.language = 7;
    EXPECT_EQ(english.GetText(201, ""), "予備201");
}

TEST(MesTable, LookupsFromSeveralThreadsAgree) {
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &mismatches] {
            for (int i = 0; i < 2000; ++i) {
                if (GetMesText(i % 16) != MesTable().GetText(i % 16, "")) ++mismatches[t];
                if (!GetMesText(202 + i).empty()) ++mismatches[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
}

TEST(BoundedCopy, CutsOnACharacterBoundary) {
    char slot[256];
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "あ";                         // three bytes each
    EXPECT_EQ(CopyUtf8Bounded(slot, sizeof slot, kana.c_str()), 255u);  // 85 whole characters
    EXPECT_EQ(std::string(slot), kana.substr(0, 255));

    std::string mixed = std::string(254, 'a') + "あ";  // the character would straddle the end
    EXPECT_EQ(CopyUtf8Bounded(slot, sizeof slot, mixed.c_str()), 254u);
    EXPECT_EQ(std::string(slot), std::string(254, 'a'));

    const std::string exact(255, 'b');
    EXPECT_EQ(CopyUtf8Bounded(slot, sizeof slot, exact.c_str()), 255u);
    EXPECT_EQ(std::string(slot), exact);

    slot[0] = 'z';
    EXPECT_EQ(CopyUtf8Bounded(slot, 0, "abc"), 0u);
    EXPECT_EQ(slot[0], 'z');
    EXPECT_EQ(CopyUtf8Bounded(slot, 1, "abc"), 0u);
    EXPECT_EQ(slot[0], '\0');
}
