// Owner tree and change notifications of components.
#include "platform/ui/Component.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/ui/Form.h"

namespace platform {

Component::~Component() {
    DestroyComponents();
}

void Component::DestroyComponents() {
    while (!components_.empty()) {
        // Detach before freeing, so that the child's destructor no longer sees itself here.
        std::unique_ptr<Component> last = std::move(components_.back());
        components_.pop_back();
        last->owner_ = nullptr;
        last.reset();
    }
}

void Component::SetName(std::string name) {
    if (name == name_) return;
    if (owner_ != nullptr && !name.empty() && owner_->FindComponent(name) != nullptr)
        throw Error("Já existe um componente chamado \"" + name + "\"");
    name_ = std::move(name);
    Changed(Property::Name);
}

void Component::InsertComponent(std::unique_ptr<Component>&& component) {
    if (!component) throw Error("Componente nulo");
    if (component->owner_ != nullptr) throw Error("O componente já tem dono");
    for (const Component* c = this; c != nullptr; c = c->owner_)
        if (c == component.get()) throw Error("Ciclo na árvore de donos");
    if (!component->name_.empty() && FindComponent(component->name_) != nullptr)
        throw Error("Já existe um componente chamado \"" + component->name_ + "\"");
    component->owner_ = this;
    components_.push_back(std::move(component));
}

std::unique_ptr<Component> Component::RemoveComponent(Component* component) {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [component](const auto& c) { return c.get() == component; });
    if (it == components_.end()) return nullptr;
    std::unique_ptr<Component> removed = std::move(*it);
    components_.erase(it);
    removed->owner_ = nullptr;
    return removed;
}

Component* Component::FindComponent(std::string_view name) const {
    for (const auto& c : components_)
        if (c->name_ == name) return c.get();
    return nullptr;
}

Form* Component::ParentForm() const {
    for (Component* c = owner_; c != nullptr; c = c->owner_)
        if (auto* form = dynamic_cast<Form*>(c)) return form;
    return nullptr;
}

int Component::Subscribe(Observer observer) {
    observers_.emplace_back(nextToken_, std::move(observer));
    return nextToken_++;
}

void Component::Unsubscribe(int token) {
    std::erase_if(observers_, [token](const auto& o) { return o.first == token; });
}

void Component::Changed(Property property) {
    // A copy, so that an observer may unsubscribe while it is being told.
    const auto observers = observers_;
    for (const auto& [token, observer] : observers) observer(*this, property);
    if (Form* form = ParentForm())
        form->App().Notify({AppEvent::PropertyChanged, form, this, property});
}

}  // namespace platform
