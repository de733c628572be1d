#pragma once
// The root object and the component model: every component has an owner that
// destroys it, and components can ask to be told when another one goes away.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

// Raised when a file cannot be opened or read whole. Errors are C++ exceptions,
// caught at the edge where Windows calls us.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class TOperation { opInsert, opRemove };

using TNotifyEvent = std::function<void(class TObject* Sender)>;

class TComponent : public TObject {
public:
    // Owner may be null; otherwise the owner destroys this component.
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    // Destroys the component the way its owner does: BeforeDestruction runs while
    // the whole object still exists, so derived classes may still be reached.
    void Free();

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_[index]; }
    TComponent* FindComponent(const std::string& name) const;
    bool Destroying() const { return destroying_; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Asks to receive Notification(c, opRemove) when c is destroyed (and tells c the same of us).
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called once the component's designed state is complete.
    virtual void Loaded() {}
    // True while the designed state is being built (see TLoadScope): a
    // component then takes stored values without reporting them as changes.
    bool Loading() const { return loading_ || (owner_ && owner_->Loading()); }

    // Read after a user event that may have freed the component: the flag
    // turns false when it is destroyed.
    using TAliveFlag = std::shared_ptr<const bool>;
    TAliveFlag AliveFlag();

protected:
    // Runs before the destructor chain, with the whole object alive: frees the
    // owned components (last created first).
    virtual void BeforeDestruction();

    // Frees every owned component, last created first.
    void DestroyComponents();

private:
    friend class TLoadScope;
    void LoadedTree();
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void NotifyRemoval();

    TComponent* owner_ = nullptr;          // not owned
    std::vector<TComponent*> components_;  // owned
    std::vector<TComponent*> freeNotifies_;  // not owned
    std::string name_;
    int tag_ = 0;
    bool destroying_ = false;
    bool notified_ = false;
    bool loading_ = false;
    std::shared_ptr<bool> alive_;  // shared with the flags handed out
};

// Marks a component as being loaded while its designed state is built; at the
// end every component it owns, and then itself, hears Loaded().
class TLoadScope {
public:
    explicit TLoadScope(TComponent& root) : root_(root) { root_.loading_ = true; }
    ~TLoadScope()
    {
        root_.loading_ = false;
        root_.LoadedTree();
    }
    TLoadScope(const TLoadScope&) = delete;
    TLoadScope& operator=(const TLoadScope&) = delete;

private:
    TComponent& root_;
};

// unique_ptr deleter for components held without an owner (tests, the program entry).
struct TComponentFree {
    void operator()(TComponent* c) const { if (c) c->Free(); }
};
template <class T>
using TOwnedComponent = std::unique_ptr<T, TComponentFree>;
