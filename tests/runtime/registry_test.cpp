// Descriptors filed by path name, in either construction order; the grammar
// dump.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shared/XML/XML_routines.h"

using namespace XML_routines;

namespace {

std::vector<std::string> Tags(const Info_base& root) {
    std::vector<std::string> tags;
    for (const Info_base* sub : root.Subs()) tags.push_back(sub->Tag());
    return tags;
}

}  // namespace

TEST(Registry, FilingDoesNotDependOnConstructionOrder) {
    auto first = std::make_unique<Info_base>("/Reg_a/First");
    auto second = std::make_unique<Info_base>("/Reg_a/Second");
    auto root = std::make_unique<Info<void>>("/Reg_a");
    auto third = std::make_unique<Info_base>("/Reg_a/Third");
    const Info_base elsewhere("/Reg_other/X"), plain("X"), deep("/Reg_a/X/Y"), same("/Reg_a/First");
    EXPECT_STREQ(third->Tag(), "Third");
    EXPECT_EQ(root->Find("First"), first.get());  // the first filing of a tag wins
    EXPECT_EQ(root->Find(To_xml("Third")), third.get());
    root->Register_sub(same);
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"First", "Second", "Third"}));

    second.reset();  // a child leaves its root when destroyed
    first.reset();   // and a namesake waiting for the tag takes it
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"Third", "First"}));
    EXPECT_EQ(root->Find("First"), &same);
    // A root hands its children back: a new root of the name adopts them.
    root.reset();
    const Info<void> again("/Reg_a");
    EXPECT_EQ(again.Find("Third"), third.get());
    third.reset();
    EXPECT_EQ(Tags(again), (std::vector<std::string>{"First"}));
}

TEST(Registry, DumpElementsInFilingOrder) {
    const Info<void> root("/Reg_d");
    const Info_base b("/Reg_d/B"), a("/Reg_d/A");
    testing::internal::CaptureStdout();
    root.Dump_elements(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "  </Reg_d >\n    </Reg_d/B >\n    </Reg_d/A >\n");
}
