// The owner tree (freeing, cycles, names) and change notifications.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/ui/Control.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Panel.h"

namespace platform {
namespace {

// Appends its name to a shared trace when freed.
class Tracked : public Component {
  public:
    explicit Tracked(std::string* trace) : trace_(trace) {}
    ~Tracked() override { *trace_ += Name() + ";"; }

  private:
    std::string* trace_;
};

TEST(OwnerTree, OwnerFreesWhatItOwnsNewestFirst) {
    std::string trace;
    {
        Component root;
        auto* a = root.Create<Tracked>(&trace);
        a->SetName("a");
        auto* a1 = a->Create<Tracked>(&trace);
        a1->SetName("a1");
        root.Create<Tracked>(&trace)->SetName("b");
        EXPECT_EQ(a, root.FindComponent("a"));
        EXPECT_EQ(nullptr, root.FindComponent("a1"));
        EXPECT_EQ(a, a1->Owner());
    }
    EXPECT_EQ("b;a;a1;", trace);
}

TEST(OwnerTree, RemoveHandsOwnershipBack) {
    std::string trace;
    Component root;
    auto* a = root.Create<Tracked>(&trace);
    a->SetName("a");
    std::unique_ptr<Component> taken = root.RemoveComponent(a);
    EXPECT_EQ(0u, root.ComponentCount());
    EXPECT_EQ(nullptr, taken->Owner());
    taken.reset();
    EXPECT_EQ("a;", trace);
}

TEST(OwnerTree, CycleAndDoubleOwnershipRaiseAndLeaveTheComponentWithTheCaller) {
    auto root = std::make_unique<Component>();
    Component* child = root->Create<Component>();
    EXPECT_THROW(child->InsertComponent(std::move(root)), Error);
    ASSERT_NE(nullptr, root);  // still ours, and still whole
    EXPECT_EQ(1u, root->ComponentCount());

    auto other = std::make_unique<Component>();
    std::unique_ptr<Component> owned = root->RemoveComponent(child);
    other->InsertComponent(std::move(owned));
    EXPECT_THROW(other->InsertComponent(std::unique_ptr<Component>()), Error);
}

TEST(OwnerTree, DuplicateNamesAmongSiblingsRaise) {
    Component root;
    root.Create<Component>()->SetName("x");
    Component* y = root.Create<Component>();
    EXPECT_THROW(y->SetName("x"), Error);
    EXPECT_EQ("", y->Name());
}

TEST(ParentTree, CycleRaisesAndFreeingDetaches) {
    Component root;
    auto* outer = root.Create<Panel>();
    auto* inner = root.Create<Panel>();
    inner->SetParent(outer);
    EXPECT_THROW(outer->SetParent(inner), Error);
    EXPECT_THROW(outer->SetParent(outer), Error);

    auto* edit = root.Create<Edit>();
    edit->SetParent(inner);
    ASSERT_EQ(1u, inner->Controls().size());
    root.RemoveComponent(edit);  // freed: the parent forgets it
    EXPECT_TRUE(inner->Controls().empty());
    root.RemoveComponent(outer);  // freed before its child: the child is orphaned, not dangling
    EXPECT_EQ(nullptr, inner->Parent());
}

TEST(Notifications, EveryVisiblePropertyChangeIsHeardOnce) {
    Component root;
    auto* edit = root.Create<Edit>();
    std::vector<Property> heard;
    const int token = edit->Subscribe([&](Component& c, Property p) {
        EXPECT_EQ(edit, &c);
        heard.push_back(p);
    });
    edit->SetEnabled(false);
    edit->SetEnabled(false);  // no change, no notification
    edit->SetVisible(false);
    edit->SetCaption("c");
    edit->SetHint("h");
    edit->SetHelpContext(7);
    edit->SetFontBold(true);
    edit->SetBounds(1, 2, 3, 4);
    edit->SetAlign(Align::Client);
    edit->SetTabOrder(5);
    edit->SetTabStop(false);
    edit->SetText("t");
    edit->SetMaxLength(2);
    edit->Unsubscribe(token);
    edit->SetText("u");
    const std::vector<Property> expected{
        Property::Enabled,     Property::Visible,  Property::Caption, Property::Hint,
        Property::HelpContext, Property::FontBold, Property::Bounds,  Property::Align,
        Property::TabOrder,    Property::TabStop,  Property::Text,    Property::MaxLength};
    EXPECT_EQ(expected, heard);
}

}  // namespace
}  // namespace platform
