#include "Classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    if (alive_) *alive_ = false;
    // Deleted without Free: do what BeforeDestruction would have done, as far as
    // this base can.
    if (!destroying_) {
        destroying_ = true;
        DestroyComponents();
    }
    NotifyRemoval();
}

TComponent::TAliveFlag TComponent::AliveFlag()
{
    if (!alive_) alive_ = std::make_shared<bool>(true);
    return alive_;
}

void TComponent::LoadedTree()
{
    // By index: a Loaded() may add components.
    for (size_t i = 0; i < components_.size(); ++i) components_[i]->LoadedTree();
    Loaded();
}

void TComponent::Free()
{
    if (!destroying_)
        BeforeDestruction();
    delete this;
}

void TComponent::BeforeDestruction()
{
    destroying_ = true;
    DestroyComponents();
    NotifyRemoval();
}

void TComponent::NotifyRemoval()
{
    if (notified_)
        return;
    notified_ = true;
    // Everyone who asked hears of the removal; then the owner (which passes it on
    // to its other components) lets go of us.
    while (!freeNotifies_.empty()) {
        TComponent* c = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = c->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        c->Notification(this, TOperation::opRemove);
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* c = components_.back();
        c->Free();  // removes itself from components_
    }
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    for (TComponent* c : components_)
        if (c->name_ == name)
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* c)
{
    c->owner_ = this;
    components_.push_back(c);
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c)
{
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end())
        components_.erase(it);
    c->owner_ = nullptr;
    Notification(c, TOperation::opRemove);
}

void TComponent::FreeNotification(TComponent* c)
{
    if (!c || c == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end())
        freeNotifies_.push_back(c);
    if (std::find(c->freeNotifies_.begin(), c->freeNotifies_.end(), this) == c->freeNotifies_.end())
        c->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c)
{
    if (!c)
        return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), c), freeNotifies_.end());
    c->freeNotifies_.erase(std::remove(c->freeNotifies_.begin(), c->freeNotifies_.end(), this),
                           c->freeNotifies_.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent) {
        freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                            freeNotifies_.end());
        // Components of ours may refer to a sibling that is going away.
        for (TComponent* c : components_)
            if (c != AComponent)
                c->Notification(AComponent, Operation);
    }
}
