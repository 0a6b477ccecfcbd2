// MainMenu and MenuItem: a form's menu bar and its entries (nested, with separators).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Component.h"
#include "platform/ui/Events.h"

namespace platform {

class MenuItem;

// Holds the top-level entries; the entries are owned by the owner tree, not by the menu.
class MainMenu : public Component {
  public:
    MainMenu() = default;
    ~MainMenu() override;

    const std::vector<MenuItem*>& Items() const { return items_; }
    void Add(MenuItem* item);

  private:
    friend class MenuItem;
    std::vector<MenuItem*> items_;
};

class MenuItem : public Component {
  public:
    MenuItem() = default;
    ~MenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // The key that runs the entry, as portable text ("Ctrl+N", "F5", "Ctrl+Shift+Del"), shown
    // beside the caption; "" for none. Setting it normalises the text (NormalizeShortCut)
    // and raises for one that names no key.
    const std::string& ShortCut() const { return shortCut_; }
    void SetShortCut(std::string_view shortCut);
    // An entry captioned "-" is a separator line.
    bool IsSeparator() const { return caption_ == "-"; }

    const std::vector<MenuItem*>& Items() const { return items_; }
    void Add(MenuItem* item);
    MenuItem* ParentItem() const { return parentItem_; }

    // Input method: the user picks the entry. Nothing happens for a separator, or when the
    // entry or an entry above it is disabled or hidden.
    void Click();

    NotifyEvent OnClick;

  private:
    friend class MainMenu;
    void Detach();

    std::string caption_;
    std::string shortCut_;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<MenuItem*> items_;
    MenuItem* parentItem_ = nullptr;
    MainMenu* menu_ = nullptr;
};

}  // namespace platform
