// Edit masks: positions, the text an editor hands over, and placing a text for display.
#include "platform/text/EditMask.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"

using namespace platform;

TEST(EditMask, MonthMaskPositions) {
    const EditMask m("!99/0000;1;_");
    ASSERT_EQ(m.Size(), 7u);
    EXPECT_TRUE(m.LeadingBlanks());
    EXPECT_TRUE(m.KeepLiterals());
    EXPECT_EQ(m.BlankChar(), U'_');
    EXPECT_FALSE(m.Positions()[0].Required);
    EXPECT_TRUE(m.Positions()[2].Literal);
    EXPECT_EQ(m.Positions()[2].LiteralChar, U'/');
    EXPECT_TRUE(m.Positions()[3].Required);
    EXPECT_EQ(m.EmptyDisplay(), "__/____");
    EXPECT_TRUE(m.Accepts(0, U'7'));
    EXPECT_FALSE(m.Accepts(0, U'a'));
    EXPECT_FALSE(m.Accepts(2, U'/'));
}

TEST(EditMask, MonthMaskTextHandedOver) {
    const EditMask m("!99/0000;1;_");
    EXPECT_EQ(m.TextFromDisplay("_3/2024"), " 3/2024");
    EXPECT_EQ(m.TextFromDisplay("3_/2024"), " 3/2024");
    EXPECT_EQ(m.TextFromDisplay("03/2024"), "03/2024");
    EXPECT_EQ(m.TextFromDisplay("__/____"), "");
    EXPECT_EQ(m.TextFromDisplay("12/20__"), "12/20  ");
    EXPECT_FALSE(m.IsComplete("12/20__"));
    EXPECT_TRUE(m.IsComplete("_3/2024"));
}

TEST(EditMask, CompanyCodeWithoutLiteralsTrimsTrailingBlanks) {
    const EditMask m("99;0; ");
    EXPECT_FALSE(m.KeepLiterals());
    EXPECT_EQ(m.BlankChar(), U' ');
    EXPECT_EQ(m.TextFromDisplay("5 "), "5");
    EXPECT_EQ(m.TextFromDisplay(" 5"), "5");
    EXPECT_EQ(m.TextFromDisplay("12"), "12");
    EXPECT_EQ(m.TextFromDisplay("  "), "");
    EXPECT_EQ(m.DisplayFromText("5"), "5 ");
    EXPECT_EQ(m.DisplayFromText("12"), "12");
}

TEST(EditMask, LedgerAccountPictureDropsOrKeepsItsDots) {
    const EditMask kept("0.0.0.00.0000;1;_");  // the ledger-account picture
    EXPECT_EQ(kept.EmptyDisplay(), "_._._.__.____");
    EXPECT_EQ(kept.TextFromDisplay("1.1.2.01.0001"), "1.1.2.01.0001");
    EXPECT_EQ(kept.DisplayFromText("1.1.2.01.0001"), "1.1.2.01.0001");
    const EditMask dropped("0.0.0.00.0000;0;_");
    EXPECT_EQ(dropped.TextFromDisplay("1.1.2.01.0001"), "112010001");
    EXPECT_EQ(dropped.DisplayFromText("112010001"), "1.1.2.01.0001");
}

TEST(EditMask, PlacesATextIntoTheMask) {
    const EditMask m("!99/0000;1;_");
    EXPECT_EQ(m.DisplayFromText("03/2024"), "03/2024");
    EXPECT_EQ(m.DisplayFromText(" 3/2024"), "_3/2024");
    EXPECT_EQ(m.DisplayFromText("3/2024"), "_3/2024");
    EXPECT_EQ(m.DisplayFromText(""), "__/____");
    EXPECT_EQ(m.DisplayFromText("ab/cdef"), "__/____");
}

TEST(EditMask, CaseAndCharacterClasses) {
    const EditMask m(">LL<ll;1;_");
    EXPECT_EQ(m.TextFromDisplay("abCD"), "ABcd");
    EXPECT_TRUE(m.Accepts(0, U'ç'));
    EXPECT_FALSE(m.Accepts(0, U'1'));
    const EditMask sign("#99;1;_");
    EXPECT_TRUE(sign.Accepts(0, U'-'));
    EXPECT_EQ(EditMask("\\(99\\);1;_").EmptyDisplay(), "(__)");
}

TEST(EditMask, QtInputMask) {
    EXPECT_EQ(EditMask("!99/0000;1;_").QtInputMask(), "00/9999;_");
    EXPECT_EQ(EditMask("99;0; ").QtInputMask(), "00");
    EXPECT_EQ(EditMask(">LL;1;_").QtInputMask(), ">AA;_");
}

TEST(EditMask, MalformedMasksAreRefused) {
    EXPECT_THROW(EditMask("99\\"), Error);
    EXPECT_THROW(EditMask("//;1;_"), Error);
    EXPECT_TRUE(EditMask("").Empty());
}
