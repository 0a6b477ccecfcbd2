// Component: the base of everything on a form. A component has a name, an owner that frees
// it, and an observer list that hears every change of an observable property.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/Property.h"

namespace platform {

class Form;

class Component {
  public:
    using Observer = std::function<void(Component&, Property)>;

    Component() = default;
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& Name() const { return name_; }
    // Raises when the owner already holds another component of that name.
    void SetName(std::string name);

    Component* Owner() const { return owner_; }

    // Creates a component owned by this one; the owner frees it when it is freed itself.
    template <class T, class... Args>
    T* Create(Args&&... args) {
        auto component = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = component.get();
        InsertComponent(std::move(component));
        return raw;
    }

    // Takes ownership. Raises (and leaves `component` with the caller) when the component
    // already has an owner or when this component is owned, directly or not, by it.
    void InsertComponent(std::unique_ptr<Component>&& component);
    // Hands ownership of a direct child back; null when `component` is not owned here.
    std::unique_ptr<Component> RemoveComponent(Component* component);

    std::size_t ComponentCount() const { return components_.size(); }
    Component* Components(std::size_t index) const { return components_.at(index).get(); }
    // Direct children only, by exact name; null when there is none.
    Component* FindComponent(std::string_view name) const;

    // The form this component lives on: through the parent tree for controls, else through
    // the owner tree. Null when there is none.
    virtual Form* ParentForm() const;

    // Observers hear every change of an observable property, after it took effect.
    int Subscribe(Observer observer);
    void Unsubscribe(int token);

  protected:
    void Changed(Property property);
    // Frees the owned components, newest first. Derived destructors call it while their own
    // members are still alive, since the owned components may refer to them.
    void DestroyComponents();

  private:
    std::string name_;
    Component* owner_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextToken_ = 1;
};

}  // namespace platform
