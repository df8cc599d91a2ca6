#include "platform/Component.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr) {
        owner->Insert(this);
        if (owner->Designing()) designing_ = true;
    }
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_ != nullptr) owner_->Remove(this);
}

void TComponent::SetDesigning(bool designing) {
    designing_ = designing;
    for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::NotifyComponentsLoaded() {
    // A copy: a Loaded handler may create or destroy components.
    const std::vector<TComponent*> built = components_;
    for (TComponent* c : built)
        if (std::find(components_.begin(), components_.end(), c) != components_.end()) c->Loaded();
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // The child's destructor leaves this list itself; take it out first
        // so that a child which is not fully built is never deleted twice.
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
}

void TComponent::Insert(TComponent* c) {
    c->owner_ = this;
    components_.push_back(c);
}

void TComponent::Remove(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end()) components_.erase(it);
    c->owner_ = nullptr;
}

}  // namespace vcl
