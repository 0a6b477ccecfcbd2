// Menu entries: their tree, state and click.
#include "platform/ui/Menu.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/ShortCut.h"

namespace platform {

MainMenu::~MainMenu() {
    for (MenuItem* item : items_) item->menu_ = nullptr;
}

void MainMenu::Add(MenuItem* item) {
    item->Detach();
    item->menu_ = this;
    items_.push_back(item);
    Changed(Property::Items);
}

MenuItem::~MenuItem() {
    Detach();
    for (MenuItem* item : items_) item->parentItem_ = nullptr;
}

void MenuItem::Detach() {
    if (parentItem_ != nullptr) std::erase(parentItem_->items_, this);
    if (menu_ != nullptr) std::erase(menu_->items_, this);
    parentItem_ = nullptr;
    menu_ = nullptr;
}

void MenuItem::Add(MenuItem* item) {
    for (const MenuItem* m = this; m != nullptr; m = m->parentItem_)
        if (m == item) throw Error("Ciclo nos itens de menu");
    item->Detach();
    item->parentItem_ = this;
    items_.push_back(item);
    Changed(Property::Items);
}

void MenuItem::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Changed(Property::Caption);
}

void MenuItem::SetShortCut(std::string_view shortCut) {
    std::string normal = NormalizeShortCut(shortCut);
    if (normal == shortCut_) return;
    shortCut_ = std::move(normal);
    Changed(Property::ShortCut);
}

void MenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed(Property::Enabled);
}

void MenuItem::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed(Property::Visible);
}

void MenuItem::Click() {
    Form* form = ParentForm();
    if (form == nullptr) throw Error("O item de menu \"" + Name() + "\" não está em um formulário");
    if (IsSeparator()) return;
    for (const MenuItem* m = this; m != nullptr; m = m->parentItem_)
        if (!m->enabled_ || !m->visible_) return;
    form->App().RunEvent([this] {
        if (OnClick) OnClick(this);
    });
}

}  // namespace platform
