// Which slots a card lists, which it reports as faulty and which it passes over in silence.

#include <gtest/gtest.h>

#include "cfcard/cf_card.h"
#include "support/card_image.h"

namespace vardo::testing {
namespace {

struct SlotCase {
    const char* what;
    std::function<void(BackupLayout&, CardImage&)> change;
    BackupCheck expected;
};

TEST(CardCatalogue, EachSlotIsListedFaultyOrSkipped) {
    const std::uint64_t sig = card::kSignature;
    const SlotCase cases[] = {
        {"good", [](BackupLayout&, CardImage&) {}, BackupCheck::Ok},
        {"no signature", [](BackupLayout& b, CardImage&) { b.signature = false; },
         BackupCheck::NoSignature},
        {"unknown model", [](BackupLayout& b, CardImage&) { b.model = "ZT880"; },
         BackupCheck::UnknownModel},
        {"code past its NUL",
         [](BackupLayout& b, CardImage&) { b.model = std::string("ZT33\0", 5); },
         BackupCheck::UnknownModel},
        {"month 13", [](BackupLayout& b, CardImage&) { b.stamp[1] = 13; }, BackupCheck::Faulty},
        {"year byte 100", [](BackupLayout& b, CardImage&) { b.stamp[0] = 100; },
         BackupCheck::Faulty},
        {"interval code 9", [](BackupLayout& b, CardImage&) { b.intervalCode = 9; },
         BackupCheck::Faulty},
        {"no channels", [](BackupLayout& b, CardImage&) { b.channelCount = 0; },
         BackupCheck::Faulty},
        {"13 channels", [](BackupLayout& b, CardImage&) { b.channelCount = 13; },
         BackupCheck::Faulty},
        {"9 rings of 131072 pass the signature",
         [](BackupLayout& b, CardImage&) { b.channelCount = 9; }, BackupCheck::Faulty},
        {"newest slot at the capacity", [](BackupLayout& b, CardImage&) { b.newestSlot = 131072; },
         BackupCheck::Faulty},
        {"signature unreadable",
         [sig](BackupLayout& b, CardImage& c) { c.MakeUnreadable(card::SlotBase(b.slot) + sig); },
         BackupCheck::Unreadable},
        {"header B unreadable",
         [](BackupLayout& b, CardImage& c) {
             c.MakeUnreadable(card::SlotBase(b.slot) + card::kHeaderB);
         },
         BackupCheck::Unreadable},
    };
    for (const SlotCase& c : cases) {
        SCOPED_TRACE(c.what);
        CardImage image;
        BackupLayout b;
        b.slot = 3;
        b.data = false;
        c.change(b, image);
        image.Add(b);
        CardBackup found;
        EXPECT_EQ(CheckBackup(image, 3, found), c.expected);
        const Catalogue catalogue = ScanCard(image);
        EXPECT_TRUE(catalogue.readable);
        const bool shown = c.expected == BackupCheck::Ok || c.expected == BackupCheck::Faulty;
        ASSERT_EQ(catalogue.entries.size(), shown ? 1u : 0u);
        if (!shown) continue;
        EXPECT_EQ(catalogue.entries[0].check, c.expected);
        EXPECT_EQ(catalogue.entries[0].backup.slot, 3);
    }
}

TEST(CardCatalogue, RowsCarryTheirSlotsInOrderWithTheHeaderFields) {
    CardImage image;
    const int slots[] = {0, 1, 5, 21, 22, 200, 255};
    for (int s : slots) {
        BackupLayout b;
        b.slot = s;
        b.data = false;
        b.address = s % 100;
        b.model = s % 2 ? "ZT772" : "ZT110";
        b.channelCount = s % 2 ? 12 : 2;
        b.intervalCode = s % 9;
        image.Add(b);
    }
    const Catalogue catalogue = ScanCard(image);
    ASSERT_EQ(catalogue.entries.size(), std::size(slots));
    for (std::size_t i = 0; i < std::size(slots); ++i) {
        const CardBackup& b = catalogue.entries[i].backup;
        EXPECT_EQ(b.slot, slots[i]);
        EXPECT_EQ(b.address, slots[i] % 100);
        EXPECT_EQ(b.modelIndex, slots[i] % 2 ? 6 : 0);  // ZT772 is found as its first row
        EXPECT_EQ(b.newestTime, MakeLocalTime(2026, 3, 4, 12, 0, 0));
        const VTime interval = IntervalTable[slots[i] % 9];
        EXPECT_EQ(b.newestTime - b.oldestTime, interval * (b.capacity - 1));
    }
}

TEST(CardCatalogue, AMediumWithoutOneReadableSignatureIsNoCard) {
    // Images that end before the first signature sector, and one whose every signature is bad.
    for (std::uint64_t sectors : {0ull, 1ull, 2528ull}) {
        CardImage image(sectors);
        EXPECT_FALSE(ScanCard(image).readable) << sectors;
    }
    CardImage bad;
    for (int s = 0; s < card::kSlotCount; ++s)
        bad.MakeUnreadable(card::SlotBase(s) + card::kSignature);
    EXPECT_FALSE(ScanCard(bad).readable);
    CardImage oneSlot(2529);
    EXPECT_TRUE(ScanCard(oneSlot).readable);
    EXPECT_TRUE(ScanCard(oneSlot).entries.empty());
}

TEST(CardCatalogue, TheScanReadsThreeSectorsPerBackupAtMost) {
    CardImage image;
    for (int s = 0; s < card::kSlotCount; ++s) {
        BackupLayout b;
        b.slot = s;
        b.data = false;
        image.Add(b);
    }
    EXPECT_EQ(ScanCard(image).entries.size(), 256u);
    EXPECT_EQ(image.reads, 3 * 256);
}

}  // namespace
}  // namespace vardo::testing
