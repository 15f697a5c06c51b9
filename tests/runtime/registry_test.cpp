// Descriptors filed by path name, in either construction order; hooks;
// Read_attribs on a tree node; the grammar dump.
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

TEST(Registry, TagIsTheLastPathComponent) {
    const Info_base a("/Reg_tag/Leaf"), b("Plain"), c("/Reg_tag");
    EXPECT_STREQ(a.Tag(), "Leaf");
    EXPECT_STREQ(b.Tag(), "Plain");
    EXPECT_STREQ(c.Tag(), "Reg_tag");
    EXPECT_STREQ(a.Name(), "/Reg_tag/Leaf");
    EXPECT_EQ(a.Get_instance(*std::make_unique<Input_data>()), nullptr);
}

TEST(Registry, ChildBuiltBeforeItsRoot) {
    auto first = std::make_unique<Info_base>("/Reg_a/First");
    auto second = std::make_unique<Info_base>("/Reg_a/Second");
    auto root = std::make_unique<Info<void>>("/Reg_a");
    auto third = std::make_unique<Info_base>("/Reg_a/Third");
    EXPECT_EQ(root->Find("First"), first.get());
    EXPECT_EQ(root->Find(To_xml("Second")), second.get());
    EXPECT_EQ(root->Find("Third"), third.get());
    EXPECT_EQ(root->Find("Fourth"), nullptr);
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_TRUE(root->Has_subs());

    // A child leaves its root when destroyed.
    second.reset();
    EXPECT_EQ(root->Find("Second"), nullptr);
    EXPECT_EQ(Tags(*root), (std::vector<std::string>{"First", "Third"}));

    // A root hands its children back: a new root of the name adopts them.
    root.reset();
    auto again = std::make_unique<Info<void>>("/Reg_a");
    EXPECT_EQ(again->Find("First"), first.get());
    EXPECT_EQ(again->Find("Third"), third.get());
    first.reset();
    third.reset();
    EXPECT_FALSE(again->Has_subs());
}

TEST(Registry, OtherRootsAndPlainNamesAreNotFiled) {
    const Info<void> root("/Reg_b");
    const Info_base elsewhere("/Reg_other/X"), plain("X"), deep("/Reg_b/X/Y");
    EXPECT_EQ(root.Find("X"), nullptr);
    EXPECT_FALSE(root.Has_subs());
    EXPECT_TRUE(root.Subs().empty());
}

TEST(Registry, FirstFilingOfATagWins) {
    const Info<void> root("/Reg_c");
    auto one = std::make_unique<Info_base>("/Reg_c/Same");
    auto two = std::make_unique<Info_base>("/Reg_c/Same");
    EXPECT_EQ(root.Find("Same"), one.get());
    EXPECT_EQ(root.Subs().size(), 1u);
    // When the winner goes, the namesake waiting for the tag takes it.
    one.reset();
    EXPECT_EQ(root.Find("Same"), two.get());
    two.reset();
    EXPECT_EQ(root.Find("Same"), nullptr);
}

TEST(Registry, ExplicitRegistration) {
    const Info<void> parent("Reg_parent");
    const Info_base sub("Sub"), other("Other");
    parent.Register_sub(sub);
    parent.Register_sub(other);
    parent.Register_sub(sub);
    EXPECT_EQ(parent.Find("Sub"), &sub);
    EXPECT_EQ(Tags(parent), (std::vector<std::string>{"Sub", "Other"}));
    parent.Unregister_sub(sub);
    EXPECT_EQ(parent.Find("Sub"), nullptr);
    EXPECT_EQ(Tags(parent), (std::vector<std::string>{"Other"}));
}

TEST(Registry, DumpElementsInFilingOrder) {
    const Info<void> root("/Reg_d");
    const Info_base b("/Reg_d/B"), a("/Reg_d/A");
    testing::internal::CaptureStdout();
    root.Dump_elements(1);
    indent_printf(2, "%s=%d\n", "x", 5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  </Reg_d >\n"
              "    </Reg_d/B >\n"
              "    </Reg_d/A >\n"
              "    x=5\n");
}

// ---------------------------------------------------------------------------
// Instance_base: hooks and Read_attribs.

namespace {

class Attribs : public Instance_base {
public:
    using Instance_base::Instance_base;
    Instance_base* Get_subinstance(const xmlChar*) const override { return nullptr; }
    bool Attribute(const xmlChar* name, Format::Scanner& scanner) override {
        seen.push_back(std::string(From_xml(name)) + "=" + scanner.Text() + " in <" +
                       (input_.element ? input_.element : "") + ">, " + (input_.attribute ? input_.attribute : ""));
        if (std::string(From_xml(name)) == "bad") return scanner.Error("Bad");
        return true;
    }
    bool Text(Format::Scanner&) override { return true; }
    bool Finalize() override { return true; }
    bool Commit() override { return true; }
    const char* Name() const override { return "Attribs"; }
    std::vector<std::string> seen;
};

class Order_hook : public Finalize_hook {
public:
    Order_hook(std::vector<int>& order, int n) : order_(order), n_(n) {}
    void Hook() override { order_.push_back(n_); }

private:
    std::vector<int>& order_;
    int n_;
};

}  // namespace

TEST(Instance, HooksRunInAttachOrderAndAreOwned) {
    Input_data input;
    Attribs state(input);
    std::vector<int> order;
    for (int i = 1; i <= 3; ++i) (new Order_hook(order, i))->Hook_to(state);
    state.Run_hooks();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(Instance, ReadAttribsOfATreeNode) {
    xmlNode* node = xmlNewNode(nullptr, To_xml("Elem"));
    xmlNewProp(node, To_xml("a"), To_xml("1 &amp; 2"));
    xmlNewProp(node, To_xml("b"), To_xml(""));
    Input_data input;
    input.report_errors = false;
    Attribs state(input);
    EXPECT_TRUE(state.Read_attribs(node));
    EXPECT_EQ(state.seen, (std::vector<std::string>{"a=1 &amp; 2 in <Elem>, a", "b= in <Elem>, b"}));
    EXPECT_EQ(input.element, nullptr);
    EXPECT_EQ(input.attribute, nullptr);

    xmlNewProp(node, To_xml("bad"), To_xml("x"));
    xmlNewProp(node, To_xml("c"), To_xml("3"));
    state.seen.clear();
    EXPECT_FALSE(state.Read_attribs(node));
    EXPECT_EQ(state.seen.size(), 4u);  // a refusal does not stop the others
    EXPECT_EQ(input.Error_count(), 1u);
    xmlFreeNode(node);
}
